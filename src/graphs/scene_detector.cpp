#include "graphs/scene_detector.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "media/datecode_shift.h"

namespace korvid::graphs {

std::optional<std::int64_t> MomentSeconds(const settings::DateTimeValue& value) {
  if (!settings::IsValidDateTime(value)) return std::nullopt;
  using namespace std::chrono;
  const year_month_day date{year{value.year}, month{static_cast<unsigned>(value.month)},
                            day{static_cast<unsigned>(value.day)}};
  static constexpr year_month_day kOrigin{year{1}, January, day{1}};
  const auto days_since = (sys_days{date} - sys_days{kOrigin}).count();
  return std::int64_t{days_since} * 86400 + value.hour * 3600 + value.minute * 60 + value.second;
}

std::optional<settings::DateTimeValue> RecordingValue(const media::TDatecode& dc) {
  if (!media::HasDatecode(dc)) return std::nullopt;
  const settings::DateTimeValue value{dc.year, dc.month, dc.day, dc.hour, dc.minute, dc.second};
  if (!settings::IsValidDateTime(value)) return std::nullopt;
  return value;
}

std::string SceneTimecodeText(const media::TTimecode& tc) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.2d.%.2d", static_cast<int>(static_cast<std::int8_t>(tc.hours)),
                tc.minutes, tc.seconds, tc.frames);
  return text;
}

std::string SceneCauseText(const SceneCause& cause) {
  switch (cause.kind) {
    case SceneCause::Kind::kStartOfFile:
      return "start of file";
    case SceneCause::Kind::kDateEnds:
      return "recording date ends";
    case SceneCause::Kind::kDateStarts:
      return "recording date starts";
    case SceneCause::Kind::kDateJump:
      break;
  }
  return "recording date jumps " + std::string(cause.seconds >= 0 ? "+" : "-") +
         std::to_string(cause.seconds >= 0 ? cause.seconds : -cause.seconds) + " s";
}

void SceneDetector::Begin(std::optional<settings::DateTimeValue> firstDatecode, std::string firstTimecodeText) {
  current_ = DetectedScene{0, 0, firstDatecode, std::move(firstTimecodeText), {}, {}};
}

FrameOutcome SceneDetector::Feed(std::int32_t frame, const media::TDatecode& dc, const media::TTimecode& tc) {
  FrameOutcome outcome;
  // Date fields present but impossible come from a damaged pack: such a
  // frame says nothing about the recording, not even "undated".
  if (media::HasDatecode(dc) && !media::IsCalendarDatecode(dc)) {
    outcome.ignored = true;
    return outcome;
  }
  const std::optional<settings::DateTimeValue> value = RecordingValue(dc);
  const std::optional<std::int64_t> moment = value ? MomentSeconds(*value) : std::nullopt;

  const bool jump = moment.has_value() != previous_.has_value() ||
                    (moment && (*moment - *previous_ > kSceneJumpSeconds || *previous_ - *moment > kSceneJumpSeconds));
  SceneCause cause;
  if (jump) {
    if (moment && previous_)
      cause = {SceneCause::Kind::kDateJump, *moment - *previous_};
    else
      cause.kind = moment ? SceneCause::Kind::kDateStarts : SceneCause::Kind::kDateEnds;
  }
  previous_ = moment;
  if (!jump) return outcome;
  outcome.jump = true;
  if (frame == current_.startFrame) return outcome;
  outcome.cause = cause;

  // The scene the jump would end holds frames startFrame .. frame-1.
  if (frame - current_.startFrame <= kMaxAbsorbedFrames) {
    current_.absorbed.push_back({frame, cause});
    return outcome;
  }

  DetectedScene finished = std::move(current_);
  finished.endFrame = frame - 1;
  outcome.finished = std::move(finished);
  current_ = DetectedScene{frame, frame, value, SceneTimecodeText(tc), cause, {}};
  return outcome;
}

DetectedScene SceneDetector::Finish(std::int32_t lastFrame) const {
  DetectedScene scene = current_;
  scene.endFrame = lastFrame;
  return scene;
}

std::string ShownTimecodeText(const DetectedScene& scene) {
  const std::string& text = scene.timecodeText;
  if (text.empty() || text[0] == '-' || text[0] == 'N') return {};
  return text;
}

}  // namespace korvid::graphs
