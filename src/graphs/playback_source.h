#pragma once
// A file opened for the player: any frame by its number, with its picture,
// the packs it carries about itself (DV) and the sound that belongs to it.
// Opening reads the headers, the index and the first frame only, so that
// showing a file costs the same whatever its length.
//
// A file without video is handed out in stretches of sound of 40 ms,
// numbered like frames.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "graphs/avi_pcm_reader.h"
#include "graphs/dv_picture_decoder.h"
#include "graphs/ffmpeg_picture_reader.h"
#include "graphs/ffmpeg_sound_reader.h"
#include "graphs/picture_converter.h"
#include "graphs/playback_error.h"
#include "graphs/playback_frame.h"
#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "media/dv_frame_sound.h"
#include "media/dv_frame.h"

namespace korvid::graphs {

// A frame rate as a fraction: 25/1, 30000/1001.
struct FrameRate {
  std::int64_t num = 25;
  std::int64_t den = 1;
};

class PlaybackSource {
 public:
  // Throws PlaybackError with the stage that failed.
  explicit PlaybackSource(const std::filesystem::path& path);
  // Its readers point into its own index and file.
  PlaybackSource(const PlaybackSource&) = delete;
  PlaybackSource& operator=(const PlaybackSource&) = delete;

  bool HasVideo() const { return video_stream_.has_value(); }
  bool HasSound() const { return dv_sound_ || pcm_ || decoded_sound_; }
  bool IsDv() const { return dv_system_.has_value(); }
  // Frames of the video, or stretches of the sound of a file without video.
  std::int64_t FrameCount() const { return frame_count_; }
  FrameRate Rate() const { return rate_; }
  std::int64_t TimeMsOf(std::int64_t k) const;

  // Frame k, 0 <= k < FrameCount(). A damaged frame comes without picture
  // or packs, and with silence. Throws std::out_of_range for a frame the
  // file does not have, FileError when the file cannot be read.
  PlaybackFrame Read(std::int64_t k);

 private:
  void OpenDv();
  void OpenOtherVideo();
  void DropCutLastFrames();
  void OpenSound();
  void ReadDvFrame(std::int64_t k, PlaybackFrame& out);
  void ReadOtherPicture(std::int64_t k, PlaybackFrame& out);
  void ReadStreamSound(std::int64_t k, PlaybackFrame& out);
  // First sample frame of frame k in a sound stream of `sample_rate`.
  std::uint64_t SoundStartOf(std::int64_t k, int sample_rate) const;

  std::filesystem::path path_;
  media::BinaryFile file_;
  media::TFriendlyAviParam param_;
  media::AviFrameIndex index_;
  std::optional<std::size_t> video_stream_;
  std::optional<media::DvSystem> dv_system_;
  bool dv_sound_ = false;  // type 1: the sound is in the frames
  FrameRate rate_;
  std::int64_t frame_count_ = 0;

  std::optional<DvPictureDecoder> dv_decoder_;
  std::optional<FfmpegPictureReader> other_video_;
  PictureConverter converter_;
  std::optional<AviPcmReader> pcm_;                 // a PCM sound stream
  std::optional<FfmpegSoundReader> decoded_sound_;  // any other

  std::vector<std::uint8_t> frame_bytes_;
  std::optional<media::DvFrameSound> dv_sound_reader_;
  FramePtr picture_;
};

}  // namespace korvid::graphs
