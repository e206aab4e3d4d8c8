#include "commands/program_faults.h"

#include <exception>

#include "resources/string_table.h"
#include "resources/user_error.h"

namespace korvid::commands {

int RunReportingFaults(const std::function<int()>& body, std::ostream& err) noexcept {
  try {
    try {
      return body();
    } catch (const UserError& error) {
      err << "korvid: " << error.what() << '\n';
      return 1;
    } catch (const std::exception& fault) {
      err << "korvid: " << resources::Fill(resources::Text::kProgramFault, {fault.what()}) << '\n';
    } catch (...) {
      err << "korvid: " << resources::Fill(resources::Text::kProgramFault, {"an unknown exception"}) << '\n';
    }
  } catch (...) {
    // Even the message could not be written: the status still tells.
  }
  return kProgramFaultExitStatus;
}

}  // namespace korvid::commands
