#pragma once
// What a merge of several captures will do and did, as the user reads it:
// where each capture lies on the merged timeline, what it shares with the
// others and what it lacks; after the merge, what is still damaged, and the
// spans of tape worth capturing again, grouped by scene.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "media/dv_frame.h"
#include "media/pass_alignment.h"

namespace korvid::graphs {

struct PassPlan {
  std::filesystem::path path;
  bool used = true;
  std::size_t frames = 0;      // whole frames in the file
  std::size_t unreadable = 0;  // chunks that were not one whole frame
  std::size_t repeats = 0;
  std::optional<std::size_t> offset;  // its first frame on the merged timeline
  std::size_t covered = 0;
  std::size_t shared = 0;      // covered by another capture as well
  std::size_t gaps = 0;        // runs of frames it lacks between its first and last
  std::size_t gapFrames = 0;
  std::size_t lacking = 0;     // of the merged timeline
};

// Damage no capture could repair, frame by frame of the merged timeline.
struct FrameLeft {
  std::uint32_t video = 0;
  std::uint32_t audio = 0;
};

struct MergePlan {
  media::DvSystem system = media::DvSystem::k625_50;
  std::size_t timelineFrames = 0;
  std::vector<PassPlan> passes;
};

MergePlan PlanMerge(const std::vector<std::filesystem::path>& paths, media::DvSystem system,
                    const media::PassAligner& aligner);

// The plan as text; with `left`, followed by what is still damaged.
std::string PlanText(const MergePlan& plan, const std::vector<FrameLeft>* left);

// The spans still damaged, in tape order, grouped by scene: each with its
// timecode in and out, recording date and time and the share of its
// blocks concealed. Spans a second or less apart are one span.
std::string RecaptureText(const MergePlan& plan, const std::vector<media::TimelineFrame>& timeline,
                          const std::vector<FrameLeft>& left);

// Video and audio blocks of one frame of `system`.
std::size_t MediaBlocksPerFrame(media::DvSystem system);

}  // namespace korvid::graphs
