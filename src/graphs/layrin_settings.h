#pragma once
// The text overlay's settings, apart from the overlay itself (layrin.h):
// the commands choose them without loading the libraries that draw.
//
// Settings (numbers as the graphs call them):
//   1 SetTemplate      the text drawn, "%D" standing for the datecode text.
//   2 SetOverlayOn     non-zero: draw; zero: leave pictures alone.
//   3 SetAutoFontSize  non-zero: the font size is for a 480-line picture
//                      and follows the picture's height; zero: points are
//                      picture pixels.
//   4 SetFontSize      points.
//   5 SetFontName      a family name, resolved by fontconfig.
//   6 SetFontColor     0x00BBGGRR.
//   7-10               bold, italic, underline, strike-out.
//   11 SetShadow       darkness (0-100) of a one-pixel shadow that keeps
//                      light text readable on light pictures.
//   13 SetBackground   darkness (0-100) of a box behind the text; 0: none.
//   14 SetPosition     x, y in thousandths; the third value is not used.
//   16 SetDisplayTemplate  the player's template while its display is on.

#include <cstdint>
#include <string>
#include <string_view>

namespace korvid::graphs {

class LayrinSettings {
 public:
  void SetTemplate(std::string_view text);
  void SetOverlayOn(std::int32_t value);
  void SetAutoFontSize(std::int32_t value);
  void SetFontSize(std::int32_t points);
  void SetFontName(std::string_view name);
  void SetFontColor(std::int32_t bgr);
  void SetBold(std::int32_t value);
  void SetItalic(std::int32_t value);
  void SetUnderline(std::int32_t value);
  void SetStrikeOut(std::int32_t value);
  void SetShadow(std::int32_t value);
  void SetBackground(std::int32_t value);
  void SetPosition(std::int32_t x, std::int32_t y, std::int32_t unused);
  void SetDisplayTemplate(std::string_view text);

 protected:
  // Counts the changes that alter how a text looks, so that the overlay
  // knows when the texts it rendered are stale.
  std::uint64_t LookRevision() const { return lookRevision_; }

  std::string template_ = "%D";
  std::string displayTemplate_;
  bool on_ = true;
  bool autoSize_ = true;
  int points_ = 21;
  std::string family_ = "Arial";
  std::uint32_t bgr_ = 0x00FFFFFF;
  bool bold_ = false;
  bool italic_ = false;
  bool underline_ = false;
  bool strikeOut_ = false;
  int shadow_ = 0;
  int background_ = 0;
  int x_ = 0;
  int y_ = 0;

 private:
  void LookChanged() { ++lookRevision_; }

  std::uint64_t lookRevision_ = 0;
};

}  // namespace korvid::graphs
