// ProgramFolder: the folder of the running program's executable, read from
// /proc/self/exe (links resolved); empty when it cannot be read.
#pragma once

#include <string>

std::string ProgramFolder();
