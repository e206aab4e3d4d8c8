// The korvid executable: the GNU-style options report what the media layer
// reads from AVI files; otherwise the window opens with the files listed
// and the switches of a visible run. A hidden run (+h), and any run where
// there is no display, goes without the window.

#include <QApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "commands/clean_command.h"
#include "commands/command_line.h"
#include "commands/command_line_run.h"
#include "commands/contact_sheet_option.h"
#include "commands/housekeeping_commands.h"
#include "commands/process_flags.h"
#include "commands/stop_signals.h"
#include "commands/user_data_home.h"
#include "graphs/ffmpeg_log.h"
#include "graphs/frames_command.h"
#include "list/info_report.h"
#include "media/first_frame.h"
#include "media/riff_report.h"
#include "media/video_record.h"
#include "resources/printable_text.h"
#include "resources/product.h"
#include "settings/preferences_store.h"
#include "settings/system_locale.h"
#include "ui/main_window.h"

namespace {

using korvid::resources::Printable;

void PrintUsage() {
  std::printf(
      "usage: korvid [--version] [--help]\n"
      "       korvid [FILE.avi|FOLDER...]   the window, with the files listed\n"
      "       korvid [+SWITCHES] FILE.avi|FOLDER...  list the files and run the commands the switches name\n"
      "              (+h runs without any question and quits; korvid /? lists the switches;\n"
      "              one line per file and command; exit status 1 when one failed, 2 for an unknown switch;\n"
      "              SIGINT, SIGTERM or SIGHUP stop the running command: 128 + the signal)\n"
      "       korvid --datecode FILE.avi...   datecode and timecode of each file's first frame\n"
      "       korvid --info [--json] PATH...  information of each AVI file; folders are scanned\n"
      "       korvid --frames [--json] FILE.avi  one line per frame: position, timecode, datecode,\n"
      "              scene starts and damaged blocks (CSV, or JSON lines)\n"
      "       korvid --riff FILE...           the RIFF structure of each file\n"
      "       korvid --contact-sheet [--columns N] FILE.avi...  a PNG contact sheet of each file's scenes\n"
      "              with their damage, beside it (FILE_sheet.png, FILE_sheet-2.png, ...)\n"
      "       korvid --clean [--yes] FOLDER...  list the temporary files interrupted runs left\n"
      "              in the folders (and below), with their sizes; --yes removes them\n");
}

// Datecodes look as the information panel shows them: the user's display
// format and the system's separators and names.
korvid::media::DatecodeFormat UserDatecodeFormat() {
  namespace settings = korvid::settings;
  settings::DefaultEnvironment environment;
  environment.documentsFolder = settings::UserDocumentsFolder();
  const settings::Preferences preferences =
      settings::LoadPreferences(settings::StoreLocation::ForCurrentUser(), environment);
  return {preferences.displayDatecodeFormat, settings::SystemLocaleFormats()};
}

std::string DatecodeText(const korvid::media::TDatecode& dc) {
  if (!korvid::media::HasDatecode(dc)) return "N/A";
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", dc.year, dc.month, dc.day, dc.hour,
                dc.minute, dc.second);
  return text;
}

std::string TimecodeText(const korvid::media::TTimecode& tc) {
  if (!korvid::media::HasTimecode(tc)) return "N/A";
  char text[24];
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.2d.%.2d", tc.hours, tc.minutes, tc.seconds, tc.frames);
  return text;
}

// One line per file; a file that cannot be read says why and makes the
// exit status 1, but the other files are still reported.
int PrintDatecodes(const std::vector<std::string>& files) {
  int status = 0;
  for (const std::string& file : files) {
    try {
      std::string why;
      const auto packs = korvid::media::ReadFirstFramePacks(file, &why);
      if (!packs) {
        std::printf("%s\tError (%s)\n", Printable(file).c_str(), why.c_str());
        status = 1;
        continue;
      }
      std::printf("%s\tdatecode %s\ttimecode %s%s\n", Printable(file).c_str(), DatecodeText(packs->datecode).c_str(),
                  TimecodeText(packs->timecode).c_str(), packs->wide ? "\t16:9" : "");
    } catch (const std::exception& e) {
      std::printf("%s\tError (%s)\n", Printable(file).c_str(), Printable(e.what()).c_str());
      status = 1;
    }
  }
  return status;
}

// The structure report, as the window shows it, one file after another.
int PrintRiffReports(const std::vector<std::string>& files) {
  int status = 0;
  const korvid::media::RiffReportStamp stamp = korvid::commands::CurrentRiffReportStamp();
  for (const std::string& file : files) {
    try {
      const korvid::media::RiffReport report = korvid::media::BuildRiffReport(file, stamp);
      if (report.lines.empty()) {
        std::fprintf(stderr, "korvid: %s cannot be read\n", Printable(file).c_str());
        status = 1;
      }
      for (const auto& line : report.lines) std::printf("%s\n", line.c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "korvid: %s: %s\n", Printable(file).c_str(), Printable(e.what()).c_str());
      status = 1;
    }
  }
  return status;
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Qt's notes about the desktop session (no runtime folder, no display) mean
// nothing to someone running commands from a terminal; real failures stay.
void DropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "korvid: %s\n", qPrintable(message));
}

// A command-line run draws text (the datecode inlay) but shows nothing, so
// it renders off screen whether or not a display is there.
int RunCommandLine(int argc, char** argv, const std::vector<std::string>& parameters) {
  korvid::commands::InstallStopSignals(korvid::commands::Flags());
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(DropQtNotes);
  QGuiApplication application(argc, argv);
  const korvid::commands::CommandLineEnvironment environment{
      korvid::settings::StoreLocation::ForCurrentUser(), korvid::settings::UserDocumentsFolder(),
      EnvironmentValue("KORVID_MISSING_FILTERS"), korvid::commands::UserDataHome(), std::cout, std::cerr};
  return korvid::commands::RunCommandLineWithoutWindow(parameters, environment);
}

// A display to show the window on: an X or Wayland session. (Tests that
// drive the program's window name one and choose the offscreen platform.)
bool HasDisplay() {
  return !EnvironmentValue("DISPLAY").empty() || !EnvironmentValue("WAYLAND_DISPLAY").empty();
}

int RunWindow(int argc, char** argv, const std::vector<std::string>& parameters) {
  korvid::commands::ProcessFlags& flags = korvid::commands::Flags();
  korvid::commands::InstallStopSignals(flags);
  QApplication application(argc, argv);
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
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::printf("korvid %s\n", korvid::resources::kProductVersion.data());
    PrintUsage();
    return 0;
  }
  // Answered before the log is set up: printing the version touches no file.
  if (!args.empty() && args[0] == "--version") {
    std::printf("korvid %s\n", korvid::resources::kProductVersion.data());
    return 0;
  }
  korvid::graphs::SendFfmpegMessagesTo(korvid::graphs::DefaultLogPath());
  if (args.empty() || args[0].rfind("--", 0) != 0) {
    const bool hidden = korvid::commands::DecideRunKind(args) == korvid::commands::RunKind::kHidden;
    if (!hidden && HasDisplay()) return RunWindow(argc, argv, args);
    if (args.empty()) {
      std::printf("korvid %s\n", korvid::resources::kProductVersion.data());
      PrintUsage();
      return 0;
    }
    return RunCommandLine(argc, argv, args);
  }
  if (args[0] == "--datecode") {
    if (args.size() < 2) {
      std::fprintf(stderr, "korvid: --datecode needs at least one file\n");
      return 2;
    }
    return PrintDatecodes({args.begin() + 1, args.end()});
  }
  if (args[0] == "--riff") {
    if (args.size() < 2) {
      std::fprintf(stderr, "korvid: --riff needs at least one file\n");
      return 2;
    }
    return PrintRiffReports({args.begin() + 1, args.end()});
  }
  if (args[0] == "--frames") {
    return korvid::graphs::RunFramesCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
  }
  if (args[0] == "--contact-sheet") return korvid::commands::RunContactSheetOption({args.begin() + 1, args.end()}, std::cout, std::cerr);
  if (args[0] == "--clean") {
    return korvid::commands::RunCleanCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
  }
  if (args[0] == "--info") {
    return korvid::list::RunInfoCommand({args.begin() + 1, args.end()}, UserDatecodeFormat(), std::cout,
                                        std::cerr);
  }
  std::fprintf(stderr, "korvid: unknown option '%s'\n", args[0].c_str());
  PrintUsage();
  return 2;
}
