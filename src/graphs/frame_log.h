#pragma once
// The per-frame log of a scan: one line per frame with its place in the
// file, its timecode and recording date and time, whether a scene starts
// there, how its datecode was found, the damage marked in its blocks and
// the sound samples it holds.
// As CSV for a file and as JSON lines for scripts.

#include <optional>
#include <string>

#include "graphs/scene_scan.h"
#include "media/avi_stream.h"
#include "media/dv_block_errors.h"

namespace korvid::graphs {

enum class FrameLogStyle { kCsv, kJsonLines };

class FrameLogFormatter {
 public:
  // `file_sound`: the sound format of the file's first usable frame, for
  // counting the audio errors of frames that lost their own description.
  FrameLogFormatter(media::FrameRate rate, FrameLogStyle style, std::optional<media::DvAudioInfo> file_sound = {});

  // The CSV header line with its line break; empty for JSON lines.
  std::string Header() const;
  // Appends the frame's line with its line break. Block counts are given
  // only for a frame read whole; fields a frame lacks are left empty (null).
  void Append(const ScannedFrame& frame, std::string& out);

 private:
  media::FrameRate rate_;
  FrameLogStyle style_;
  std::optional<media::DvAudioInfo> file_sound_;
  media::DifBlockErrorCounter counter_;
};

}  // namespace korvid::graphs
