#include "commands/merge_command.h"

#include <chrono>
#include <optional>

#include "commands/process_flags.h"
#include "commands/stop_signals.h"
#include "graphs/merge_job.h"
#include "resources/printable_text.h"

namespace korvid::commands {
namespace {

constexpr const char* kUsage =
    "korvid --merge [--plan] [--force] [--type 1|2] OUTPUT.avi PASS.avi PASS.avi [PASS.avi...]";

// Progress lines once the run has taken this long, then at most one a second.
constexpr auto kQuietFor = std::chrono::seconds(3);
constexpr auto kEvery = std::chrono::seconds(1);

struct Arguments {
  bool plan = false;
  bool force = false;
  std::optional<int> type;
  std::vector<std::filesystem::path> files;
};

// Nothing, with the reason in `why`, for arguments that do not parse.
std::optional<Arguments> Parse(const std::vector<std::string>& arguments, std::string& why) {
  Arguments parsed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (!parsed.files.empty() || a.rfind("--", 0) != 0) {
      parsed.files.emplace_back(a);
    } else if (a == "--plan") {
      parsed.plan = true;
    } else if (a == "--force") {
      parsed.force = true;
    } else if (a == "--type") {
      if (i + 1 >= arguments.size() || (arguments[i + 1] != "1" && arguments[i + 1] != "2")) {
        why = "--type needs 1 or 2";
        return std::nullopt;
      }
      parsed.type = arguments[++i] == "1" ? 1 : 2;
    } else {
      why = "unknown option '" + resources::Printable(a) + "'";
      return std::nullopt;
    }
  }
  if (parsed.files.size() < 3) {
    why = "--merge needs an output and at least two captures";
    return std::nullopt;
  }
  return parsed;
}

}  // namespace

int RunMergeCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  std::string why;
  const std::optional<Arguments> parsed = Parse(arguments, why);
  if (!parsed) {
    err << "korvid: " << why << ": " << kUsage << "\n";
    return 2;
  }
  ProcessFlags& flags = Flags();
  try {
    graphs::MergeOptions options{parsed->files[0], parsed->type, parsed->force, parsed->plan};
    graphs::MergeJob job({parsed->files.begin() + 1, parsed->files.end()}, options);
    const std::int64_t duration = job.Duration();
    const auto start = std::chrono::steady_clock::now();
    auto next = start + kQuietFor;
    bool shown = false;
    graphs::JobProgress* self = nullptr;
    graphs::JobProgress progress([&](std::int64_t position) {
      if (self != nullptr && (flags.AbortAll.load() || flags.AbortCommand.load())) self->RequestStop();
      const auto now = std::chrono::steady_clock::now();
      if (now < next || duration <= 0) return;
      next = now + kEvery;
      shown = true;
      err << "korvid: merging, " << position * 100 / duration << "% done\n" << std::flush;
    });
    self = &progress;
    job.Run(progress);
    if (shown) err << "korvid: merging, 100% done\n";
    if (const int signal = flags.StopSignal.load(); signal != 0 || !job.Completed()) {
      err << (signal != 0 ? StoppedMessage(signal) : std::string("korvid: the merge was stopped; nothing written\n"));
      return signal != 0 ? StoppedExitStatus(signal) : 1;
    }
    out << job.PlanReport();
    if (!parsed->plan) {
      out << "merged into " << resources::Printable(options.output.string()) << ", with "
          << resources::Printable(graphs::MergeCsvPath(options.output).string()) << " and "
          << resources::Printable(graphs::MergeRecapturePath(options.output).string()) << "\n";
    }
    out.flush();
    return out ? 0 : 1;
  } catch (const graphs::MergeRefused& e) {
    err << "korvid: " << e.what() << "\n";
    return 2;
  } catch (const UserError& e) {
    err << "korvid: " << e.what() << "\n";
    return 1;
  }
}

int RunMergeOption(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  InstallStopSignals(Flags());
  return RunMergeCommand(arguments, out, err);
}

}  // namespace korvid::commands
