# Writes the licence agreement of docs/EULA.html as a Windows text file
# (CR LF line ends, ending in one), the licence the Windows packages carry
# and their installers show.
#
#   cmake -DEULA=docs/EULA.html -DOUTPUT=EULA.txt -P licence_text.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../assets/eula_text.cmake)
tempyra_eula_text("${EULA}" text)
string(REPLACE "\n" "\r\n" text "${text}\n")
file(WRITE "${OUTPUT}" "${text}")
