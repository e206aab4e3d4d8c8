#include "commands/scenes_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iostream>

#include "commands/scene_info.h"
#include "graphs/frame_marks.h"
#include "graphs/scene_scan.h"
#include "media/avi_stream_analysis.h"
#include "media/clock_plausibility.h"
#include "resources/printable_text.h"
#include "settings/preferences_store.h"
#include "settings/run_time_zone.h"
#include "settings/system_locale.h"

namespace korvid::commands {
namespace {

constexpr std::string_view kUndatedFrom = "no recording date from here";
constexpr std::string_view kUndatedBack = "recording date back after ";

std::string IsoText(const settings::DateTimeValue& v) {
  char text[40] = {};
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", v.year, v.month, v.day, v.hour, v.minute,
                v.second);
  return text;
}

// A stretch without datecode is said once, at its start, with its length.
std::vector<SceneMark> JoinUndatedStretches(std::vector<SceneMark> marks, std::int64_t frames) {
  // The index in `joined` of the stretch still open; the end for none (an
  // optional here draws a false warning from GCC 12 in release builds).
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t open = kNone;
  std::vector<SceneMark> joined;
  for (SceneMark& mark : marks) {
    if (mark.text == kUndatedFrom) {
      open = joined.size();
      joined.push_back(std::move(mark));
    } else if (mark.text.rfind(kUndatedBack, 0) == 0 && open != kNone) {
      joined[open].text = "no recording date for " + std::to_string(mark.frame - joined[open].frame) + " frames";
      open = kNone;
    } else {
      joined.push_back(std::move(mark));
    }
  }
  if (open != kNone)
    joined[open].text = "no recording date to the end (" + std::to_string(frames - joined[open].frame) + " frames)";
  return joined;
}

QJsonValue TextOrNull(const std::string& text) {
  return text.empty() ? QJsonValue(QJsonValue::Null) : QJsonValue(QString::fromStdString(text));
}

}  // namespace

ScenesReport BuildScenesReport(const std::string& file, const media::DatecodeFormat& format,
                               const settings::RecordingZone& zone) {
  ScenesReport report;
  report.entry = media::AnalyseFile(file, format);
  graphs::SceneFrameReader reader(file, graphs::FrameReading::kWholeFrame);
  report.frames = static_cast<std::int64_t>(reader.FrameCount());
  if (report.frames == 0) throw graphs::NothingToScan(file + " holds no frames");

  // Started as a scene scan starts, so that the scenes are those it writes.
  graphs::SceneDetector detector;
  detector.Begin(report.entry.datecode, report.entry.timecodeText);
  std::vector<graphs::DetectedScene> scenes;
  std::vector<SceneMark> marks;
  graphs::FrameMarkTracker tracker;
  const std::atomic<bool> never{false};
  graphs::SceneScanProgress progress;
  graphs::RunSceneScan(
      reader, detector, [&](const graphs::DetectedScene& scene) { scenes.push_back(scene); }, never, progress,
      [&](const graphs::ScannedFrame& frame) {
        for (std::string& text : tracker.Feed(frame))
          marks.push_back({static_cast<std::int64_t>(frame.frame), std::move(text)});
      });
  scenes.push_back(detector.Finish(static_cast<std::int32_t>(report.frames - 1)));
  marks = JoinUndatedStretches(std::move(marks), report.frames);

  media::ClockFacts facts;
  facts.modifiedUtc = media::FileModifiedUtc(file);
  auto mark = marks.begin();
  for (graphs::DetectedScene& scene : scenes) {
    ReportedScene reported;
    for (; mark != marks.end() && mark->frame <= scene.endFrame; ++mark) reported.marks.push_back(std::move(*mark));
    if (scene.datecode) {
      reported.suspicion = media::ClockSuspicion(*scene.datecode, facts, zone);
      facts.earlierScene = scene.datecode;
    }
    if (!reported.suspicion.empty() && !report.suspectScene) report.suspectScene = report.scenes.size();
    reported.scene = std::move(scene);
    report.scenes.push_back(std::move(reported));
  }
  return report;
}

std::string ScenesReportText(const ScenesReport& report) {
  const double fps = report.entry.fps;
  std::string text = resources::Printable(report.entry.fullName) + "\n";
  int number = 0;
  for (const ReportedScene& reported : report.scenes) {
    const graphs::DetectedScene& scene = reported.scene;
    const std::string timecode = graphs::ShownTimecodeText(scene);
    text += "  scene " + std::to_string(++number) + "  frames " + std::to_string(scene.startFrame) + "-" +
            std::to_string(scene.endFrame) + "  recorded " + (scene.datecode ? IsoText(*scene.datecode) : "none") +
            "  timecode " + (timecode.empty() ? "none" : timecode) + "  duration " +
            FramesToText(std::int64_t{scene.endFrame} - scene.startFrame, fps) + "  " +
            graphs::SceneCauseText(scene.cause) + "\n";
    // Absorbed jumps and marks together, in frame order.
    std::vector<SceneMark> lines;
    for (const graphs::AbsorbedCut& cut : scene.absorbed)
      lines.push_back({cut.frame, "absorbed: " + graphs::SceneCauseText(cut.cause)});
    lines.insert(lines.end(), reported.marks.begin(), reported.marks.end());
    std::stable_sort(lines.begin(), lines.end(), [](const SceneMark& a, const SceneMark& b) { return a.frame < b.frame; });
    for (const SceneMark& line : lines) text += "      frame " + std::to_string(line.frame) + ": " + line.text + "\n";
    if (!reported.suspicion.empty()) text += "      datecode suspect: " + reported.suspicion + "\n";
  }
  return text;
}

std::string ScenesReportJson(const std::vector<ScenesReport>& reports, const settings::RecordingZone& zone) {
  QJsonArray files;
  for (const ScenesReport& report : reports) {
    QJsonArray scenes;
    int number = 0;
    for (const ReportedScene& reported : report.scenes) {
      const graphs::DetectedScene& scene = reported.scene;
      QJsonObject o;
      o["scene"] = ++number;
      o["firstFrame"] = scene.startFrame;
      o["lastFrame"] = scene.endFrame;
      o["recorded"] = TextOrNull(scene.datecode ? IsoText(*scene.datecode) : "");
      const auto instant = scene.datecode ? zone.ToUtc(*scene.datecode) : std::nullopt;
      o["recordedUtc"] = TextOrNull(instant ? settings::UtcText(instant->utcSeconds) : "");
      o["timecode"] = TextOrNull(graphs::ShownTimecodeText(scene));
      o["duration"] = QString::fromStdString(FramesToText(std::int64_t{scene.endFrame} - scene.startFrame, report.entry.fps));
      o["cause"] = QString::fromStdString(graphs::SceneCauseText(scene.cause));
      QJsonArray absorbed;
      for (const graphs::AbsorbedCut& cut : scene.absorbed)
        absorbed.append(QJsonObject{{"frame", cut.frame}, {"cause", QString::fromStdString(graphs::SceneCauseText(cut.cause))}});
      o["absorbed"] = absorbed;
      QJsonArray marks;
      for (const SceneMark& mark : reported.marks)
        marks.append(QJsonObject{{"frame", static_cast<qint64>(mark.frame)}, {"mark", QString::fromStdString(mark.text)}});
      o["marks"] = marks;
      o["datecodeSuspect"] = TextOrNull(reported.suspicion);
      scenes.append(o);
    }
    QJsonObject file;
    file["file"] = QString::fromStdString(report.entry.fullName);
    file["frames"] = static_cast<qint64>(report.frames);
    file["datecodeSuspect"] =
        report.suspectScene ? QJsonValue(QString::fromStdString(report.scenes[*report.suspectScene].suspicion))
                            : QJsonValue(QJsonValue::Null);
    file["scenes"] = scenes;
    files.append(file);
  }
  return QJsonDocument(files).toJson(QJsonDocument::Indented).toStdString();
}

int RunScenesReport(const std::vector<std::string>& args, const media::DatecodeFormat& format,
                    const settings::RecordingZone& zone, std::ostream& out, std::ostream& err) {
  bool json = false;
  bool optionsDone = false;
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    if (!optionsDone && arg == "--json")
      json = true;
    else if (!optionsDone && arg == "--")
      optionsDone = true;
    else
      files.push_back(arg);
  }
  if (files.empty()) {
    err << "korvid: --scenes needs at least one file: korvid --scenes [--json] FILE...\n";
    return 2;
  }
  int status = 0;
  std::vector<ScenesReport> reports;
  for (const std::string& file : files) {
    try {
      reports.push_back(BuildScenesReport(file, format, zone));
      if (!json) out << ScenesReportText(reports.back());
    } catch (const UserError& e) {
      err << resources::FileErrorLine(file, resources::Printable(e.what()));
      status = 1;
    }
  }
  if (json) out << ScenesReportJson(reports, zone);
  out.flush();
  return status;
}

int RunScenesOption(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  settings::DefaultEnvironment environment;
  environment.documentsFolder = settings::UserDocumentsFolder();
  const settings::Preferences preferences =
      settings::LoadPreferences(settings::StoreLocation::ForCurrentUser(), environment);
  try {
    const settings::RecordingZone zone(settings::ChosenTimeZone(preferences.timeZone));
    return RunScenesReport(args, {preferences.displayDatecodeFormat, settings::SystemLocaleFormats()}, zone, out, err);
  } catch (const settings::UnknownTimeZone& e) {
    err << "korvid: " << e.what() << "\n";
    return 2;
  }
}

}  // namespace korvid::commands
