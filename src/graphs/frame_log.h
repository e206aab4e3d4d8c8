#pragma once
// The per-frame log of a scan: one line per frame with its place in the
// file, its timecode and recording date and time, whether a scene starts
// there and why, how its datecode was found, the damage marked in its
// blocks, the sound samples it holds, and the discontinuities that do not
// cut a scene.
// As CSV for a file and as JSON lines for scripts.

#include <optional>
#include <string>
#include <utility>

#include "graphs/frame_marks.h"
#include "graphs/scene_scan.h"
#include "media/avi_stream.h"
#include "media/dv_block_errors.h"
#include "settings/recording_zone.h"

namespace korvid::graphs {

// The texts frame logs give a frame's timecode and recording date and
// time in; empty for none. The recording time is ISO 8601 local time as
// recorded: the camcorder's zone is not known.
std::string TimecodeField(const media::TTimecode& tc);
std::string RecordedField(const media::TDatecode& dc);

enum class FrameLogStyle { kCsv, kJsonLines };

class FrameLogFormatter {
 public:
  // `file_sound`: the sound format of the file's first usable frame, for
  // counting the audio errors of frames that lost their own description.
  // `zone`: where the datecodes were recorded, for their UTC column.
  FrameLogFormatter(media::FrameRate rate, FrameLogStyle style, std::optional<media::DvAudioInfo> file_sound = {},
                    settings::RecordingZone zone = settings::RecordingZone());

  // The CSV header line with its line break; empty for JSON lines.
  std::string Header() const;
  // Appends the frame's line with its line break. Block counts are given
  // only for a frame read whole; fields a frame lacks are left empty (null).
  void Append(const ScannedFrame& frame, std::string& out);

 private:
  // The recording time in UTC, and what a daylight-saving edge made of it.
  std::pair<std::string, std::string> UtcFields(const media::TDatecode& dc) const;

  media::FrameRate rate_;
  FrameLogStyle style_;
  std::optional<media::DvAudioInfo> file_sound_;
  media::DifBlockErrorCounter counter_;
  FrameMarkTracker marks_;
  settings::RecordingZone zone_;
  std::string zoneName_;
};

}  // namespace korvid::graphs
