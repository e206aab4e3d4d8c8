#pragma once
// Names and captions as a terminal may show them: a file name is any bytes
// but "/" and NUL, so one printed raw could break a report line in two or
// send escape sequences to the terminal. Control characters, the
// backslash and bytes that are not UTF-8 are written as escapes ("\n",
// "\t", "\\", "\x1b"), the way ls and stat quote names; other text stays.

#include <string>
#include <string_view>

namespace korvid::resources {

std::string Printable(std::string_view text);

}  // namespace korvid::resources
