#include "graphs/scene_survey.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "media/dv_frame_facts.h"

namespace korvid::graphs {
namespace {

std::uint16_t Saturated(std::size_t count) {
  return static_cast<std::uint16_t>(std::min<std::size_t>(count, std::numeric_limits<std::uint16_t>::max()));
}

}  // namespace

SceneSurveyBuilder::SceneSurveyBuilder(std::size_t frames, media::FrameRate rate,
                                       std::optional<media::DvAudioInfo> file_sound)
    : file_sound_(std::move(file_sound)) {
  survey_.rate = rate;
  survey_.damage.resize(frames, FrameDamage{0, 0, true});
}

void SceneSurveyBuilder::AddScene(const DetectedScene& scene) { survey_.scenes.push_back({scene, std::nullopt}); }

void SceneSurveyBuilder::AddFrame(const ScannedFrame& frame) {
  if (frame.sceneStart || candidates_.empty()) candidates_.emplace_back();
  if (!frame.read || frame.frame >= survey_.damage.size()) return;
  const std::optional<media::DvSystem> system = media::DetectDvSystem(frame.bytes);
  if (!system) return;

  const media::DifBlockErrors errors = counter_.Count(frame.bytes, file_sound_);
  const std::size_t audio = errors.audioBlocksWithErrors.value_or(0);
  survey_.damage[frame.frame] = {Saturated(errors.videoBlocksMarked), Saturated(audio), false};

  if (!survey_.system) {
    survey_.system = system;
    survey_.wide = media::ReadDvFrameFacts(frame.bytes).wide;
  }
  if (const std::optional<settings::DateTimeValue> dated = RecordingValue(frame.packs.datecode)) {
    if (!survey_.firstDatecode) survey_.firstDatecode = dated;
    survey_.lastDatecode = dated;
  }

  // A frame only as good as the one already chosen never replaces it: the
  // earliest of the least damaged frames shows the scene.
  Candidate& best = candidates_.back();
  const std::size_t damage = errors.videoBlocksMarked + audio;
  if (!best.frame || damage < best.damage) best = {frame.frame, damage};
}

SceneSurvey SceneSurveyBuilder::Finish(const DetectedScene& last) {
  AddScene(last);
  // Scene starts and scenes come from the same rule, one for one; a scan
  // stopped early leaves scenes without frames seen.
  for (std::size_t i = 0; i < survey_.scenes.size() && i < candidates_.size(); ++i)
    survey_.scenes[i].pictureFrame = candidates_[i].frame;
  return std::move(survey_);
}

std::optional<SceneSurvey> SurveyScenes(SceneFrameReader& reader, std::optional<settings::DateTimeValue> firstDatecode,
                                        std::string firstTimecodeText, const std::atomic<bool>& abort) {
  if (reader.FrameCount() == 0) return std::nullopt;
  SceneDetector detector;
  detector.Begin(firstDatecode, std::move(firstTimecodeText));
  SceneSurveyBuilder builder(reader.FrameCount(), reader.Rate(), reader.FileSound());
  SceneScanProgress progress;
  const SceneScanEnd end = RunSceneScan(
      reader, detector, [&builder](const DetectedScene& scene) { builder.AddScene(scene); }, abort, progress,
      [&builder](const ScannedFrame& frame) { builder.AddFrame(frame); });
  if (end != SceneScanEnd::kCompleted) return std::nullopt;
  return builder.Finish(detector.Finish(static_cast<std::int32_t>(reader.FrameCount() - 1)));
}

}  // namespace korvid::graphs
