#include "commands/program_faults.h"

#include <exception>

#include "resources/string_table.h"
#include "resources/user_error.h"

namespace korvid::commands {

CaughtFailure DescribeCaughtException() noexcept {
  try {
    try {
      throw;
    } catch (const UserError& error) {
      return {error.what(), false};
    } catch (const std::exception& fault) {
      return {resources::Fill(resources::Text::kProgramFault, {fault.what()}), true};
    } catch (...) {
      return {resources::Fill(resources::Text::kProgramFault, {"an unknown exception"}), true};
    }
  } catch (...) {
    // No memory even for the text.
    return {"program fault", true};
  }
}

int RunReportingFaults(const std::function<int()>& body, std::ostream& err) noexcept {
  try {
    return body();
  } catch (...) {
    const CaughtFailure failure = DescribeCaughtException();
    try {
      err << "korvid: " << failure.text << '\n';
    } catch (...) {
      // The message could not be written: the status still tells.
    }
    return failure.fault ? kProgramFaultExitStatus : 1;
  }
}

}  // namespace korvid::commands
