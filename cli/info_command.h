// `tempyra-cli info [--] FILE`: the StreamInfo of the first frame of an
// MPEG audio file as `name=value` lines.
#pragma once

#include <string>
#include <vector>

// Runs the command on the arguments after "info"; returns the exit status
// (0 done, 1 failed, 2 usage error).
int RunInfoCommand(const std::vector<std::string>& args);
