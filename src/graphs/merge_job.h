#pragma once
// Several captures of one damaged tape merged into one file: the captures
// are lined up first (media/pass_alignment.h), then every frame of the
// merged timeline is rebuilt block by block from the copies the captures
// hold (media/block_merge.h) and written once. Beside the file go a CSV of
// what came from where, one row per frame, and the spans of tape still
// damaged, headed by the plan. Each output is written aside and appears
// only when whole; a stopped or failed merge leaves none of them.
//
// The captures are read frame by frame; what stays in memory is a
// fingerprint and a few counts per frame.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphs/dv_source.h"
#include "graphs/job.h"
#include "graphs/merge_plan.h"
#include "media/pass_alignment.h"
#include "resources/user_error.h"

namespace korvid::graphs {

// Captures that cannot be merged as asked: a capture with no frame in
// common with the others, captures of different TV systems, an output
// that would overwrite a capture.
class MergeRefused : public UserError {
 public:
  using UserError::UserError;
};

struct MergeOptions {
  std::filesystem::path output{};  // the merged AVI file
  std::optional<int> type{};     // 1 or 2; nothing: the first capture's
  bool force = false;            // leave out captures that match nothing
  bool planOnly = false;         // work out the plan and the damage left, write nothing
};

// "NAME_merge.csv" and "NAME_recapture.txt" beside "NAME.avi".
std::filesystem::path MergeCsvPath(const std::filesystem::path& output);
std::filesystem::path MergeRecapturePath(const std::filesystem::path& output);

// What Run does: line the captures up only, so that the plan can be shown
// before anything is written, or go on to merge (lining up first when
// that has not been done).
enum class MergeStage { kLineUp, kMerge };

class MergeJob : public Job {
 public:
  // Opens the captures. Throws NothingToConvert for a file without DV,
  // MergeRefused for fewer than two captures, mixed TV systems or an
  // output that is one of them, FileError when one cannot be read.
  MergeJob(std::vector<std::filesystem::path> passes, MergeOptions options);

  // In the units of the job's position.
  std::int64_t Duration() const;
  // Throws MergeRefused for a capture that matched nothing (unless forced).
  void Run(JobProgress& progress) override;
  void SetStage(MergeStage stage) { stage_ = stage; }

  // After Run: the plan, with the damage left when the merge got that far.
  const MergePlan& Plan() const { return plan_; }
  std::string PlanReport() const;
  bool Completed() const { return completed_; }

 private:
  void Align(JobProgress& progress);
  void MergeFrames(JobProgress& progress);

  std::vector<std::filesystem::path> paths_;
  std::vector<std::unique_ptr<DvSource>> sources_;
  MergeOptions options_;
  media::DvSystem system_;
  std::int64_t done_ = 0;
  MergePlan plan_;
  media::PassAligner aligner_;
  std::vector<FrameLeft> left_;
  MergeStage stage_ = MergeStage::kMerge;
  bool aligned_ = false;
  bool completed_ = false;
};

}  // namespace korvid::graphs
