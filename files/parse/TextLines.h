// Splitting a session file's bytes into lines, and the scanf-like number
// readers the session files are read with. Widget-free, byte-exact.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Lines end with CR LF, LF alone or CR alone; a LF followed by a CR is two
// breaks with an empty line between them. The last line needs no break, so a
// text ending in a break has no empty last line. A NUL byte ends the text.
// Lines are never trimmed. An empty text (or one starting with NUL) has no line.
std::vector<std::string> SplitTextLines(std::string_view bytes);

// Reads a line the way the pattern "<keyword>%d" does: the line must begin with
// the keyword byte for byte, then white space may follow, then an optional sign
// and at least one digit; whatever follows the digits is ignored. A number
// beyond the 32-bit range is held at the range's end, so a huge value never
// wraps into an accepted one.
bool ScanKeywordInt(std::string_view line, std::string_view keyword, std::int32_t& value);

// Reads a line the way "%d\t%d" does: white space, a number, any white space
// (none at all included), a second number; the rest is ignored. Returns how
// many numbers were read (0, 1 or 2); the numbers not read are left untouched.
int ScanIntPair(std::string_view line, std::int32_t& first, std::int32_t& second);
