#pragma once
// The datecode over the player's picture: the same placement and drawing
// as the burnt-in inlay, so that what the user positions here is what a
// conversion writes. With automatic inlay the text shows only for the set
// number of seconds from where the recording time jumps, as in a
// conversion, and from where the user moved to; a frame that stays on
// screen keeps its text until playing moves on.

#include <QImage>
#include <cstdint>
#include <optional>
#include <string>

#include "graphs/calenox.h"
#include "graphs/layrin.h"
#include "graphs/playback_frame.h"
#include "settings/date_time_format.h"
#include "settings/preferences.h"

namespace korvid::ui {

class PlayerOverlay {
 public:
  explicit PlayerOverlay(settings::LocaleFormats locale) : locale_(std::move(locale)) {}

  // Takes the font, format, hour offset, position, on/off and automatic
  // inlay of `prefs`.
  void Configure(const settings::Preferences& prefs);
  void SetPosition(int x_thousandths, int y_thousandths);
  // The file's frame rate, which turns the automatic inlay's seconds into frames.
  void SetFrameRate(double fps);

  // Frame `number` with `packs` comes on screen; `moved` when the user
  // (or the end of playback) put it there rather than playing on.
  void Follow(std::int64_t number, const std::optional<graphs::FramePacks>& packs, bool moved);
  // Whether the text is drawn over the frame on screen.
  bool Shows() const;

  // The text drawn for a frame's packs; empty for none.
  std::string TextFor(const std::optional<graphs::FramePacks>& packs) const;
  // `picture` with the text of `packs` drawn over it when the overlay is on.
  QImage Compose(const QImage& picture, const std::optional<graphs::FramePacks>& packs);

 private:
  settings::LocaleFormats locale_;
  graphs::Layrin layrin_;
  settings::IncrustFont font_;
  std::string format_;
  int hours_ = 0;
  bool on_ = false;
  bool autoSize_ = false;
  bool automatic_ = false;
  int automaticSeconds_ = 0;
  double fps_ = 0;
  graphs::RecordingJumps jumps_;
  std::int64_t number_ = 0;      // the frame on screen
  std::int64_t jumpNumber_ = 0;  // where the text last came back
};

}  // namespace korvid::ui
