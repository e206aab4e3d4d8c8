#pragma once
// Sound handed out a frame's worth at a time, as interleaved 16-bit stereo
// at one fixed rate, from either place a DV file keeps it: the auds stream
// of type 2, or the frames themselves (type 1), whose mode may change
// midway. Once the source runs out the feed gives silence.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "graphs/avi_pcm_reader.h"
#include "graphs/dv_source.h"
#include "graphs/dv_sound_stream.h"
#include "graphs/pcm_rate_converter.h"
#include "media/dv_frame_sound.h"

namespace korvid::graphs {

class SoundFeed {
 public:
  explicit SoundFeed(int rate) : rate_(rate), converter_(rate, 2) {}
  virtual ~SoundFeed() = default;
  SoundFeed(const SoundFeed&) = delete;
  SoundFeed& operator=(const SoundFeed&) = delete;

  // The next `count` stereo sample frames; valid until the next call.
  std::span<const std::int16_t> Take(std::size_t count);

 protected:
  int Rate() const { return rate_; }
  // Appends the next stretch of source sound (stereo) and returns its
  // rate; 0 at the end of the source.
  virtual int Pull(std::vector<std::int16_t>& out) = 0;

 private:
  int rate_;
  PcmRateConverter converter_;
  std::vector<std::int16_t> raw_;
  std::vector<std::int16_t> buffer_;
  std::size_t start_ = 0;  // of what is not yet handed out
  std::size_t handed_ = 0;
  bool ended_ = false;
};

// One auds stream of the file. Locked, it is taken a frame's worth at a
// time, as many samples as the frame's own source pack counts, and those
// of frames marked unlocked are brought to their share of the picture's
// time; frames at another rate than the stream's say nothing about it.
class AviSoundFeed : public SoundFeed {
 public:
  AviSoundFeed(const DvSource& source, std::size_t stream, int rate, bool locked = false);

 protected:
  int Pull(std::vector<std::int16_t>& out) override;

 private:
  int PullLocked(std::vector<std::int16_t>& out);

  const DvSource& source_;
  AviPcmReader reader_;
  bool locked_;
  std::size_t next_ = 0;
  bool finished_ = false;
  std::vector<std::uint8_t> frame_;
  std::vector<std::int16_t> samples_;
  std::optional<media::SoundLocker> locker_;
};

// The frames' own sound as a stereo stream (`layout` never asks for all
// four channels), read in a pass of its own. A frame without readable
// sound gives the silence of its length.
class DvFrameSoundFeed : public SoundFeed {
 public:
  DvFrameSoundFeed(const DvSource& source, int rate, DvSoundLayout layout = {});

 protected:
  int Pull(std::vector<std::int16_t>& out) override;

 private:
  const DvSource& source_;
  std::size_t next_ = 0;
  bool finished_ = false;
  std::vector<std::uint8_t> frame_;
  media::DvFrameSound sound_;
  DvSoundStream stream_;
};

// The feed a DV source's sound comes from: its first auds stream when it
// has one, else its frames, arranged as `layout` says. Nothing for a
// type-1 source without sound.
std::unique_ptr<SoundFeed> MakeSoundFeed(const DvSource& source, int rate, DvSoundLayout layout = {});

}  // namespace korvid::graphs
