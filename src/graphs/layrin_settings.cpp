#include "graphs/layrin_settings.h"

#include <algorithm>
#include <cstddef>

namespace korvid::graphs {
namespace {

constexpr std::size_t kMaxText = 255;

std::string Cut(std::string_view text) { return std::string(text.substr(0, kMaxText)); }

}  // namespace

void LayrinSettings::SetTemplate(std::string_view text) { template_ = Cut(text); }
void LayrinSettings::SetOverlayOn(std::int32_t value) { on_ = value != 0; }
void LayrinSettings::SetAutoFontSize(std::int32_t value) {
  autoSize_ = value != 0;
  LookChanged();
}
void LayrinSettings::SetFontSize(std::int32_t points) {
  points_ = std::clamp(points, 1, 1000);
  LookChanged();
}
void LayrinSettings::SetFontName(std::string_view name) {
  family_ = Cut(name);
  LookChanged();
}
void LayrinSettings::SetFontColor(std::int32_t bgr) {
  bgr_ = static_cast<std::uint32_t>(bgr) & 0x00FFFFFFu;
  LookChanged();
}
void LayrinSettings::SetBold(std::int32_t value) {
  bold_ = value != 0;
  LookChanged();
}
void LayrinSettings::SetItalic(std::int32_t value) {
  italic_ = value != 0;
  LookChanged();
}
void LayrinSettings::SetUnderline(std::int32_t value) {
  underline_ = value != 0;
  LookChanged();
}
void LayrinSettings::SetStrikeOut(std::int32_t value) {
  strikeOut_ = value != 0;
  LookChanged();
}
void LayrinSettings::SetShadow(std::int32_t value) {
  shadow_ = std::clamp(value, 0, 100);
  LookChanged();
}
void LayrinSettings::SetBackground(std::int32_t value) {
  background_ = std::clamp(value, 0, 100);
  LookChanged();
}
void LayrinSettings::SetPosition(std::int32_t x, std::int32_t y, std::int32_t /*unused*/) {
  x_ = std::clamp(x, 0, 1000);
  y_ = std::clamp(y, 0, 1000);
}
void LayrinSettings::SetDisplayTemplate(std::string_view text) { displayTemplate_ = Cut(text); }

}  // namespace korvid::graphs
