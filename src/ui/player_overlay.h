#pragma once
// The datecode over the player's picture: the same placement and drawing
// as the burnt-in inlay, so that what the user positions here is what a
// conversion writes.

#include <QImage>
#include <optional>
#include <string>

#include "graphs/layrin.h"
#include "graphs/playback_frame.h"
#include "settings/date_time_format.h"
#include "settings/preferences.h"

namespace korvid::ui {

class PlayerOverlay {
 public:
  explicit PlayerOverlay(settings::LocaleFormats locale) : locale_(std::move(locale)) {}

  // Takes the font, format, hour offset, position and on/off of `prefs`.
  void Configure(const settings::Preferences& prefs);
  void SetPosition(int x_thousandths, int y_thousandths);

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
};

}  // namespace korvid::ui
