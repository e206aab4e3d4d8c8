#pragma once
// Writes the first sound of an AVI file to a WAV file. Where the sound
// comes from decides how:
//  - a PCM auds stream is copied as stored, chunk after chunk, with its
//    own format block; locked to the picture, that of a DV file is taken
//    frame by frame as 16-bit stereo (graphs::AviSoundFeed);
//  - the sound inside the DV frames of a type-1 file is decoded to 16-bit
//    PCM at the rate of the first frame: as recorded or locked to the
//    picture, channels 1-2 or all four, as `sound` says;
//  - any other auds stream is decoded by FFmpeg to 16-bit PCM at its own
//    rate and channel count.
// A WAV too large for the 32-bit RIFF sizes is finished as RF64.

#include <cstdint>
#include <filesystem>

#include "graphs/conversion_job.h"
#include "graphs/dv_sound_stream.h"
#include "media/avi_param.h"
#include "media/wav_writer.h"

namespace korvid::graphs {

enum class AudioRoute {
  kStoredPcm,  // auds stream copied as it is
  kDvFrames,   // decoded from the interleaved DV frames
  kDecoded,    // decoded by FFmpeg
};

class AudioExtractionJob : public ConversionJob {
 public:
  // Throws NothingToConvert when the file has no sound to extract.
  AudioExtractionJob(const std::filesystem::path& source, std::filesystem::path output,
                     const media::WavWriterOptions& options = {}, DvSoundLayout sound = {});

  AudioRoute Route() const { return route_; }
  // The AVI stream the sound is taken from.
  std::size_t Stream() const { return stream_; }

  std::int64_t Duration() const override { return duration_; }
  void Run(JobProgress& progress) override;
  const std::filesystem::path& Output() const override { return output_; }

 private:
  // Routes a DV file with auds streams to its frames when they hold four
  // channels; false when they do not.
  bool TakeFourChannelsFromFrames(const media::TFriendlyAviParam& param);
  void CopyStored(JobProgress& progress);
  // The stored PCM of a DV file locked to its frames; false when it cannot be.
  bool LockStored(JobProgress& progress);
  void DecodeDvFrames(JobProgress& progress);
  void DecodeWithFfmpeg(JobProgress& progress);

  std::filesystem::path source_;
  std::filesystem::path output_;
  media::WavWriterOptions options_;
  DvSoundLayout sound_;
  AudioRoute route_ = AudioRoute::kStoredPcm;
  std::size_t stream_ = 0;
  std::int64_t duration_ = 0;
};

}  // namespace korvid::graphs
