#include "graphs/contact_sheet.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "graphs/scene_picture.h"
#include "media/atomic_output.h"
#include "media/duration_text.h"
#include "media/dv_frame_facts.h"
#include "resources/string_table.h"

namespace korvid::graphs {
namespace {

using resources::Text;

constexpr int kMargin = 20;
constexpr int kColumnGap = 14;
constexpr int kRowGap = 18;
constexpr int kStripGap = 3;
constexpr int kStripHeight = 10;
constexpr int kCaptionGap = 4;
constexpr int kMinPageWidth = 720;
constexpr QRgb kBackground = 0xFF1E1E1E;
constexpr QRgb kText = 0xFFF0F0F0;
constexpr QRgb kDimText = 0xFFB0B0B0;
constexpr QRgb kNoPicture = 0xFF3C3C3C;
constexpr int kPngQuality = 80;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The system's font (fontconfig chooses it) at a pixel size, so that the
// sheet reads the same on every screen.
QFont SheetFont(int pixels, bool bold = false) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
    throw std::runtime_error("drawing a contact sheet needs a QGuiApplication");
  QFont font = QGuiApplication::font();
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

struct Fonts {
  QFont title = SheetFont(24, true);
  QFont info = SheetFont(15);
  QFont caption = SheetFont(14);
  QFont captionBold = SheetFont(14, true);
};

std::string DatecodeText(const std::optional<settings::DateTimeValue>& value, const media::DatecodeFormat& format) {
  return value ? settings::FormatDateTime(format.format, *value, format.locale) : std::string();
}

// Draws `text` cut to `width` with an ellipsis; returns the line's height.
int DrawLine(QPainter& painter, const QFont& font, QRgb colour, int x, int y, int width, const QString& text) {
  const QFontMetrics metrics(font);
  painter.setFont(font);
  painter.setPen(QColor::fromRgb(colour));
  painter.drawText(QPoint(x, y + metrics.ascent()), metrics.elidedText(text, Qt::ElideRight, width));
  return metrics.height();
}

// The legend: a swatch and its words for each strip colour.
void DrawLegend(QPainter& painter, const QFont& font, int x, int y) {
  const QFontMetrics metrics(font);
  const std::pair<QRgb, Text> items[] = {{kStripClean, Text::kSheetLegendClean},
                                         {kStripVideo, Text::kSheetLegendVideo},
                                         {kStripAudio, Text::kSheetLegendAudio},
                                         {kStripUnreadable, Text::kSheetLegendUnreadable}};
  painter.setFont(font);
  for (const auto& [colour, words] : items) {
    const int side = metrics.ascent();
    painter.fillRect(x, y + (metrics.height() - side) / 2, side, side, QColor::fromRgb(colour));
    painter.setPen(QColor::fromRgb(kDimText));
    painter.drawRect(x, y + (metrics.height() - side) / 2, side, side);
    x += side + 6;
    const QString text = Q(std::string(resources::Str(words)));
    painter.setPen(QColor::fromRgb(kDimText));
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
    x += metrics.horizontalAdvance(text) + 18;
  }
}

struct Cell {
  int boxWidth = 0;
  int boxHeight = kSheetStillHeight;
  int captionLine = 0;
  int Height() const { return boxHeight + kStripGap + kStripHeight + kCaptionGap + 2 * captionLine; }
};

SheetPage::Place DrawStill(QPainter& painter, const Fonts& fonts, const Cell& cell, int x, int y,
                           const SceneStill& still, std::span<const FrameDamage> damage) {
  SheetPage::Place place;
  const QRect box(x, y, cell.boxWidth, cell.boxHeight);
  if (still.picture.isNull()) {
    painter.fillRect(box, QColor::fromRgb(kNoPicture));
    painter.setFont(fonts.caption);
    painter.setPen(QColor::fromRgb(kDimText));
    painter.drawText(box, Qt::AlignCenter, Q(std::string(resources::Str(Text::kSheetNoPicture))));
  } else if (still.picture.width() == box.width() && still.picture.height() == box.height()) {
    painter.drawImage(box.topLeft(), still.picture);
  } else {
    // The other display shape: fitted whole, centred.
    const QImage fitted = still.picture.scaled(box.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter.fillRect(box, QColor::fromRgb(0xFF000000));
    painter.drawImage(QPoint(x + (box.width() - fitted.width()) / 2, y + (box.height() - fitted.height()) / 2),
                      fitted);
  }
  place.still = box;
  int at = y + cell.boxHeight + kStripGap;
  place.strip = QRect(x, at, cell.boxWidth, kStripHeight);
  const auto first = static_cast<std::size_t>(std::max(0, still.startFrame));
  const std::size_t last = std::max<std::size_t>(first, static_cast<std::size_t>(std::max(0, still.endFrame)));
  painter.drawImage(QPoint(x, at), DamageStrip(damage, first, last - first + 1, cell.boxWidth, kStripHeight));
  at += kStripHeight + kCaptionGap;
  place.caption = QRect(x, at, cell.boxWidth, 2 * cell.captionLine);
  const QString datecode =
      still.datecodeText.empty() ? Q(std::string(resources::Str(Text::kSheetNoDatecode))) : Q(still.datecodeText);
  at += DrawLine(painter, fonts.captionBold, kText, x, at, cell.boxWidth, datecode);
  QString second = Q(still.timecodeText);
  if (!second.isEmpty()) second += QStringLiteral("   ");
  second += Q(still.durationText);
  DrawLine(painter, fonts.caption, kDimText, x, at, cell.boxWidth, second);
  return place;
}

}  // namespace

std::string FramesDuration(std::int64_t frames, media::FrameRate rate) {
  if (rate.rate == 0) return media::FramesDurationText(0, 0);
  const std::int64_t period =
      (media::kUnitsPerSecond * static_cast<std::int64_t>(rate.scale) + rate.rate / 2) / rate.rate;
  const std::int64_t duration = frames * media::kUnitsPerSecond * static_cast<std::int64_t>(rate.scale) /
                                static_cast<std::int64_t>(rate.rate);
  return media::FramesDurationText(period, duration);
}

std::vector<SceneStill> MakeSceneStills(const SceneSurvey& survey, SceneFrameReader& reader,
                                        const media::DatecodeFormat& format, int height,
                                        const std::atomic<bool>& abort) {
  std::vector<SceneStill> stills;
  stills.reserve(survey.scenes.size());
  ScenePictureMaker maker(height);
  for (const SurveyedScene& surveyed : survey.scenes) {
    const DetectedScene& scene = surveyed.scene;
    SceneStill still{{},
                     scene.startFrame,
                     scene.endFrame,
                     DatecodeText(scene.datecode, format),
                     ShownTimecodeText(scene),
                     FramesDuration(std::int64_t{scene.endFrame} - scene.startFrame + 1, survey.rate)};
    if (surveyed.pictureFrame && !abort.load(std::memory_order_relaxed)) {
      try {
        reader.Read(*surveyed.pictureFrame);
        const std::span<const std::uint8_t> bytes = reader.WholeFrame();
        still.picture = maker.Make(bytes, media::ReadDvFrameFacts(bytes).wide);
      } catch (const media::FileError&) {
        // Read once already; gone now: the scene shows without picture.
      }
    }
    stills.push_back(std::move(still));
  }
  return stills;
}

QImage DamageStrip(std::span<const FrameDamage> damage, std::size_t first, std::size_t count, int width,
                   int height) {
  QImage strip(std::max(width, 1), std::max(height, 2), QImage::Format_RGB32);
  strip.fill(kStripClean);
  if (count == 0 || first >= damage.size()) return strip;
  count = std::min(count, damage.size() - first);
  const int upper = strip.height() / 2;
  const auto columns = static_cast<std::size_t>(strip.width());
  for (std::size_t x = 0; x < columns; ++x) {
    const std::size_t from = first + x * count / columns;
    const std::size_t to = std::max(first + (x + 1) * count / columns, from + 1);
    bool video = false;
    bool audio = false;
    bool unreadable = false;
    for (std::size_t f = from; f < to && f < first + count; ++f) {
      video = video || damage[f].video > 0;
      audio = audio || damage[f].audio > 0;
      unreadable = unreadable || damage[f].unreadable;
    }
    const QRgb top = unreadable ? kStripUnreadable : video ? kStripVideo : kStripClean;
    const QRgb bottom = unreadable ? kStripUnreadable : audio ? kStripAudio : kStripClean;
    for (int y = 0; y < strip.height(); ++y)
      reinterpret_cast<QRgb*>(strip.scanLine(y))[x] = y < upper ? top : bottom;
  }
  return strip;
}

SheetHeading MakeSheetHeading(const std::string& fileName, const SceneSurvey& survey,
                              const media::DatecodeFormat& format) {
  SheetHeading heading;
  heading.fileName = fileName;
  heading.recordedText = survey.firstDatecode ? resources::Fill(Text::kSheetRecorded,
                                                                {DatecodeText(survey.firstDatecode, format),
                                                                 DatecodeText(survey.lastDatecode, format)})
                                              : std::string(resources::Str(Text::kSheetNoDatecode));
  heading.durationText = FramesDuration(static_cast<std::int64_t>(survey.damage.size()), survey.rate);
  heading.sceneCount = survey.scenes.size();
  return heading;
}

std::vector<SheetPage> DrawContactSheet(const SheetHeading& heading, const std::vector<SceneStill>& stills,
                                     std::span<const FrameDamage> damage, bool wide, int columns) {
  const Fonts fonts;
  columns = std::clamp(columns, 1, kMaxSheetColumns);
  Cell cell;
  cell.boxWidth = StillWidth(kSheetStillHeight, wide);
  cell.captionLine = QFontMetrics(fonts.caption).height();
  const int page_width = std::max(kMinPageWidth, 2 * kMargin + columns * cell.boxWidth + (columns - 1) * kColumnGap);
  const int text_width = page_width - 2 * kMargin;
  const int heading_height = QFontMetrics(fonts.title).height() + 2 * QFontMetrics(fonts.info).height() + 20;

  const std::size_t pages = std::max<std::size_t>(1, (stills.size() + kScenesPerSheetPage - 1) / kScenesPerSheetPage);
  std::vector<SheetPage> drawn;
  for (std::size_t page = 0; page < pages; ++page) {
    const std::size_t from = page * kScenesPerSheetPage;
    const std::size_t to = std::min(stills.size(), from + kScenesPerSheetPage);
    const auto on_page = static_cast<int>(to - from);
    const int rows = (on_page + columns - 1) / columns;
    const int height = kMargin + heading_height + rows * cell.Height() + std::max(0, rows - 1) * kRowGap + kMargin;
    SheetPage drawing;
    QImage& sheet = drawing.image;
    sheet = QImage(page_width, height, QImage::Format_RGB32);
    if (sheet.isNull()) throw media::FileError("not enough memory for a contact sheet of " + heading.fileName);
    sheet.fill(kBackground);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::TextAntialiasing);

    int y = kMargin;
    y += DrawLine(painter, fonts.title, kText, kMargin, y, text_width, Q(heading.fileName)) + 4;
    std::string info = heading.recordedText + "   " + heading.durationText + "   " +
                       resources::Fill(Text::kSheetSceneCount, {std::to_string(heading.sceneCount)});
    if (pages > 1)
      info += "   " + resources::Fill(Text::kSheetPage, {std::to_string(page + 1), std::to_string(pages)});
    y += DrawLine(painter, fonts.info, kText, kMargin, y, text_width, Q(info)) + 4;
    DrawLegend(painter, fonts.caption, kMargin, y);
    y = kMargin + heading_height;

    for (int i = 0; i < on_page; ++i) {
      const int x = kMargin + (i % columns) * (cell.boxWidth + kColumnGap);
      const int top = y + (i / columns) * (cell.Height() + kRowGap);
      drawing.places.push_back(
          DrawStill(painter, fonts, cell, x, top, stills[from + static_cast<std::size_t>(i)], damage));
    }
    painter.end();
    drawn.push_back(std::move(drawing));
  }
  return drawn;
}

std::vector<std::filesystem::path> WriteSheetPages(const std::vector<SheetPage>& pages,
                                                   const std::filesystem::path& first,
                                                   const std::filesystem::path& source) {
  // Every page is written aside before any is moved onto its name: a page
  // that cannot be made leaves all the earlier sheet as it was.
  std::vector<media::AtomicOutput> outputs;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const std::filesystem::path path = SheetPagePath(first, page + 1);
    // A light compression level: the default one took most of the time
    // of drawing a sheet, for a file only somewhat smaller.
    if (!pages[page].image.save(&buffer, "PNG", kPngQuality)) throw media::FileError("cannot encode " + path.string() + " as PNG");
    media::AtomicOutput& output = outputs.emplace_back(path, source);
    output.File().WriteAt(0, std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                       static_cast<std::size_t>(png.size())));
  }
  std::vector<std::filesystem::path> written;
  for (media::AtomicOutput& output : outputs) {
    output.Commit();
    written.push_back(output.Target());
  }
  return written;
}

}  // namespace korvid::graphs
