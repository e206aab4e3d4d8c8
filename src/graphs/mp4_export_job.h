#pragma once
// Export of a DV AVI file to an MP4 that phones, browsers and televisions
// play: H.264 pictures deinterlaced to the field rate at square pixels,
// AAC sound at 48 kHz locked to the picture, and the recording date kept three ways: the file's
// creation time, a soft subtitle track with the date and time of every
// second, and one chapter per scene titled with the scene's date.
//
// The frames' packs are read in a first quick pass, so that the subtitle
// cues and chapters are known when the file is begun; the pictures and
// sound follow in a second pass.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "graphs/conversion_job.h"
#include "graphs/dv_source.h"
#include "graphs/mp4_export_options.h"

namespace korvid::graphs {

class Mp4ExportJob : public ConversionJob {
 public:
  // Throws NothingToConvert when the source is not DV.
  Mp4ExportJob(const std::filesystem::path& source, std::filesystem::path output, Mp4ExportOptions options);

  std::int64_t Duration() const override;
  void Run(JobProgress& progress) override;
  const std::filesystem::path& Output() const override { return output_; }
  std::uint64_t FramesReplaced() const override { return source_.FramesReplaced(); }

 private:
  DvSource source_;
  std::filesystem::path output_;
  Mp4ExportOptions options_;
};

// "YYYY-MM-DDThh:mm:ss.000000Z" of seconds since the epoch, as MP4
// metadata writes a moment.
std::string UtcMetadataTime(std::int64_t seconds);

}  // namespace korvid::graphs
