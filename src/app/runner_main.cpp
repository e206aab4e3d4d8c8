// `korvid-run`, started by `korvid` for a run without a window: the files
// listed, the switches' commands run, one line per file and command. Also
// the report options that need the whole program.

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/cli_report_options.h"
#include "commands/command_line_run.h"
#include "commands/contact_sheet_option.h"
#include "commands/correct_clock_option.h"
#include "commands/process_flags.h"
#include "commands/program_faults.h"
#include "commands/stop_signals.h"
#include "commands/user_data_home.h"
#include "settings/preferences_store.h"

namespace {

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Qt's notes about the desktop session (no runtime folder, no display) mean
// nothing to someone running commands from a terminal; real failures stay.
void DropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "korvid: %s\n", qPrintable(message));
}

int Run(const std::vector<std::string>& parameters) {
  // The options of the report table that decode or write with the jobs
  // run here: the front program links none of that.
  using FullOption = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);
  static constexpr std::pair<std::string_view, FullOption> kFullOptions[] = {
      {"--contact-sheet", korvid::commands::RunContactSheetOption},
      {"--correct-clock", korvid::commands::RunCorrectClockOption},
  };
  for (const auto& [name, run] : kFullOptions)
    if (!parameters.empty() && parameters.front() == name)
      return run({parameters.begin() + 1, parameters.end()}, std::cout, std::cerr);
  if (!parameters.empty() && parameters.front().rfind("--", 0) == 0)
    return korvid::commands::RunReportOption(parameters, {std::cout, std::cerr});
  korvid::commands::InstallStopSignals(korvid::commands::Flags());
  // The jobs that draw text make an off-screen application when they are
  // first asked for; until then the run needs none.
  qInstallMessageHandler(DropQtNotes);
  const korvid::commands::CommandLineEnvironment environment{
      korvid::settings::StoreLocation::ForCurrentUser(), korvid::settings::UserDocumentsFolder(),
      EnvironmentValue("KORVID_MISSING_FILTERS"), korvid::commands::UserDataHome(), std::cout, std::cerr};
  return korvid::commands::RunCommandLineWithoutWindow(parameters, environment);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> parameters(argv + 1, argv + argc);
  return korvid::commands::RunReportingFaults([&] { return Run(parameters); }, std::cerr);
}
