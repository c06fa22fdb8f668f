// `tempyra-cli decode FILE [-o OUT.raw]`: the 16-bit little-endian PCM of
// every decoded frame of a raw MPEG audio file, in order, to OUT.raw or
// standard output; `rate=R channels=C frames=N` on standard error.
#pragma once

#include <string>
#include <vector>

// Runs the command on the arguments after "decode"; returns the exit status.
int RunDecodeCommand(const std::vector<std::string>& args);
