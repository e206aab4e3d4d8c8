#pragma once
// `korvid --frames [--json] FILE`: the frame log of one file on standard
// output, as CSV with its header or as one JSON object a line.

#include <ostream>
#include <string>
#include <vector>

namespace korvid::graphs {

// `arguments` follow "--frames". Returns the exit status: 0 done, 1 the
// file cannot be scanned or read, 2 the arguments are wrong.
int RunFramesCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace korvid::graphs
