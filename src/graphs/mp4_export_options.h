#pragma once
// What the MP4 export is asked to do; the job itself is in mp4_export_job.h.

#include <cstdint>
#include <optional>
#include <string>

#include "settings/date_time_format.h"

namespace korvid::graphs {

struct Mp4ExportOptions {
  int quality = 20;  // x264's constant rate factor, 0 (best) to 51
  // How dates read in the subtitles and chapter titles.
  std::string dateFormat;
  settings::LocaleFormats locale;
  // Seconds since the epoch of the recording's start, for the file's
  // creation time; nothing writes none.
  std::optional<std::int64_t> creationTime;
  // The same as local time with its offset ("2005-08-14T15:02:11+02:00"),
  // for the date tag that keeps the zone; empty writes none.
  std::string creationDate;
  // Four-channel recordings: both stereo pairs mixed rather than 1-2 alone.
  bool mixPairs = false;
};

}  // namespace korvid::graphs
