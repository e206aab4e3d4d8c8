#pragma once
// Names and captions as a terminal may show them: a file name is any bytes
// but "/" and NUL, so one printed raw could break a report line in two or
// send escape sequences to the terminal. Control characters (those of
// UTF-8's C1 range too) and the backslash are written as escapes ("\n",
// "\t", "\\", "\x1b"), the way ls and stat quote names; other bytes stay.

#include <string>
#include <string_view>

namespace korvid::resources {

std::string Printable(std::string_view text);

// The one shape of a failure about a file on standard error, whichever
// option or switch met it: "korvid: NAME: WHY" and a line break, the name
// printable.
std::string FileErrorLine(std::string_view file, std::string_view why);

}  // namespace korvid::resources
