#pragma once
// Copies a DV AVI file with the header rewriter applied to every DV frame
// (the hour shift of the recording date and time); the picture is not
// touched and the PCM streams of a type-2 file are copied as they are,
// interleaved with the frames in their original proportion.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

#include "graphs/conversion_job.h"
#include "graphs/dixmark.h"
#include "graphs/dv_source.h"

namespace korvid::graphs {

// Rewrites frame `k` in place; what it throws ends the job.
using FrameRewrite = std::function<void(std::size_t k, std::span<std::uint8_t> frame)>;

class HeaderRewriteJob : public ConversionJob {
 public:
  // Throws NothingToConvert when the source is not DV.
  HeaderRewriteJob(const std::filesystem::path& source, std::filesystem::path output, Dixmark dixmark);
  // Any rewrite of the frames' packs. A damaged chunk is stood in for by
  // the frame before it, which is written as that frame was rewritten.
  // Stopped, this job leaves no output at all (the hour shift above keeps
  // the frames done).
  HeaderRewriteJob(const std::filesystem::path& source, std::filesystem::path output, FrameRewrite rewrite);

  std::int64_t Duration() const override;
  void Run(JobProgress& progress) override;
  const std::filesystem::path& Output() const override { return output_; }
  std::uint64_t FramesReplaced() const override { return source_.FramesReplaced(); }

 private:
  DvSource source_;
  std::filesystem::path output_;
  FrameRewrite rewrite_;
  bool keepStopped_ = false;
};

}  // namespace korvid::graphs
