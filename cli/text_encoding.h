// Text helpers of the command line: UTF-8 validity, Base64, and quoting of
// file names for a terminal.
//
// File names are bytes. Printed raw, a newline in a name splits a result
// line in two and an escape byte reaches the terminal as a control
// sequence, so names that hold control characters are quoted as `ls` quotes
// them on a terminal: 'new'$'\n''line.mp3' (valid shell input for bash and
// zsh). Every other name is printed as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Length of the well-formed UTF-8 sequence that starts at text[at] (1 for
// ASCII), 0 when none does.
size_t Utf8SequenceLength(std::string_view text, size_t at);

bool IsValidUtf8(std::string_view text);

// Standard Base64 with padding.
std::string Base64(std::string_view bytes);

// The name as it is when it holds no control character (C0, DEL, C1);
// otherwise quoted: printable runs in single quotes, control characters
// and bytes that are not UTF-8 as $'\n', $'\t' or $'\ooo' (octal), and a
// single quote as \'.
std::string QuoteName(std::string_view name);
