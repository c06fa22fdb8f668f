// `tempyra-cli analyze`: the tempo of many files, several at once, printed
// in the order the files were given.
#pragma once

#include <string>
#include <vector>

// Runs the command on the arguments after "analyze". Returns the exit
// status: 0 when every file was analysed, 1 when any failed, 2 for a usage
// error.
int RunAnalyzeCommand(const std::vector<std::string>& args);
