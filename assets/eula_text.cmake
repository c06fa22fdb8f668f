# The end-user licence agreement of docs/EULA.html as plain text, so that
# the agreement is written in one place only: the Debian copyright file and
# the Windows packages' licence are made from it.
#
# tempyra_eula_text(EULA_HTML OUT_VAR) sets OUT_VAR to the text: the
# headings and paragraphs with the lines of the page, a paragraph from the
# next by an empty line, no empty line at either end, "\n" line ends.
function(tempyra_eula_text eula out_var)
  file(READ "${eula}" html)
  string(REGEX REPLACE ".*<body>" "" html "${html}")
  string(REGEX REPLACE "</body>.*" "" html "${html}")
  # A heading or a paragraph starts a paragraph of the text.
  string(REGEX REPLACE "<(h[1-6]|p)>" "\n\n" html "${html}")
  string(REGEX REPLACE "<[^>]*>" "" html "${html}")
  string(REPLACE "&quot;" "\"" html "${html}")
  string(REPLACE "&lt;" "<" html "${html}")
  string(REPLACE "&gt;" ">" html "${html}")
  string(REPLACE "&amp;" "&" html "${html}")
  # (Plain text replacements: the text may hold semicolons, CMake's list
  # separator.)
  string(REGEX REPLACE "[ \t]*\n[ \t]*" "\n" html "${html}")
  string(REGEX REPLACE "\n\n+" "\n\n" html "${html}")
  string(STRIP "${html}" html)
  set(${out_var} "${html}" PARENT_SCOPE)
endfunction()
