#pragma once
// Deterministic sample footage: short DV AVI clips with known recording
// dates, times and timecodes, and the odd non-DV and sound-only files, for
// the tests, the benchmarks and the demonstration.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "media/dv_audio_format.h"
#include "media/dv_frame.h"
#include "media/dv_packs.h"

namespace korvid::samples {

// A stop and restart of the camera: from `frame` on, the recording time is
// `seconds` later (earlier when negative).
struct ClockJump {
  int frame = 0;
  std::int64_t seconds = 0;
};

struct DvClipSpec {
  std::string file_name;
  media::DvSystem system = media::DvSystem::k625_50;
  int dv_type = 2;  // 1: one iavs stream; 2: vids plus one auds stream per pair
  bool wide = false;
  media::DvAudioMode audio = media::DvAudioMode::k48k16Bit2Ch;
  int frames = 50;
  // Recording date and time of frame 0; a year below 1 gives a clip
  // without any datecode.
  media::TDatecode start{2005, 8, 14, 15, 2, 11};
  media::TTimecode start_timecode{0, 0, 0, 0};
  // From this frame on, the recording time is `jump_hours` later: a new scene.
  int jump_frame = -1;
  int jump_hours = 0;
  // Further jumps, any number and either way; they add up with each other
  // and with the one above.
  std::vector<ClockJump> jumps;
  // Frames [undated_from, undated_to) carry no datecode.
  int undated_from = -1;
  int undated_to = -1;
  // For long clips: only this many distinct pictures are encoded and then
  // repeated, so that writing is bound by the disk rather than the encoder.
  int distinct_pictures = 0;
  // Called with every frame once its packs are stamped, before its sound is
  // added: for clips that need packs of their own (a recording-start flag,
  // a timecode that jumps).
  std::function<void(int index, std::vector<std::uint8_t>& frame)> retouch;
  // Samples per channel of each frame, repeated from the start when the
  // clip is longer, and the frames marked unlocked: the sound of a
  // consumer camcorder whose sample clock runs free. Empty: the locked
  // counts of the standard.
  std::vector<std::size_t> unlocked_counts;
  // Silence with a click (kClickSamples samples at kClickLevel, half that
  // on channels 3-4) opening the first frame of every second instead of
  // tones, for timing the sound.
  bool clicks = false;
};

inline constexpr std::size_t kClickSamples = 4;
inline constexpr std::int16_t kClickLevel = 20000;

// The frames whose sound opens with a click: the first frame at or after
// each whole second of the picture.
bool IsClickFrame(media::DvSystem system, int index);

// The recording date and time and the timecode of frame `index` of a clip.
media::TDatecode DatecodeOfFrame(const DvClipSpec& spec, int index);
media::TTimecode TimecodeOfFrame(const DvClipSpec& spec, int index);

// Writes a DV AVI clip; throws on failure.
void WriteDvClip(const std::filesystem::path& path, const DvClipSpec& spec);
// An AVI whose video is Motion JPEG (not DV) with PCM sound.
void WriteMjpegClip(const std::filesystem::path& path, int frames);
// An AVI with one PCM sound stream and no video.
void WriteAudioOnlyClip(const std::filesystem::path& path, double seconds);

// The standard set, by file name.
std::vector<DvClipSpec> StandardDvClips();
inline constexpr const char* kMjpegClipName = "mjpeg_not_dv.avi";
inline constexpr const char* kAudioOnlyClipName = "audio_only.avi";

// Writes the standard set into `dir` (created when missing); returns the paths.
std::vector<std::filesystem::path> WriteStandardSamples(const std::filesystem::path& dir);

}  // namespace korvid::samples
