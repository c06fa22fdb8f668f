# Writes the Debian copyright file (machine-readable format) of the
# package, with the end-user licence agreement of docs/EULA.html as the
# licence's text, so that the agreement is written in one place only.
#
#   cmake -DEULA=docs/EULA.html -DOUTPUT=copyright -DYEAR=2026 -P debian_copyright.cmake
include(${CMAKE_CURRENT_LIST_DIR}/eula_text.cmake)
tempyra_eula_text("${EULA}" html)

# Each line of the licence's text indented by one space, an empty line as
# " ." (the copyright format's empty line).
string(REPLACE "\n\n" "\n.\n" html "${html}")
string(REPLACE "\n" "\n " text " ${html}\n")
string(REGEX REPLACE " $" "" text "${text}")

file(WRITE "${OUTPUT}"
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Tempyra
Upstream-Contact: The Tempyra developers <developers@tempyra.example>
Source: https://www.tempyra.example

Files: *
Copyright: ${YEAR} The Tempyra developers
License: Tempyra-EULA

License: Tempyra-EULA
${text}")
