# Pictures drawn while the Windows programs are built (the program's icon,
# the installer's picture): the drawing tool is compiled with the building
# machine's compiler (TEMPYRA_HOST_CXX) from the same sources as its Linux
# build, then run with the file to write as its one argument.
#
#   tempyra_draw_with_host_tool(OUTPUT FILE TOOL NAME COMMENT TEXT
#                               SOURCES SOURCE...)
set(TEMPYRA_HOST_CXX c++ CACHE STRING "The building machine's C++ compiler (tools run while building)")

function(tempyra_draw_with_host_tool)
  cmake_parse_arguments(ARG "" "OUTPUT;TOOL;COMMENT" "SOURCES" ${ARGN})
  set(tool ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TOOL}-host)
  add_custom_command(OUTPUT ${tool}
    COMMAND ${TEMPYRA_HOST_CXX} -std=c++20 -O2 -I${PROJECT_SOURCE_DIR} ${ARG_SOURCES} -o ${tool}
    DEPENDS ${ARG_SOURCES}
    COMMENT "Building ${ARG_TOOL} for this machine")
  add_custom_command(OUTPUT ${ARG_OUTPUT}
    COMMAND ${tool} ${ARG_OUTPUT}
    DEPENDS ${tool}
    COMMENT "${ARG_COMMENT}")
endfunction()
