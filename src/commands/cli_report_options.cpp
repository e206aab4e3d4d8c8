#include "commands/cli_report_options.h"

#include <array>
#include <cstdio>
#include <exception>

#include "commands/clean_command.h"
#include "commands/merge_command.h"
#include "commands/scenes_report.h"
#include "commands/time_zone_option.h"
#include "graphs/frames_command.h"
#include "list/info_report.h"
#include "media/first_frame.h"
#include "media/named_path.h"
#include "media/riff_report.h"
#include "media/video_record.h"
#include "resources/printable_text.h"
#include "resources/product.h"
#include "resources/string_table.h"
#include "resources/user_error.h"
#include "settings/preferences_store.h"
#include "settings/system_locale.h"

namespace korvid::commands {
namespace {

using resources::FileErrorLine;

// Datecodes look as the information panel shows them: the user's display
// format and the system's separators and names.
media::DatecodeFormat UserDatecodeFormat() {
  settings::DefaultEnvironment environment;
  environment.documentsFolder = settings::UserDocumentsFolder();
  const settings::Preferences preferences =
      settings::LoadPreferences(settings::StoreLocation::ForCurrentUser(), environment);
  return {preferences.displayDatecodeFormat, settings::SystemLocaleFormats()};
}

std::string DatecodeText(const media::TDatecode& dc) {
  if (!media::HasDatecode(dc)) return "N/A";
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", dc.year, dc.month, dc.day, dc.hour, dc.minute,
                dc.second);
  return text;
}

std::string TimecodeText(const media::TTimecode& tc) {
  if (!media::HasTimecode(tc)) return "N/A";
  char text[24];
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.2d.%.2d", tc.hours, tc.minutes, tc.seconds, tc.frames);
  return text;
}

// Whether `file` can be opened as a file; says why not on `err` otherwise.
bool Readable(const std::string& file, std::ostream& err) {
  bool folder = false;
  resources::Text fault = media::NamedPathFault(file, folder);
  if (fault == resources::Text::kCount && folder) fault = resources::Text::kNotRegularFile;
  if (fault == resources::Text::kCount) return true;
  err << FileErrorLine(file, resources::Str(fault));
  return false;
}

// The file options take one file after another: one that cannot be read
// says why and makes the status 1, the others are still reported.
template <typename Report>
int EachFile(std::string_view option, const std::vector<std::string>& files, ReportStreams streams,
             Report report) {
  if (files.empty()) {
    streams.err << "korvid: " << option << " needs at least one file\n";
    return 2;
  }
  int status = 0;
  for (const std::string& file : files) {
    try {
      if (!Readable(file, streams.err) || !report(file)) status = 1;
    } catch (const UserError& e) {
      streams.err << FileErrorLine(file, resources::Printable(e.what()));
      status = 1;
    }
  }
  return status;
}

int PrintVersion(const std::vector<std::string>&, ReportStreams streams) {
  streams.out << "korvid " << resources::kProductVersion << '\n';
  return 0;
}

int PrintHelp(const std::vector<std::string>&, ReportStreams streams) {
  PrintUsage(streams.out);
  return 0;
}

int PrintDatecodes(const std::vector<std::string>& files, ReportStreams streams) {
  return EachFile("--datecode", files, streams, [&streams](const std::string& file) {
    std::string why;
    const auto packs = media::ReadFirstFramePacks(file, &why);
    if (!packs) {
      streams.err << FileErrorLine(file, why);
      return false;
    }
    streams.out << resources::Printable(file) << "\tdatecode " << DatecodeText(packs->datecode) << "\ttimecode "
                << TimecodeText(packs->timecode) << (packs->wide ? "\t16:9" : "") << '\n';
    return true;
  });
}

// The structure report, as the window shows it, one file after another.
int PrintRiffReports(const std::vector<std::string>& files, ReportStreams streams) {
  const media::RiffReportStamp stamp = media::CurrentRiffReportStamp();
  return EachFile("--riff", files, streams, [&](const std::string& file) {
    const media::RiffReport report = media::BuildRiffReport(file, stamp);
    // Gone between the look and the read.
    if (report.lines.empty()) {
      streams.err << FileErrorLine(file, resources::Str(resources::Text::kPathNotFound));
      return false;
    }
    for (const std::string& line : report.lines) streams.out << line << '\n';
    return true;
  });
}

int PrintFrames(const std::vector<std::string>& arguments, ReportStreams streams) {
  return graphs::RunFramesCommand(arguments, streams.out, streams.err);
}

int PrintInfo(const std::vector<std::string>& arguments, ReportStreams streams) {
  return list::RunInfoCommand(arguments, UserDatecodeFormat(), streams.out, streams.err);
}

int Merge(const std::vector<std::string>& arguments, ReportStreams streams) {
  return RunMergeOption(arguments, streams.out, streams.err);
}

int Clean(const std::vector<std::string>& arguments, ReportStreams streams) {
  return RunCleanCommand(arguments, streams.out, streams.err);
}

int Scenes(const std::vector<std::string>& arguments, ReportStreams streams) {
  return RunScenesOption(arguments, streams.out, streams.err);
}

// The zone, then what follows as if it came first.
int TimeZoneThenReport(const std::vector<std::string>& arguments, ReportStreams streams) {
  std::vector<std::string> rest{"--time-zone"};
  rest.insert(rest.end(), arguments.begin(), arguments.end());
  if (const int status = TakeTimeZoneOption(rest); status != 0) return status;
  return RunReportOption(rest, streams);
}

constexpr std::array kReportOptions{
    ReportOption{"--version", "", false, PrintVersion},
    ReportOption{"--help", "", false, PrintHelp},
    ReportOption{"-h", "", false, PrintHelp},
    ReportOption{"--datecode", "       korvid --datecode FILE.avi...   datecode and timecode of each file's first frame\n",
                 false, PrintDatecodes},
    ReportOption{"--info", "       korvid --info [--json] PATH...  information of each AVI file; folders are scanned\n",
                 false, PrintInfo},
    ReportOption{"--frames",
                 "       korvid --frames [--json] FILE.avi  one line per frame: position, timecode, datecode,\n"
                 "              scene starts and damaged blocks (CSV, or JSON lines)\n",
                 false, PrintFrames},
    ReportOption{"--riff", "       korvid --riff FILE...           the RIFF structure of each file\n", false,
                 PrintRiffReports},
    // Drawn with Qt and decoded with FFmpeg: the runner serves it.
    ReportOption{"--contact-sheet",
                 "       korvid --contact-sheet [--columns N] FILE.avi...  a PNG contact sheet of each file's\n"
                 "              scenes and their damage, beside it (FILE_sheet.png, FILE_sheet-2.png, ...)\n",
                 true, nullptr},
    ReportOption{"--clean",
                 "       korvid --clean [--yes] FOLDER...  list the temporary files interrupted runs left\n"
                 "              in the folders (and below), with their sizes; --yes removes them\n",
                 false, Clean},
    ReportOption{"--merge",
                 "       korvid --merge [--plan] [--force] [--type 1|2] OUTPUT.avi PASS.avi PASS.avi...\n"
                 "              several captures of one tape merged block by block into OUTPUT.avi, with\n"
                 "              OUTPUT_merge.csv and OUTPUT_recapture.txt; --plan prints the plan only\n",
                 false, Merge},
    ReportOption{"--scenes",
                 "       korvid --scenes [--json] FILE.avi...  the scenes a scene file would hold, why each was cut,\n"
                 "              and the marks that do not cut; writes nothing\n",
                 false, Scenes},
    ReportOption{"--correct-clock",
                 "       korvid --correct-clock OFFSET [--from-frame N] FILE.avi...  datecodes from frame N on moved\n"
                 "              by OFFSET (+1d, -0:59:30, +365d6:00) into a new file named with the offset\n",
                 true, nullptr},
    ReportOption{"--time-zone",
                 "       korvid --time-zone ZONE ...     datecodes as local times of ZONE (Europe/Paris) for the rest\n"
                 "              of the command line; otherwise the preference, else the system's zone\n",
                 false, TimeZoneThenReport},
};

}  // namespace

std::span<const ReportOption> ReportOptions() { return kReportOptions; }

const ReportOption* FindReportOption(std::string_view name) {
  for (const ReportOption& option : kReportOptions)
    if (option.name == name) return &option;
  return nullptr;
}

void PrintUsage(std::ostream& out) {
  out << "korvid " << resources::kProductVersion << '\n'
      << "usage: korvid [--version] [--help]\n"
         "       korvid [FILE.avi|FOLDER...]   the window, with the files listed\n"
         "       korvid [+SWITCHES] FILE.avi|FOLDER...  list the files and run the commands the switches name\n"
         "              (+h runs without any question and quits; korvid /? lists the switches;\n"
         "              one line per file and command; exit status 1 when one failed, 2 for an unknown switch;\n"
         "              SIGINT, SIGTERM or SIGHUP stop the running command: 128 + the signal)\n";
  for (const ReportOption& option : kReportOptions) out << option.usage;
}

int RunReportOption(const std::vector<std::string>& parameters, ReportStreams streams) {
  const ReportOption* option = parameters.empty() ? nullptr : FindReportOption(parameters.front());
  if (option == nullptr) {
    streams.err << "korvid: unknown option '" << resources::Printable(parameters.empty() ? "" : parameters.front())
                << "'\n";
    PrintUsage(streams.out);
    return 2;
  }
  if (option->run == nullptr) {
    streams.err << "korvid: " << option->name << " is served by the full program\n";
    return 2;
  }
  const int status = option->run({parameters.begin() + 1, parameters.end()}, streams);
  streams.out.flush();
  return status;
}

}  // namespace korvid::commands
