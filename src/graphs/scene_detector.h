#pragma once
// Cutting a file into scenes where the recording date and time jumps: the
// camera was stopped and started again. Frames are fed in order; the rules
// are exact to the frame, so a scene ends on the last frame before a jump
// and the next one starts on the jump frame.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "media/dv_packs.h"
#include "settings/date_time_format.h"

namespace korvid::graphs {

// Consecutive frames further apart than this belong to different scenes.
inline constexpr std::int64_t kSceneJumpSeconds = 2;
// A jump that would end a scene of this many frames or fewer is absorbed,
// so that the first frames after a restart (or a glitch) never make a scene.
inline constexpr std::int32_t kMaxAbsorbedFrames = 12;

// Seconds of a real date and time since 0001-01-01 00:00:00; nothing when
// the value is not a real moment.
std::optional<std::int64_t> MomentSeconds(const settings::DateTimeValue& value);

// The recording date and time of a frame as a calendar value, when it has one.
std::optional<settings::DateTimeValue> RecordingValue(const media::TDatecode& dc);

// "hh.mm.ss.ff" with the hours as a signed byte: a frame without timecode
// (hours 255) gives a text that starts with "-".
std::string SceneTimecodeText(const media::TTimecode& tc);

// Why a scene begins where it does.
struct SceneCause {
  enum class Kind { kStartOfFile, kDateJump, kDateEnds, kDateStarts };
  Kind kind = Kind::kStartOfFile;
  std::int64_t seconds = 0;  // kDateJump: this frame's time minus the previous frame's
};

// "start of file", "recording date jumps +N s" or "-N s", "recording date
// ends" (dated to undated frames), "recording date starts" (and back).
std::string SceneCauseText(const SceneCause& cause);

// A jump that would have cut, taken into the running scene because it came
// too soon after the scene's start.
struct AbsorbedCut {
  std::int32_t frame = 0;
  SceneCause cause;
};

// One scene found by the detector, before its texts are formed.
struct DetectedScene {
  std::int32_t startFrame = 0;
  std::int32_t endFrame = 0;  // inclusive
  std::optional<settings::DateTimeValue> datecode;  // of the scene's first frame
  std::string timecodeText;                         // of the scene's first frame
  SceneCause cause;
  std::vector<AbsorbedCut> absorbed;  // in frame order
};

// The scene's timecode as scene lists and chapter titles show it: empty
// for "-.." (a first frame without timecode) and "N/A" (the listing's word
// for none).
std::string ShownTimecodeText(const DetectedScene& scene);

struct FrameOutcome {
  bool ignored = false;  // the frame's date fields form no real date: it is skipped
  bool jump = false;     // its time jumped from the previous frame's
  // The jump's cause, whether it cut or was absorbed; nothing on frame 0,
  // where a scene starts anyway.
  std::optional<SceneCause> cause;
  // The scene the jump ended; nothing when it was absorbed or there was no jump.
  std::optional<DetectedScene> finished;
};

class SceneDetector {
 public:
  // Starts a scan at frame 0 with what the listing found on the first frame.
  // The previous frame's value is kept from the last scan on purpose: a
  // jump it causes lands on frame 0, where it is always absorbed.
  void Begin(std::optional<settings::DateTimeValue> firstDatecode, std::string firstTimecodeText);

  FrameOutcome Feed(std::int32_t frame, const media::TDatecode& dc, const media::TTimecode& tc);

  // The running scene, ended at `lastFrame`.
  DetectedScene Finish(std::int32_t lastFrame) const;

  std::int32_t CurrentStart() const { return current_.startFrame; }

 private:
  DetectedScene current_;
  // Undated frames have no moment: between two of them there is no jump,
  // between an undated and a dated one there always is.
  std::optional<std::int64_t> previous_;
};

}  // namespace korvid::graphs
