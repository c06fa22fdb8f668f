// RandomNameSuffix: eight random letters and digits for the name of a
// temporary file made beside a user's file. The file is always created
// exclusively; the randomness only makes a clash (and a retry) unlikely.
#pragma once

#include <string>

std::string RandomNameSuffix();
