#include "graphs/merge_plan.h"

#include <cstdio>

#include "graphs/frame_log.h"
#include "graphs/scene_detector.h"
#include "resources/printable_text.h"

namespace korvid::graphs {
namespace {

std::string SystemName(media::DvSystem system) { return system == media::DvSystem::k625_50 ? "PAL" : "NTSC"; }

std::string Frames(std::size_t n) { return std::to_string(n) + (n == 1 ? " frame" : " frames"); }

std::string OrNone(const std::string& text) { return text.empty() ? "none" : text; }

}  // namespace

std::size_t MediaBlocksPerFrame(media::DvSystem system) {
  return media::SequencesPerFrame(system) * (135 + media::kAudioBlocksPerSequence);
}

MergePlan PlanMerge(const std::vector<std::filesystem::path>& paths, media::DvSystem system,
                    const media::PassAligner& aligner) {
  MergePlan plan;
  plan.system = system;
  const auto& timeline = aligner.Timeline();
  plan.timelineFrames = timeline.size();
  const auto& lining = aligner.Passes();
  for (std::size_t p = 0; p < lining.size() && p < paths.size(); ++p) {
    PassPlan pass;
    pass.path = paths[p];
    pass.used = lining[p].used;
    pass.frames = lining[p].frames;
    pass.unreadable = lining[p].unreadable;
    pass.repeats = lining[p].repeats;
    std::optional<std::size_t> last;
    for (std::size_t i = 0; i < timeline.size(); ++i) {
      const auto& copy = timeline[i].copy;
      if (p >= copy.size() || copy[p] == media::kNoFrame) continue;
      if (!pass.offset) pass.offset = i;
      if (last && i > *last + 1) {
        pass.gaps += 1;
        pass.gapFrames += i - *last - 1;
      }
      last = i;
      pass.covered += 1;
      for (std::size_t q = 0; q < copy.size(); ++q) {
        if (q != p && copy[q] != media::kNoFrame) {
          pass.shared += 1;
          break;
        }
      }
    }
    pass.lacking = timeline.size() - pass.covered;
    plan.passes.push_back(pass);
  }
  return plan;
}

std::string PlanText(const MergePlan& plan, const std::vector<FrameLeft>* left) {
  std::string text = "Merge of " + std::to_string(plan.passes.size()) + " captures (" + SystemName(plan.system) +
                     ") into " + Frames(plan.timelineFrames) + "\n";
  for (std::size_t p = 0; p < plan.passes.size(); ++p) {
    const PassPlan& pass = plan.passes[p];
    text += "capture " + std::to_string(p + 1) + ": " + resources::Printable(pass.path.string()) + "\n";
    text += "  " + Frames(pass.frames) + " in the file";
    if (pass.repeats > 0) text += ", " + std::to_string(pass.repeats) + " of them repeated";
    if (pass.unreadable > 0) text += ", " + std::to_string(pass.unreadable) + " chunks unreadable";
    text += "\n";
    if (!pass.used) {
      text += "  matched nothing on the timeline of the captures before it: not used\n";
      continue;
    }
    text += "  offset " + (pass.offset ? std::to_string(*pass.offset) : std::string("-")) + ", covers " +
            Frames(pass.covered) + ", " + std::to_string(pass.shared) + " shared with the others, " +
            std::to_string(pass.gaps) + (pass.gaps == 1 ? " gap" : " gaps") + " (" + Frames(pass.gapFrames) +
            "), lacks " + Frames(pass.lacking) + "\n";
  }
  if (left) {
    std::size_t frames = 0;
    std::uint64_t video = 0;
    std::uint64_t audio = 0;
    for (const FrameLeft& f : *left) {
      if (f.video + f.audio > 0) ++frames;
      video += f.video;
      audio += f.audio;
    }
    if (frames == 0) {
      text += "After the merge no frame is damaged\n";
    } else {
      text += "After the merge " + Frames(frames) + " still damaged: " + std::to_string(video) + " video and " +
              std::to_string(audio) + " audio blocks\n";
    }
  }
  return text;
}

std::string RecaptureText(const MergePlan& plan, const std::vector<media::TimelineFrame>& timeline,
                          const std::vector<FrameLeft>& left) {
  std::string text = PlanText(plan, &left) + "\n";
  const std::size_t joinFrames = plan.system == media::DvSystem::k625_50 ? 25 : 30;
  const std::size_t perFrame = MediaBlocksPerFrame(plan.system);

  // Scenes by the recording time, as the scene commands cut them.
  std::vector<std::size_t> scene(timeline.size(), 0);
  SceneDetector detector;
  detector.Begin(std::nullopt, {});
  std::size_t current = 0;
  for (std::size_t i = 0; i < timeline.size(); ++i) {
    const FrameOutcome outcome =
        detector.Feed(static_cast<std::int32_t>(i), timeline[i].print.datecode, timeline[i].print.timecode);
    if (outcome.finished) ++current;
    scene[i] = current;
  }

  std::size_t spans = 0;
  std::optional<std::size_t> shownScene;
  std::size_t i = 0;
  while (i < left.size() && i < timeline.size()) {
    if (left[i].video + left[i].audio == 0) {
      ++i;
      continue;
    }
    const std::size_t first = i;
    std::size_t last = i;
    std::uint64_t concealed = 0;
    for (std::size_t j = i; j < left.size() && j < timeline.size() && scene[j] == scene[first]; ++j) {
      if (left[j].video + left[j].audio == 0) {
        if (j - last > joinFrames) break;
        continue;
      }
      last = j;
      concealed += left[j].video + left[j].audio;
    }
    if (shownScene != scene[first]) {
      shownScene = scene[first];
      text += "Scene " + std::to_string(scene[first] + 1) + ", recorded " +
              OrNone(RecordedField(timeline[first].print.datecode)) + "\n";
    }
    const std::size_t frames = last - first + 1;
    char share[32] = {};
    std::snprintf(share, sizeof share, "%.1f%%",
                  100.0 * static_cast<double>(concealed) / static_cast<double>(frames * perFrame));
    text += "  " + OrNone(TimecodeField(timeline[first].print.timecode)) + " to " +
            OrNone(TimecodeField(timeline[last].print.timecode)) + ", recorded " +
            OrNone(RecordedField(timeline[first].print.datecode)) + ", frames " + std::to_string(first) + "-" +
            std::to_string(last) + " (" + Frames(frames) + "), " + share + " of the blocks concealed\n";
    ++spans;
    i = last + 1;
  }
  if (spans == 0) text += "Nothing to capture again\n";
  return text;
}

}  // namespace korvid::graphs
