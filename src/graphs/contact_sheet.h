#pragma once
// A contact sheet: a file's scenes at a glance, drawn as PNG pages. A title
// with the file's name, recording span, duration and scene count; then one
// still per scene (the frame the survey chose), captioned with the scene's
// datecode, timecode and duration, over a thin strip that runs across the
// scene's frames and shows where its video and audio blocks were damaged.
// Text is drawn with the system's fonts, so a QGuiApplication must exist
// (any platform, "offscreen" included).

#include <QImage>
#include <QRect>

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "graphs/scene_scan.h"
#include "graphs/scene_survey.h"
#include "graphs/sheet_pages.h"
#include "media/video_record.h"

namespace korvid::graphs {

// The strip's colours: a frame with no damage, damaged video blocks (the
// strip's upper half), damaged audio blocks (its lower half), a frame that
// could not be read.
inline constexpr QRgb kStripClean = 0xFF2E7D32;
inline constexpr QRgb kStripVideo = 0xFFE53935;
inline constexpr QRgb kStripAudio = 0xFFFFA000;
inline constexpr QRgb kStripUnreadable = 0xFF000000;

// One scene as the sheet and the overview show it.
struct SceneStill {
  QImage picture;  // null: no frame of the scene decodes
  std::int32_t startFrame = 0;
  std::int32_t endFrame = 0;  // inclusive
  std::string datecodeText;   // in the display format; empty: undated
  std::string timecodeText;   // "hh.mm.ss.ff"; empty: none
  std::string durationText;
};

// The stills of the survey's scenes, `height` lines high, each read again
// through the frame index and decoded alone. Stops early, leaving the
// rest without picture, when `abort` rises.
std::vector<SceneStill> MakeSceneStills(const SceneSurvey& survey, SceneFrameReader& reader,
                                        const media::DatecodeFormat& format, int height,
                                        const std::atomic<bool>& abort);

// "1h 02mn 05s 12fr" of `frames` at `rate`.
std::string FramesDuration(std::int64_t frames, media::FrameRate rate);

// The strip of frames [first, first + count) of `damage`, `width` pixels
// wide and `height` high: each column shows the worst frame it covers.
QImage DamageStrip(std::span<const FrameDamage> damage, std::size_t first, std::size_t count, int width,
                   int height);

struct SheetHeading {
  std::string fileName;
  std::string recordedText;  // "Recorded A to B", or the undated text
  std::string durationText;
  std::size_t sceneCount = 0;
};

SheetHeading MakeSheetHeading(const std::string& fileName, const SceneSurvey& survey,
                              const media::DatecodeFormat& format);

// One page and where each of its scenes was drawn, in scene order.
struct SheetPage {
  QImage image;
  struct Place {
    QRect still;
    QRect strip;
    QRect caption;
  };
  std::vector<Place> places;
};

// The pages, kScenesPerSheetPage scenes each, `columns` stills a row. The
// stills' box has the file's display shape; a still of the other shape
// is fitted into it.
std::vector<SheetPage> DrawContactSheet(const SheetHeading& heading, const std::vector<SceneStill>& stills,
                                     std::span<const FrameDamage> damage, bool wide, int columns);

// Each page as PNG, written aside and moved onto its name: a page is whole
// or absent. All are written before any is moved, so that a failure
// leaves the earlier sheet as it was. Returns the paths, in page order;
// throws media::FileError.
std::vector<std::filesystem::path> WriteSheetPages(const std::vector<SheetPage>& pages, const std::filesystem::path& first,
                     const std::filesystem::path& source);

}  // namespace korvid::graphs
