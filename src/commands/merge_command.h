#pragma once
// `korvid --merge [--plan] [--force] [--type 1|2] OUTPUT.avi PASS.avi
// PASS.avi...`: several captures of one damaged tape merged into OUTPUT.avi
// with OUTPUT_merge.csv and OUTPUT_recapture.txt beside it. The plan goes
// to standard output (with --plan, nothing else happens); progress goes to
// standard error once a run takes more than a few seconds.

#include <ostream>
#include <string>
#include <vector>

namespace korvid::commands {

// `arguments` follow "--merge". Returns the exit status: 0 merged, 1 a
// capture cannot be read or an output written, 2 wrong arguments or
// captures that cannot be merged as asked; 128 + the signal that stopped it.
int RunMergeCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// The option as the program runs it: a stop signal (SIGINT, SIGTERM,
// SIGHUP) ends the merge at its next frame with nothing written.
int RunMergeOption(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace korvid::commands
