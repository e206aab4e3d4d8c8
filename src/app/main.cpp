// `korvid`: the report options ("--info", "--version" and the rest of the
// table) run here, with Korvid's own media code and no more; every other
// start goes to the program that serves it, with the same arguments and in
// the same process: the window program when a window is due, the runner
// without a window for a hidden run (+h) or when there is no display.

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "commands/cli_parameters.h"
#include "commands/cli_report_options.h"
#include "commands/program_faults.h"
#include "commands/time_zone_option.h"
#include "resources/printable_text.h"
#include "resources/program_files.h"

namespace {

namespace commands = korvid::commands;
namespace resources = korvid::resources;

bool IsReportOption(const std::string& parameter) { return parameter == "-h" || parameter.rfind("--", 0) == 0; }

// A display to show the window on: an X or Wayland session. (Tests that
// drive the program's window name one and choose the offscreen platform.)
bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

int HandOver(std::string_view program, char** argv) {
  const std::string path = resources::HelperProgramFor(resources::FrontProgram(), program).string();
  ::execv(path.c_str(), argv);
  std::cerr << resources::FileErrorLine(path, std::strerror(errno));
  return 1;
}

int Run(int argc, char** argv) {
  std::vector<std::string> parameters(argv + 1, argv + argc);
  // The zone goes to the environment, where the programs handed over to
  // find it; they get the arguments that follow it.
  if (const int status = commands::TakeTimeZoneOption(parameters); status != 0) return status;
  if (static_cast<int>(parameters.size()) + 1 < argc) {
    argv[2] = argv[0];
    argv += 2;
  }
  if (!parameters.empty() && IsReportOption(parameters.front())) {
    const commands::ReportOption* option = commands::FindReportOption(parameters.front());
    if (option != nullptr && option->needsFullProgram) return HandOver(resources::kRunnerProgramName, argv);
    return commands::RunReportOption(parameters, {std::cout, std::cerr});
  }
  const bool hidden = commands::DecideRunKind(parameters) == commands::RunKind::kHidden;
  if (!hidden && HasDisplay()) return HandOver(resources::kWindowProgramName, argv);
  if (parameters.empty()) {
    commands::PrintUsage(std::cout);
    return 0;
  }
  return HandOver(resources::kRunnerProgramName, argv);
}

}  // namespace

int main(int argc, char** argv) {
  return commands::RunReportingFaults([&] { return Run(argc, argv); }, std::cerr);
}
