// `korvid-window`, started by `korvid` when a window is due: the window
// opens with the files listed and runs the switches of a visible run.

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "commands/process_flags.h"
#include "commands/program_faults.h"
#include "commands/stop_signals.h"
#include "commands/user_data_home.h"
#include "graphs/ffmpeg_log.h"
#include "settings/preferences_store.h"
#include "ui/fault_report.h"
#include "ui/main_window.h"

namespace {

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

int Run(int argc, char** argv, const std::vector<std::string>& parameters) {
  korvid::graphs::SendFfmpegMessagesTo(korvid::graphs::DefaultLogPath());
  korvid::commands::ProcessFlags& flags = korvid::commands::Flags();
  korvid::commands::InstallStopSignals(flags);
  korvid::ui::FaultReportingApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korvid"));
  korvid::ui::TUIForm window({korvid::settings::StoreLocation::ForCurrentUser(),
                              korvid::settings::UserDocumentsFolder(), EnvironmentValue("KORVID_MISSING_FILTERS"),
                              parameters, korvid::commands::UserDataHome()});
  // A stop signal closes the window as its close button does: a running
  // command stops at its next poll, and the shutdown saves what it saves.
  std::optional<QSocketNotifier> stop;
  if (const int fd = korvid::commands::StopSignalDescriptor(); fd >= 0) {
    stop.emplace(fd, QSocketNotifier::Read);
    QObject::connect(&*stop, &QSocketNotifier::activated, &window, [&stop, &window] {
      stop->setEnabled(false);
      window.close();
    });
  }
  window.show();
  const int status = QApplication::exec();
  if (const int signal = flags.StopSignal.load(); signal != 0) {
    std::fputs(korvid::commands::StoppedMessage(signal).c_str(), stderr);
    return korvid::commands::StoppedExitStatus(signal);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> parameters(argv + 1, argv + argc);
  // A fault while the window is being set up ends the program with its
  // text; once the window runs, the application reports each one itself.
  return korvid::commands::RunReportingFaults([&] { return Run(argc, argv, parameters); }, std::cerr);
}
