#pragma once
// PAL to NTSC and back: each DV frame is decoded, its two fields are
// converted in rate and size (field_resampler.h) and the result encoded as
// DV of the target system with the source's aspect. The output keeps the
// source's DV type; its sound is the source's at 48 kHz, inside the frames
// and, for type 2, in a PCM stream as well. With a header rewriter every
// output frame takes the recording date, time and timecode of the source
// frame of the same instant.
//
// Two threads share the work: this one decodes and scales, a second one
// encodes and writes, with a few pictures queued between them.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "graphs/conversion_job.h"
#include "graphs/dixmark.h"
#include "graphs/dv_source.h"

namespace korvid::graphs {

class StandardConversionJob : public ConversionJob {
 public:
  // Throws NothingToConvert when the source is not DV.
  StandardConversionJob(const std::filesystem::path& source, std::filesystem::path output, media::DvSystem target,
                        std::optional<Dixmark> dixmark);

  std::int64_t Duration() const override;
  void Run(JobProgress& progress) override;
  const std::filesystem::path& Output() const override { return output_; }
  std::uint64_t FramesReplaced() const override { return source_.FramesReplaced(); }

 private:
  DvSource source_;
  std::filesystem::path output_;
  media::DvSystem target_;
  std::optional<Dixmark> dixmark_;
};

}  // namespace korvid::graphs
