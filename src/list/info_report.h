#pragma once
// `korvid --info`: the information records of AVI files as an aligned
// table or as JSON, for terminals and machines without a display.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "media/dv_sound_drift.h"
#include "media/video_record.h"
#include "settings/recording_zone.h"

namespace korvid::list {

// A file's record and how far its DV sound drifts (nothing without DV sound).
struct InfoRecord {
  media::TAfficherFichier record;
  std::optional<media::DvSoundDrift> drift;
};

// A JSON array, indented, ending in a line break: for each record one object
// with every field of the record under its own name; dates as
// "yyyy-mm-ddThh:nn:ss" (null when missing), the key marker bytes 0xFA and
// 0xFF as the characters U+00FA and U+00FF. Beside them, for DV sound read
// from every frame: audioLocked and audioDriftMs (to the microsecond), null
// without DV sound; the datecode as UTC in `zone` ("recordedUtc", and
// "recordedUtcNote" at a daylight-saving edge) and "datecodeSuspect", why it
// looks wrong.
std::string InfoJson(const std::vector<InfoRecord>& records,
                     const settings::RecordingZone& zone = settings::RecordingZone());
// Name, datecode, timecode, codec and DV type, image, duration, fps and
// audio, one line per file under a heading, columns aligned.
std::string InfoTable(const std::vector<media::TAfficherFichier>& records);

// What `--info` makes of its path arguments, in argument order; folders
// are scanned (links to folders are not followed) and give their AVI files
// sorted by path.
struct InfoPaths {
  std::vector<std::string> files;       // to report
  std::vector<std::string> missing;     // do not exist
  std::vector<std::string> notRegular;  // FIFOs, sockets, devices: never opened
};
InfoPaths InfoFiles(const std::vector<std::string>& paths);

// The whole command: `arguments` follow "--info". Returns the exit status:
// 0, 1 when a path does not exist or is no regular file (the others are
// still reported), 2 for a usage error.
int RunInfoCommand(const std::vector<std::string>& arguments, const media::DatecodeFormat& format,
                   std::ostream& out, std::ostream& err);

}  // namespace korvid::list
