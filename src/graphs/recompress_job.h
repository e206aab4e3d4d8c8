#pragma once
// Recompression of any video FFmpeg can read into DV type 2: the picture
// scaled to the DV frame with its shape kept (black bars where the shapes
// differ), the frame rate brought to the target's by showing, at each
// output instant, the latest source picture; the sound decoded and
// resampled to 48 kHz 16-bit stereo.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "graphs/conversion_job.h"
#include "graphs/dixmark.h"
#include "media/dv_frame.h"

namespace korvid::graphs {

class RecompressJob : public ConversionJob {
 public:
  // `wide`: make a 16:9 DV picture, else 4:3. Throws ConversionError when
  // FFmpeg cannot open the source or it has no video.
  RecompressJob(const std::filesystem::path& source, std::filesystem::path output, media::DvSystem target,
                bool wide, std::optional<Dixmark> dixmark);

  std::int64_t Duration() const override { return duration_; }
  void Run(JobProgress& progress) override;
  const std::filesystem::path& Output() const override { return output_; }

 private:
  std::filesystem::path source_;
  std::filesystem::path output_;
  media::DvSystem target_;
  bool wide_;
  std::optional<Dixmark> dixmark_;
  std::int64_t duration_ = 0;
};

}  // namespace korvid::graphs
