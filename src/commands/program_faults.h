#pragma once
// The last handler of each program: an exception that escapes its body
// ends the program with its text on standard error rather than an abort.
// An expected failure (UserError) reads as any other failure; anything
// else is a program fault, worded and numbered so that it is reported.

#include <functional>
#include <ostream>
#include <string>

namespace korvid::commands {

// The exit status of a run that met a failure it does not expect.
inline constexpr int kProgramFaultExitStatus = 70;

// What the exception being handled says to the user (call it in a catch
// block): a UserError's own text, or the program-fault line for any other.
struct CaughtFailure {
  std::string text;
  bool fault = false;
};
CaughtFailure DescribeCaughtException() noexcept;

// Runs `body` and returns its status; an escaping UserError prints
// "korvid: TEXT" and gives 1, any other exception prints the program-fault
// line and gives kProgramFaultExitStatus.
int RunReportingFaults(const std::function<int()>& body, std::ostream& err) noexcept;

}  // namespace korvid::commands
