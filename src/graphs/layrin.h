#pragma once
// The text overlay: draws a text over a decoded picture (planar YUV, as
// the DV decoder gives it) with the chosen font and colour, its top-left
// corner at (x, y) in thousandths of the active picture's width (702 or 704
// of the 720 samples of a DV line) and of the picture's height, moved in
// when the text would leave the active picture. Text is rendered with Qt into
// an image once per distinct text, then blended into the picture, so it
// needs a QGuiApplication (any platform, "offscreen" included).
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
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

class QColor;
class QFont;
class QImage;
class QPoint;
class QString;

namespace korvid::graphs {

// Draws `text` into `image`, its box's top-left corner at `topLeft`, in
// `colour` with a thin dark outline so that it reads on any picture. The
// inlay and the player's overlay both draw with it.
void DrawInlayText(QImage& image, QPoint topLeft, const QFont& font, const QString& text, QColor colour);

struct TextBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};

class Layrin {
 public:
  Layrin();
  ~Layrin();
  Layrin(Layrin&&) noexcept;
  Layrin& operator=(Layrin&&) noexcept;
  Layrin(const Layrin&) = delete;
  Layrin& operator=(const Layrin&) = delete;

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

  // Where the text for `datecode` goes on a width x height picture; empty
  // when nothing is drawn.
  TextBox Place(std::string_view datecode, int width, int height);
  // Draws over a writable yuv420p, yuv411p or yuv422p picture; other
  // formats are left alone. Throws std::runtime_error without a
  // QGuiApplication.
  void Draw(AVFrame& picture, std::string_view datecode);

 private:
  struct Rendered;
  const Rendered* Render(std::string_view datecode, int picture_height);
  void Changed();

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
  // The last texts rendered, by text and picture height.
  std::map<std::pair<std::string, int>, std::unique_ptr<Rendered>> cache_;
};

}  // namespace korvid::graphs
