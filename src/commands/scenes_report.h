#pragma once
// `korvid --scenes [--json] FILE...`: the scenes a scene scan would write,
// and why each was cut, without writing anything. Under each scene: the
// jumps the twelve-frame rule absorbed into it, the discontinuities that
// do not cut (recording-start flag, timecode jumps and repeats, changes of
// system, aspect or sound, stretches without a datecode), and a datecode
// that looks wrong.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "graphs/scene_detector.h"
#include "media/video_record.h"
#include "settings/recording_zone.h"

namespace korvid::commands {

struct SceneMark {
  std::int64_t frame = 0;
  std::string text;
};

struct ReportedScene {
  graphs::DetectedScene scene;
  std::vector<SceneMark> marks;  // in frame order
  std::string suspicion;         // why its datecode looks wrong; empty when it does not
};

struct ScenesReport {
  media::TAfficherFichier entry;
  std::int64_t frames = 0;
  std::vector<ReportedScene> scenes;
  // The first scene whose datecode looks wrong, and why.
  std::optional<std::size_t> suspectScene;
};

// Throws graphs::SceneScanError when the file cannot be scanned.
ScenesReport BuildScenesReport(const std::string& file, const media::DatecodeFormat& format,
                               const settings::RecordingZone& zone);

std::string ScenesReportText(const ScenesReport& report);
// One JSON array of the files' reports, indented, with a final line break.
std::string ScenesReportJson(const std::vector<ScenesReport>& reports, const settings::RecordingZone& zone);

// `args` follow "--scenes". 0, 1 when a file could not be scanned (the
// others are still reported), 2 for wrong arguments.
int RunScenesReport(const std::vector<std::string>& args, const media::DatecodeFormat& format,
                    const settings::RecordingZone& zone, std::ostream& out, std::ostream& err);
// The same with the user's datecode format and time zone.
int RunScenesOption(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace korvid::commands
