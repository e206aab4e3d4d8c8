#include "graphs/calenox.h"

#include <utility>

#include "graphs/scene_detector.h"
#include "media/datecode_shift.h"
#include "media/dv_frame_facts.h"

namespace korvid::graphs {

namespace {
constexpr std::size_t kMaxText = 255;
}

void Calenox::SetHourOffset(std::int32_t hours) {
  hours_ = hours;
}

void Calenox::SetFormat(std::string_view format) {
  format_ = std::string(format.substr(0, kMaxText));
}

void Calenox::SetConversion(std::int32_t value) {
  conversion_ = value != 0;
}

void Calenox::SetInlayFrames(std::int32_t frames) {
  inlayFrames_ = frames;
}

void Calenox::SetAutomatic(std::int32_t value) {
  automatic_ = value != 0;
}

bool RecordingJumps::Feed(const std::optional<settings::DateTimeValue>& value) {
  const std::optional<std::int64_t> moment = value ? MomentSeconds(*value) : std::nullopt;
  bool jump = !seen_frame_;
  if (seen_frame_ && moment && previous_) {
    const std::int64_t step = *moment - *previous_;
    jump = step < 0 || step > kSceneJumpSeconds;
  } else if (seen_frame_ && moment && !previous_) {
    jump = true;
  }
  seen_frame_ = true;
  previous_ = moment;
  return jump;
}

void RecordingJumps::Restart() {
  previous_.reset();
  seen_frame_ = false;
}

void Calenox::Restart() {
  jumps_.Restart();
  since_jump_ = 0;
}

std::string Calenox::Next(std::span<const std::uint8_t> frame) {
  const media::TDatecode dc = media::ReadDvFrameFacts(frame).datecode;
  const std::optional<settings::DateTimeValue> value = RecordingValue(media::ShiftDatecode(dc, hours_));
  since_jump_ = jumps_.Feed(value) ? 0 : since_jump_ + 1;

  if (!value) return {};
  if (automatic_ && since_jump_ >= inlayFrames_) return {};
  return settings::FormatDateTime(format_, *value, locale_);
}

}  // namespace korvid::graphs
