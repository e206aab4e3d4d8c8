#pragma once
// The structure report of an AVI file: every chunk with its size, the
// decoded headers, stream formats, DV blocks and index headers, warnings
// for chunks that run past the end and for trailing bytes. Produced as
// text lines; the window that shows it and the ".log" it is saved to are
// built on these lines.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/date_time_format.h"

namespace korvid::media {

inline constexpr int kRiffReportWidth = 50;

// prefix, n padding characters, title, n padding characters, where
// n = (50 - length(prefix) - length(title)) / 2; no padding when n <= 0.
std::string ReportBanner(std::string_view prefix, char padding, std::string_view title);

struct RiffReportStamp {
  settings::DateTimeValue now;
  settings::LocaleFormats locale;
  std::string program;  // "Korvid"
  std::string maker;
  std::string version;
  std::string webAddress;
};

// This run's stamp: now, the system's formats, this program.
RiffReportStamp CurrentRiffReportStamp();

struct RiffReport {
  std::vector<std::string> lines;
  bool cancelled = false;
  bool unexpectedEnd = false;
};

// Called before every chunk and index entry: the place to let a window
// handle its events. False cancels the report.
using ReportKeepGoing = std::function<bool()>;

// The report of the file at `path`; an empty report for a missing file.
// Throws FileError when the file exists but cannot be opened.
RiffReport BuildRiffReport(const std::filesystem::path& path, const RiffReportStamp& stamp,
                           const ReportKeepGoing& keepGoing = {});

// The lines with CR LF after each; throws FileError when writing fails.
void SaveRiffReport(const std::vector<std::string>& lines, const std::filesystem::path& target);
// The proposed name of the saved report: the file's name with ".log".
std::filesystem::path RiffReportLogPath(const std::filesystem::path& analysed);

}  // namespace korvid::media
