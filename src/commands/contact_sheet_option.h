#pragma once
// `korvid --contact-sheet [--columns N] FILE...`: the contact sheet of each
// file, beside it or in the output folder the preferences name, with no
// window.

#include <ostream>
#include <string>
#include <vector>

namespace korvid::commands {

// `args` follow "--contact-sheet". Prints each page written on `out`,
// failures on `err`; returns 0
// when every file got its sheet, 1 when one failed, 2 for wrong
// arguments, 128 + the signal when a stop signal ended the run.
int RunContactSheetOption(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace korvid::commands
