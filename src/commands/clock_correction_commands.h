#pragma once
// Mending a camcorder clock that was wrong: every datecode from one frame
// to the end moved by an offset of days, hours, minutes and seconds, into
// a new file named with the offset; the source is never changed. The
// window asks for the offset in a dialog that previews the first and last
// datecode before and after; the command line gives it directly.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "commands/conversion_commands.h"
#include "commands/update_type.h"
#include "graphs/conversion_job.h"
#include "media/dv_packs.h"
#include "media/video_record.h"

namespace korvid::commands {

// "_clock+1d.avi", "_clock-59m30s.avi".
std::string ClockCorrectionSuffix(std::int64_t seconds);

// The job writing `output`: `source` with the datecodes of frames
// `fromFrame` to the end moved by `seconds`, every other byte of the
// frames and the sound as they were. Whole or absent: a date that cannot
// be recorded (media::ClockOffsetError) or a stop leaves no output.
std::unique_ptr<graphs::ConversionJob> MakeClockCorrectionJob(const std::filesystem::path& source,
                                                              const std::filesystem::path& output,
                                                              std::int64_t seconds, std::int64_t fromFrame);

// The first datecode the correction moves and the file's last, before and
// after; nothing where the frames carry none.
struct ClockPreview {
  std::optional<media::TDatecode> firstBefore;
  std::optional<media::TDatecode> firstAfter;
  std::optional<media::TDatecode> lastBefore;
  std::optional<media::TDatecode> lastAfter;
  std::int64_t frames = 0;  // in the file
};
// Throws SceneScanError when the file cannot be read.
ClockPreview PreviewClockCorrection(const std::filesystem::path& source, std::int64_t seconds,
                                    std::int64_t fromFrame);

// "yyyy-mm-dd hh:nn:ss", or "none".
std::string PreviewText(const std::optional<media::TDatecode>& dc);

// What the dialog edits; it lasts for the run of the program.
struct ClockCorrectionState {
  std::string offsetText;
  std::int64_t fromFrame = 0;
};

// Shows the dialog modally for `entry`; true for OK.
class ClockOffsetChooser {
 public:
  virtual ~ClockOffsetChooser() = default;
  virtual bool Choose(const media::TAfficherFichier& entry, ClockCorrectionState& state) = 0;
};

struct ClockCorrectionServices {
  ConversionServices& conversion;
  ClockOffsetChooser& chooser;
  ClockCorrectionState& state;
};

void CorrectClockFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
// utAdd with the new file; utNone when the dialog was cancelled. A wrong
// offset or frame throws media::ClockOffsetError with the reason.
TchUpdateType CorrectClockExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                    ClockCorrectionServices& services);

}  // namespace korvid::commands
