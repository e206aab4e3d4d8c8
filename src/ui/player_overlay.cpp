#include "ui/player_overlay.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <algorithm>
#include <cmath>

#include "graphs/scene_detector.h"
#include "media/datecode_shift.h"

namespace korvid::ui {
namespace {

// As the inlay renders: sizes are for a 480-line picture when the font
// follows the picture, and the box has a margin of two pixels.
constexpr int kReferenceLines = 480;
constexpr int kBoxMargin = 2;
constexpr std::int32_t kShadow = 20;

}  // namespace

void PlayerOverlay::Configure(const settings::Preferences& prefs) {
  font_ = prefs.incrustFont;
  format_ = prefs.displayDatecodeFormat;
  hours_ = prefs.clockOffsetHours;
  on_ = prefs.inlayOn;
  layrin_.SetTemplate("%D");
  layrin_.SetAutoFontSize(prefs.autoFontSize ? 1 : 0);
  layrin_.SetFontSize(font_.size);
  layrin_.SetFontName(font_.name);
  layrin_.SetFontColor(font_.color);
  layrin_.SetBold(font_.bold);
  layrin_.SetItalic(font_.italic);
  layrin_.SetUnderline(font_.underline);
  layrin_.SetStrikeOut(font_.strikeOut);
  layrin_.SetShadow(kShadow);
  layrin_.SetOverlayOn(1);
  SetPosition(prefs.inlayPositionX, prefs.inlayPositionY);
  autoSize_ = prefs.autoFontSize;
  automatic_ = prefs.automaticInlay;
  automaticSeconds_ = prefs.inlayDurationSeconds;
}

void PlayerOverlay::SetFrameRate(double fps) { fps_ = fps; }

void PlayerOverlay::Follow(std::int64_t number, const std::optional<graphs::FramePacks>& packs, bool moved) {
  std::optional<settings::DateTimeValue> value;
  if (packs) value = graphs::RecordingValue(media::ShiftDatecode(packs->datecode, hours_));
  if (moved) jumps_.Restart();
  // Counted in frame numbers, so that pictures dropped to keep up with the
  // sound do not stretch the time the text stays.
  if (jumps_.Feed(value)) jumpNumber_ = number;
  number_ = number;
}

bool PlayerOverlay::Shows() const {
  if (!on_) return false;
  if (!automatic_) return true;
  const auto frames = static_cast<std::int64_t>(std::lround(automaticSeconds_ * fps_));
  return number_ - jumpNumber_ < frames;
}

void PlayerOverlay::SetPosition(int x_thousandths, int y_thousandths) { layrin_.SetPosition(x_thousandths, y_thousandths, 0); }

std::string PlayerOverlay::TextFor(const std::optional<graphs::FramePacks>& packs) const {
  if (!packs) return {};
  const std::optional<settings::DateTimeValue> value =
      graphs::RecordingValue(media::ShiftDatecode(packs->datecode, hours_));
  return value ? settings::FormatDateTime(format_, *value, locale_) : std::string();
}

QImage PlayerOverlay::Compose(const QImage& picture, const std::optional<graphs::FramePacks>& packs) {
  if (!Shows() || picture.isNull()) return picture;
  const std::string text = TextFor(packs);
  if (text.empty()) return picture;
  const graphs::TextBox box = layrin_.Place(text, picture.width(), picture.height());
  if (box.Empty()) return picture;

  QFont font(QString::fromStdString(font_.name));
  font.setPixelSize(autoSize_ ? std::max(1, font_.size * picture.height() / kReferenceLines) : std::max(1, font_.size));
  font.setBold(font_.bold);
  font.setItalic(font_.italic);
  font.setUnderline(font_.underline);
  font.setStrikeOut(font_.strikeOut);
  const auto bgr = static_cast<std::uint32_t>(font_.color);
  const QColor colour(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                      static_cast<int>((bgr >> 16) & 0xFF));
  QImage out = picture.copy();
  graphs::DrawInlayText(out, QPoint(box.x + kBoxMargin, box.y + kBoxMargin), font, QString::fromStdString(text), colour);
  return out;
}

}  // namespace korvid::ui
