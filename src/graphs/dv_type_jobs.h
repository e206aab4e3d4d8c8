#pragma once
// The two conversions between DV types. Neither touches the picture: every
// DV frame goes to the output as it was read.
//  - Type 1 to type 2: the frames go into a vids/dvsd stream and their sound
//    is decoded into one PCM stream per stereo pair, at the rate of the
//    first frame; later stretches at another rate are resampled to it.
//  - Type 2 to type 1: the PCM of the auds streams is written into the
//    frames in the frames' own sound mode (resampled when its rate differs),
//    each frame getting as many samples as it already declares. A frame
//    that already carries that PCM goes out bit for bit; one in the same
//    mode keeps its own AAUX packs and gets new samples only. A stream at
//    the frames' rate whose length differs from theirs by half a frame or
//    more (a writer dropped a frame's samples) would shift all later sound:
//    the frames then keep their own sound, already in their DIF blocks.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "graphs/conversion_job.h"
#include "graphs/dv_source.h"
#include "media/dv_audio.h"

namespace korvid::graphs {

class Type1To2Job : public ConversionJob {
 public:
  // Throws NothingToConvert when the source is not DV.
  Type1To2Job(const std::filesystem::path& source, std::filesystem::path output);

  std::int64_t Duration() const override;
  void Run(JobProgress& progress) override;
  const std::filesystem::path& Output() const override { return output_; }
  std::uint64_t FramesReplaced() const override { return source_.FramesReplaced(); }

 private:
  DvSource source_;
  std::filesystem::path output_;
};

class Type2To1Job : public ConversionJob {
 public:
  Type2To1Job(const std::filesystem::path& source, std::filesystem::path output);

  std::int64_t Duration() const override;
  void Run(JobProgress& progress) override;
  const std::filesystem::path& Output() const override { return output_; }
  std::uint64_t FramesReplaced() const override { return source_.FramesReplaced(); }
  bool FramesKeptOwnSound() const override { return kept_own_sound_; }

 private:
  DvSource source_;
  std::filesystem::path output_;
  bool kept_own_sound_ = false;
};

// The sound mode a frame's description stands for.
media::DvAudioMode AudioModeOf(const media::DvAudioInfo& info);

// Duration of `frames` frames of `system`, in ticks.
std::int64_t DvFramesTicks(media::DvSystem system, std::uint64_t frames);

}  // namespace korvid::graphs
