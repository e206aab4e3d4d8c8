#pragma once
// Thrown by a command's execution when it leaves the file alone on purpose:
// the user declined to replace an earlier output, or the file holds nothing
// the command can work on. It is not a failure; its text says why, and the
// runner reports the file as skipped.

#include <stdexcept>

namespace korvid::commands {

class CommandSkipped : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace korvid::commands
