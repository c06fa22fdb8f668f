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
