#include "graphs/layrin.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <stdexcept>
#include <utility>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace korvid::graphs {

namespace {

constexpr int kReferenceLines = 480;
constexpr std::size_t kCachedTexts = 8;

// Chroma subsampling of the formats the DV decoder gives.
bool ChromaShifts(int format, int& sx, int& sy) {
  switch (format) {
    case AV_PIX_FMT_YUV420P:
      sx = 1;
      sy = 1;
      return true;
    case AV_PIX_FMT_YUV411P:
      sx = 2;
      sy = 0;
      return true;
    case AV_PIX_FMT_YUV422P:
      sx = 1;
      sy = 0;
      return true;
    default:
      return false;
  }
}

// The 720-sample DV line holds 702 (625 lines) or 704 (525 lines) samples
// of active picture, centred; televisions and players show only those.
struct Span {
  int first = 0;
  int width = 0;
};
Span ActiveSpan(int width, int height) {
  if (width != 720) return {0, width};
  const int active = height == 576 ? 702 : 704;
  return {(width - active) / 2, active};
}

constexpr int kOutlineAlpha = 200;

}  // namespace

void DrawInlayText(QImage& image, QPoint topLeft, const QFont& font, const QString& text, QColor colour) {
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(font);
  const QPoint baseline = topLeft + QPoint(0, QFontMetrics(font).ascent());
  // A one-pixel dark ring: light text stays readable over a light picture.
  painter.setPen(QColor(0, 0, 0, kOutlineAlpha));
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (dx != 0 || dy != 0) painter.drawText(baseline + QPoint(dx, dy), text);
  painter.setPen(colour);
  painter.drawText(baseline, text);
}

// A text rendered once: per pixel its coverage and its colour as YUV
// (BT.601, studio range), premultiplied by the coverage.
struct Layrin::Rendered {
  int width = 0;
  int height = 0;
  std::vector<std::uint16_t> alpha;  // 0-255
  std::vector<std::uint16_t> y;      // premultiplied: value x alpha / 255
  std::vector<std::uint16_t> u;
  std::vector<std::uint16_t> v;
};

Layrin::Layrin(LayrinSettings settings) : LayrinSettings(std::move(settings)) {}
Layrin::~Layrin() = default;
Layrin::Layrin(Layrin&&) noexcept = default;
Layrin& Layrin::operator=(Layrin&&) noexcept = default;

const Layrin::Rendered* Layrin::Render(std::string_view datecode, int picture_height) {
  if (!on_ || datecode.empty()) return nullptr;
  std::string text = template_;
  for (std::size_t at = text.find("%D"); at != std::string::npos; at = text.find("%D", at + datecode.size()))
    text.replace(at, 2, datecode);
  if (text.empty()) return nullptr;
  if (renderedRevision_ != LookRevision()) {
    cache_.clear();
    renderedRevision_ = LookRevision();
  }
  const auto key = std::make_pair(text, picture_height);
  if (const auto found = cache_.find(key); found != cache_.end()) return found->second.get();

  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
    throw std::runtime_error("drawing text needs a QGuiApplication");
  QFont font(QString::fromStdString(family_));
  const int pixels = autoSize_ ? std::max(1, points_ * picture_height / kReferenceLines) : points_;
  font.setPixelSize(pixels);
  font.setBold(bold_);
  font.setItalic(italic_);
  font.setUnderline(underline_);
  font.setStrikeOut(strikeOut_);
  const QString qtext = QString::fromStdString(text);
  const QFontMetrics metrics(font);
  const int pad = 2;
  const int width = metrics.horizontalAdvance(qtext) + 2 * pad + 1;
  const int height = metrics.height() + 2 * pad + 1;

  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    if (background_ > 0) painter.fillRect(image.rect(), QColor(0, 0, 0, background_ * 255 / 100));
    if (shadow_ > 0) {
      painter.setPen(QColor(0, 0, 0, shadow_ * 255 / 100));
      painter.drawText(pad + 1, pad + 1 + metrics.ascent(), qtext);
    }
  }
  DrawInlayText(image, QPoint(pad, pad), font, qtext,
                QColor(static_cast<int>(bgr_ & 0xFF), static_cast<int>((bgr_ >> 8) & 0xFF),
                       static_cast<int>((bgr_ >> 16) & 0xFF)));

  auto rendered = std::make_unique<Rendered>();
  rendered->width = width;
  rendered->height = height;
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  rendered->alpha.resize(n);
  rendered->y.resize(n);
  rendered->u.resize(n);
  rendered->v.resize(n);
  for (int row = 0; row < height; ++row) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
    for (int col = 0; col < width; ++col) {
      const QRgb p = line[col];
      const std::size_t i = static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(col);
      const int a = qAlpha(p);
      // Premultiplied components: the YUV of the colour times a / 255.
      const double r = qRed(p), g = qGreen(p), b = qBlue(p);
      rendered->alpha[i] = static_cast<std::uint16_t>(a);
      rendered->y[i] = static_cast<std::uint16_t>((16.0 * a + 65.481 * r + 128.553 * g + 24.966 * b) / 255.0 + 0.5);
      rendered->u[i] = static_cast<std::uint16_t>((128.0 * a - 37.797 * r - 74.203 * g + 112.0 * b) / 255.0 + 0.5);
      rendered->v[i] = static_cast<std::uint16_t>((128.0 * a + 112.0 * r - 93.786 * g - 18.214 * b) / 255.0 + 0.5);
    }
  }
  if (cache_.size() >= kCachedTexts) cache_.clear();
  return cache_.emplace(key, std::move(rendered)).first->second.get();
}

TextBox Layrin::Place(std::string_view datecode, int width, int height) {
  const Rendered* rendered = Render(datecode, height);
  if (rendered == nullptr || width <= 0 || height <= 0) return {};
  // The position maps onto the active picture, and the box stays inside it,
  // on the chroma grid of every format drawn so that chroma samples line
  // up with the text's pixels.
  const Span active = ActiveSpan(width, height);
  const int left = (active.first + 3) / 4 * 4;
  const int right = std::max(left, (active.first + active.width - rendered->width) / 4 * 4);
  TextBox box;
  box.x = std::clamp((active.first + x_ * active.width / 1000) / 4 * 4, left, right);
  box.width = std::min(rendered->width, width - box.x);
  box.height = std::min(rendered->height, height);
  box.y = std::max(0, std::min(y_ * height / 1000, height - box.height)) / 2 * 2;
  return box;
}

void Layrin::Draw(AVFrame& picture, std::string_view datecode) {
  int sx = 0;
  int sy = 0;
  if (!ChromaShifts(picture.format, sx, sy)) return;
  const TextBox box = Place(datecode, picture.width, picture.height);
  if (box.Empty()) return;
  const Rendered& r = *Render(datecode, picture.height);
  const auto w = static_cast<std::size_t>(r.width);

  for (int row = 0; row < box.height; ++row) {
    std::uint8_t* luma = picture.data[0] + static_cast<std::ptrdiff_t>(box.y + row) * picture.linesize[0] + box.x;
    const std::size_t base = static_cast<std::size_t>(row) * w;
    for (int col = 0; col < box.width; ++col) {
      const std::size_t i = base + static_cast<std::size_t>(col);
      const unsigned a = r.alpha[i];
      if (a == 0) continue;
      luma[col] = static_cast<std::uint8_t>((luma[col] * (255u - a) + 127u) / 255u + r.y[i]);
    }
  }
  // Each chroma sample takes the mean of the text pixels it covers.
  const int bw = 1 << sx;
  const int bh = 1 << sy;
  const int cw = (box.width + bw - 1) / bw;
  const int ch = (box.height + bh - 1) / bh;
  for (int crow = 0; crow < ch; ++crow) {
    const std::ptrdiff_t line = static_cast<std::ptrdiff_t>((box.y >> sy) + crow);
    std::uint8_t* cu = picture.data[1] + line * picture.linesize[1] + (box.x >> sx);
    std::uint8_t* cv = picture.data[2] + line * picture.linesize[2] + (box.x >> sx);
    for (int ccol = 0; ccol < cw; ++ccol) {
      unsigned sa = 0, su = 0, sv = 0, count = 0;
      for (int dy = 0; dy < bh; ++dy) {
        const int row = crow * bh + dy;
        if (row >= box.height) break;
        for (int dx = 0; dx < bw; ++dx) {
          const int col = ccol * bw + dx;
          if (col >= box.width) break;
          const std::size_t i = static_cast<std::size_t>(row) * w + static_cast<std::size_t>(col);
          sa += r.alpha[i];
          su += r.u[i];
          sv += r.v[i];
          ++count;
        }
      }
      if (sa == 0 || count == 0) continue;
      const unsigned a = sa / count;
      cu[ccol] = static_cast<std::uint8_t>(std::min(255u, (cu[ccol] * (255u - a) + 127u) / 255u + su / count));
      cv[ccol] = static_cast<std::uint8_t>(std::min(255u, (cv[ccol] * (255u - a) + 127u) / 255u + sv / count));
    }
  }
}

}  // namespace korvid::graphs
