#pragma once
// The options that begin with "--": each reads files (or nothing) and
// prints what it finds, and is one row of one table. A row says whether
// the option needs the whole program; those that do not run in `korvid`
// itself, which then loads neither the window's libraries nor FFmpeg.

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::commands {

struct ReportStreams {
  std::ostream& out;
  std::ostream& err;
};

struct ReportOption {
  std::string_view name;   // "--info"
  std::string_view usage;  // its lines in the usage text, empty for none
  // Runs in the runner: it reaches code that decodes, encodes or draws.
  bool needsFullProgram;
  // `arguments` follow the option; returns the exit status.
  int (*run)(const std::vector<std::string>& arguments, ReportStreams streams);
};

std::span<const ReportOption> ReportOptions();

// The row named `name`, or nullptr.
const ReportOption* FindReportOption(std::string_view name);

// The version line and the usage text, built from the table.
void PrintUsage(std::ostream& out);

// `parameters[0]` names the option. An unknown one is refused with the
// usage text and status 2.
int RunReportOption(const std::vector<std::string>& parameters, ReportStreams streams);

}  // namespace korvid::commands
