// `tempyra-cli info FILE`: the StreamInfo of the first frame of a raw MPEG
// audio file as `name=value` lines.
#pragma once

#include <string>
#include <vector>

// Runs the command on the arguments after "info"; returns the exit status.
int RunInfoCommand(const std::vector<std::string>& args);
