#pragma once
// `korvid --correct-clock OFFSET [--from-frame N] FILE...`: each file's
// datecodes from frame N (default 0) moved by OFFSET into a new file named
// with the offset, as the window's "Correct the clock..." writes it.

#include <ostream>
#include <string>
#include <vector>

#include "settings/preferences.h"

namespace korvid::commands {

// `args` follow "--correct-clock". Output names follow `preferences` (the
// output folder). Returns 0, 1 when a file failed (the others are still
// done), 2 for wrong arguments, 128 + the signal when one stopped the run.
int RunCorrectClock(const std::vector<std::string>& args, const settings::Preferences& preferences,
                    std::ostream& out, std::ostream& err);

// The same with the user's stored preferences.
int RunCorrectClockOption(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace korvid::commands
