// `tempyra-cli decode [-o OUT.raw] [--] FILE`: the 16-bit little-endian PCM
// of every decoded frame of an MPEG audio file, in order, to OUT.raw or
// standard output; `rate=R channels=C frames=N` on standard error. The
// input is never written over, and a failed write ends the command with an
// error.
#pragma once

#include <string>
#include <vector>

// Runs the command on the arguments after "decode"; returns the exit status
// (0 done, 1 failed, 2 usage error).
int RunDecodeCommand(const std::vector<std::string>& args);
