#pragma once
// The text overlay: draws a text over a decoded picture (planar YUV, as
// the DV decoder gives it) with the chosen font and colour, its top-left
// corner at (x, y) in thousandths of the active picture's width (702 or 704
// of the 720 samples of a DV line) and of the picture's height, moved in
// when the text would leave the active picture. Text is rendered with Qt into
// an image once per distinct text, then blended into the picture, so it
// needs a QGuiApplication (any platform, "offscreen" included).
// The settings are in layrin_settings.h.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphs/layrin_settings.h"

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

class Layrin : public LayrinSettings {
 public:
  explicit Layrin(LayrinSettings settings = {});
  ~Layrin();
  Layrin(Layrin&&) noexcept;
  Layrin& operator=(Layrin&&) noexcept;
  Layrin(const Layrin&) = delete;
  Layrin& operator=(const Layrin&) = delete;

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

  std::uint64_t renderedRevision_ = 0;
  // The last texts rendered, by text and picture height.
  std::map<std::pair<std::string, int>, std::unique_ptr<Rendered>> cache_;
};

}  // namespace korvid::graphs
