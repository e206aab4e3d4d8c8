#include "commands/contact_sheet_option.h"

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <ostream>

#include "commands/command_skipped.h"
#include "commands/contact_sheet_commands.h"
#include "commands/headless_host.h"
#include "commands/process_flags.h"
#include "commands/run_outputs.h"
#include "commands/stop_signals.h"
#include "graphs/sheet_pages.h"
#include "graphs/scene_detector.h"
#include "media/avi_stream_analysis.h"
#include "resources/printable_text.h"
#include "settings/preferences_store.h"
#include "settings/system_locale.h"

namespace korvid::commands {
namespace {

constexpr const char* kUsage = "usage: korvid --contact-sheet [--columns N] FILE.avi...\n";

// Qt's notes about the session (no display, no runtime folder) mean
// nothing here; real failures stay.
void KeepQtFailures(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "korvid: %s\n", qPrintable(message));
}

bool ParseColumns(const std::string& text, int& columns) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, columns);
  return error == std::errc() && at == end && columns >= 1 && columns <= graphs::kMaxSheetColumns;
}

}  // namespace

int RunContactSheetOption(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  int columns = graphs::kDefaultSheetColumns;
  std::size_t first = 0;
  if (!args.empty() && args[0] == "--columns") {
    if (args.size() < 2 || !ParseColumns(args[1], columns)) {
      err << "korvid: --columns needs a number from 1 to " << graphs::kMaxSheetColumns << "\n" << kUsage;
      return 2;
    }
    first = 2;
  }
  if (args.size() <= first) {
    err << "korvid: --contact-sheet needs at least one file\n" << kUsage;
    return 2;
  }

  ProcessFlags& flags = Flags();
  InstallStopSignals(flags);
  // Without an application the drawing job makes an off-screen one, whose
  // notes are not for the user.
  if (QCoreApplication::instance() == nullptr) qInstallMessageHandler(KeepQtFailures);

  settings::DefaultEnvironment environment;
  environment.documentsFolder = settings::UserDocumentsFolder();
  const settings::Preferences preferences =
      settings::LoadPreferences(settings::StoreLocation::ForCurrentUser(), environment);
  const media::DatecodeFormat format{preferences.displayDatecodeFormat, settings::SystemLocaleFormats()};
  HeadlessHost host(err, false);
  graphs::SceneDetector detector;
  SceneScanServices scenes{host, flags.AbortCommand, detector, format, {}, {}};
  FrameExportServices services{scenes, preferences};
  const RunOutputs::Scope run(Outputs());

  int status = 0;
  for (std::size_t i = first; i < args.size() && flags.StopSignal.load() == 0; ++i) {
    const std::string shown = resources::Printable(args[i]);
    try {
      const media::TAfficherFichier entry = media::AnalyseFile(args[i], format);
      if (!entry.exists) throw CommandSkipped("no such file");
      const std::vector<std::filesystem::path> pages = MakeContactSheet(entry, columns, services);
      for (const std::filesystem::path& page : pages)
        out << shown << '\t' << resources::Printable(page.string()) << '\n';
    } catch (const CommandSkipped& skipped) {
      err << "korvid: " << shown << ": " << resources::Printable(skipped.what()) << '\n';
      status = 1;
    } catch (const UserError& failure) {
      err << "korvid: " << shown << ": " << resources::Printable(failure.what()) << '\n';
      status = 1;
    }
  }
  out.flush();
  if (const int signal = flags.StopSignal.load(); signal != 0) {
    err << StoppedMessage(signal);
    return StoppedExitStatus(signal);
  }
  return status;
}

}  // namespace korvid::commands
