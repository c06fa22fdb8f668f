# The help documents every installation carries beside the programs: the
# Linux installation and its Debian package, the Windows zip files and
# installers. help.html shows the pictures; each page links the others.
set(TEMPYRA_DOCUMENTS
  ${PROJECT_SOURCE_DIR}/docs/tutorial.html
  ${PROJECT_SOURCE_DIR}/docs/help.html
  ${PROJECT_SOURCE_DIR}/docs/EULA.html
  ${PROJECT_SOURCE_DIR}/docs/tempyra-window.png
  ${PROJECT_SOURCE_DIR}/docs/tempyra-about.png
  ${PROJECT_SOURCE_DIR}/docs/tempyra-library.png)

# Copies the documents into the build folder, beside the program, where an
# uninstalled build finds them; appends the copies' paths to `out_var`.
function(tempyra_copy_documents_beside_program out_var)
  set(copies ${${out_var}})
  foreach(document ${TEMPYRA_DOCUMENTS})
    get_filename_component(name ${document} NAME)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${document} ${CMAKE_BINARY_DIR}/${name}
      DEPENDS ${document}
      COMMENT "Copying ${name} beside the program")
    list(APPEND copies ${CMAKE_BINARY_DIR}/${name})
  endforeach()
  set(${out_var} ${copies} PARENT_SCOPE)
endfunction()
