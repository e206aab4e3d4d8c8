#pragma once
// What a contact sheet shows of a file, gathered in one scan of every
// frame: its scenes, the damage marked in each frame's blocks, the frame
// that best shows each scene and the recording span. Fed by the scene
// scan (FrameReading::kWholeFrame) through its scene and frame sinks.

#include <cstddef>
#include <cstdint>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "graphs/scene_detector.h"
#include "graphs/scene_scan.h"
#include "media/avi_stream.h"
#include "media/dv_block_errors.h"
#include "media/dv_frame.h"
#include "settings/date_time_format.h"

namespace korvid::graphs {

// The damaged blocks of one frame; both saturate at their type's maximum.
struct FrameDamage {
  std::uint16_t video = 0;
  std::uint16_t audio = 0;
  bool unreadable = false;  // the frame could not be read or is not DV
};

struct SurveyedScene {
  DetectedScene scene;
  // The first frame without a damaged block, else the least damaged one;
  // nothing when no frame of the scene is a readable DV frame.
  std::optional<std::size_t> pictureFrame;
};

struct SceneSurvey {
  std::vector<SurveyedScene> scenes;
  std::vector<FrameDamage> damage;  // one per frame of the file
  media::FrameRate rate{25, 1};
  std::optional<media::DvSystem> system;  // of the first DV frame
  bool wide = false;                      // of the first DV frame
  std::optional<settings::DateTimeValue> firstDatecode;
  std::optional<settings::DateTimeValue> lastDatecode;
};

class SceneSurveyBuilder {
 public:
  SceneSurveyBuilder(std::size_t frames, media::FrameRate rate, std::optional<media::DvAudioInfo> file_sound);

  // The scene sink's part: each scene a jump finished, in order.
  void AddScene(const DetectedScene& scene);
  // The frame sink's part: every frame in order, read whole.
  void AddFrame(const ScannedFrame& frame);
  // Ends the running scene with `last` (the detector's Finish).
  SceneSurvey Finish(const DetectedScene& last);

 private:
  struct Candidate {
    std::optional<std::size_t> frame;
    std::size_t damage = 0;
  };

  SceneSurvey survey_;
  std::optional<media::DvAudioInfo> file_sound_;
  media::DifBlockErrorCounter counter_;
  std::vector<Candidate> candidates_;  // one per scene start seen
};

// The whole scan on the calling thread, the first scene starting with what
// the listing found on the first frame; nothing when `abort` rose.
std::optional<SceneSurvey> SurveyScenes(SceneFrameReader& reader, std::optional<settings::DateTimeValue> firstDatecode,
                                        std::string firstTimecodeText, const std::atomic<bool>& abort);

}  // namespace korvid::graphs
