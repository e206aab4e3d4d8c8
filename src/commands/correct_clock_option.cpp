#include "commands/correct_clock_option.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <system_error>

#include "commands/clock_correction_commands.h"
#include "commands/headless_host.h"
#include "commands/job_runner.h"
#include "commands/process_flags.h"
#include "commands/stop_signals.h"
#include "media/clock_correction.h"
#include "resources/printable_text.h"
#include "settings/preferences_store.h"

namespace korvid::commands {
namespace {

constexpr std::string_view kUsage = "usage: korvid --correct-clock OFFSET [--from-frame N] FILE...\n";

std::optional<std::int64_t> FrameNumber(const std::string& text) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoll(text);
}

}  // namespace

int RunCorrectClock(const std::vector<std::string>& args, const settings::Preferences& preferences,
                    std::ostream& out, std::ostream& err) {
  std::optional<std::string> offsetText;
  std::int64_t fromFrame = 0;
  std::vector<std::string> files;
  bool optionsDone = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && arg == "--from-frame") {
      const auto number = i + 1 < args.size() ? FrameNumber(args[i + 1]) : std::nullopt;
      if (!number) {
        err << "korvid: --from-frame needs a frame number (0 is the first frame)\n" << kUsage;
        return 2;
      }
      fromFrame = *number;
      ++i;
    } else if (!offsetText) {
      offsetText = arg;
    } else {
      files.push_back(arg);
    }
  }
  if (!offsetText || files.empty()) {
    err << "korvid: --correct-clock needs an offset and at least one file\n" << kUsage;
    return 2;
  }
  std::int64_t seconds = 0;
  try {
    seconds = media::ParseClockOffset(*offsetText);
  } catch (const media::ClockOffsetError& e) {
    err << "korvid: " << e.what() << "\n";
    return 2;
  }

  ProcessFlags& flags = Flags();
  HeadlessHost host(err, true);
  int status = 0;
  for (const std::string& file : files) {
    if (const int signal = flags.StopSignal.load(); signal != 0) {
      err << StoppedMessage(signal);
      return StoppedExitStatus(signal);
    }
    try {
      const std::filesystem::path output =
          ConversionOutputPath(file, ClockCorrectionSuffix(seconds), preferences);
      const ClockPreview preview = PreviewClockCorrection(file, seconds, fromFrame);
      if (fromFrame >= preview.frames)
        throw media::ClockOffsetError("frame " + std::to_string(fromFrame) + " is past the end of the file");
      if (!preview.firstBefore) throw media::ClockOffsetError("no datecode to correct from frame " + std::to_string(fromFrame));
      const auto job = MakeClockCorrectionJob(file, output, seconds, fromFrame);
      const std::int64_t duration = job->Duration();
      std::error_code ignored;
      const bool existed = std::filesystem::exists(output, ignored);
      RunJob(*job, host, flags.AbortCommand, ConvertTimer::kFirstIntervalMs,
             [duration](const graphs::JobProgress&) { return duration > 0 ? ConvertTimer::kIntervalMs : 1000; });
      if (!std::filesystem::exists(output, ignored)) continue;  // stopped: nothing written
      out << resources::Printable(output.string()) << (existed ? "\treplaced" : "\tmade") << "\tfirst "
          << PreviewText(preview.firstBefore) << " -> " << PreviewText(preview.firstAfter) << "\tlast "
          << PreviewText(preview.lastBefore) << " -> " << PreviewText(preview.lastAfter) << "\n";
    } catch (const UserError& e) {
      err << resources::FileErrorLine(file, resources::Printable(e.what()));
      status = 1;
    }
  }
  if (const int signal = flags.StopSignal.load(); signal != 0) {
    err << StoppedMessage(signal);
    return StoppedExitStatus(signal);
  }
  out.flush();
  return status;
}

int RunCorrectClockOption(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  InstallStopSignals(Flags());
  settings::DefaultEnvironment environment;
  environment.documentsFolder = settings::UserDocumentsFolder();
  const settings::Preferences preferences =
      settings::LoadPreferences(settings::StoreLocation::ForCurrentUser(), environment);
  return RunCorrectClock(args, preferences, out, err);
}

}  // namespace korvid::commands
