// The tempo as the track list stores it: text. Written with a fixed number
// of decimals ("%0.2lf" for a measured tempo) and read back as atof reads
// text. Both ignore the process's locale, so the point is always '.'
// (the toolkit may switch the C locale to the user's, where the decimal
// separator may be a comma).
#pragma once

#include <string>
#include <string_view>

// The value as atof reads the text: leading white space skipped, then the
// longest prefix that is a number (sign, digits, point, exponent; also
// "inf", "nan" and hexadecimal forms); 0 when there is none.
double ParseBpmText(std::string_view text);

// The value in fixed-point notation with `decimals` digits after the point
// (0 to 2; other counts are taken as the nearer of them), rounded as printf("%.*f") rounds.
std::string FormatFixed(double value, int decimals);
