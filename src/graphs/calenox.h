#pragma once
// The datecode text source of the overlay: for each DV frame, in order,
// the text to draw over its picture. The recording date and time of the
// frame, moved by the hour offset, is written in the display format; a
// frame without a datecode gets no text. With automatic inlay the text is
// shown only for a number of frames after each jump of the recording time
// (the first frame counts as one), as a camcorder shows the date when
// recording starts.
//
// Settings, each one 32-bit value or a text:
//   SetHourOffset     hours added to the datecode before it is written.
//   SetFormat         the date-time format of the text (255 bytes at most).
//   SetConversion     non-zero in a conversion, zero in the player; the
//                     player also shows the text of a still frame.
//   SetInlayFrames    frames the text stays after a jump (automatic inlay).
//   SetAutomatic      non-zero: automatic inlay on.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/date_time_format.h"

namespace korvid::graphs {

// Where the recording time jumps, frame after frame: the automatic inlay
// shows the datecode for a while from each jump. The first frame is one,
// and so is a dated frame after undated ones, or time going back.
class RecordingJumps {
 public:
  // The frame's recording date and time (none: undated); true on a jump.
  bool Feed(const std::optional<settings::DateTimeValue>& value);
  // A new stream starts: the next frame is a jump.
  void Restart();

 private:
  std::optional<std::int64_t> previous_;  // none: undated or no frame yet
  bool seen_frame_ = false;
};

class Calenox {
 public:
  explicit Calenox(settings::LocaleFormats locale = settings::EnglishLocaleFormats()) : locale_(std::move(locale)) {}

  void SetHourOffset(std::int32_t hours);
  void SetFormat(std::string_view format);
  void SetConversion(std::int32_t value);
  void SetInlayFrames(std::int32_t frames);
  void SetAutomatic(std::int32_t value);

  std::int32_t InlayFrames() const { return inlayFrames_; }

  // The text for the next frame of the stream; empty for none.
  std::string Next(std::span<const std::uint8_t> frame);
  // A new stream starts: the next frame counts as a jump.
  void Restart();

 private:
  settings::LocaleFormats locale_;
  std::int32_t hours_ = 0;
  std::string format_ = "dd/mm/yyyy hh:nn:ss";
  bool conversion_ = false;
  std::int32_t inlayFrames_ = 0;
  bool automatic_ = false;
  RecordingJumps jumps_;
  std::int64_t since_jump_ = 0;  // frames since the last jump
};

}  // namespace korvid::graphs
