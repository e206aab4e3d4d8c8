#include "media/dv_sound_drift.h"

#include <algorithm>
#include <vector>

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "media/dv_audio.h"

namespace korvid::media {
namespace {

// The first source pack copy sits in audio block 3 of the first sequence.
constexpr std::size_t kHeadBytes = 4400;

// The frame's sound description, as the sound readers find it: from the
// whole frame, and only for a chunk holding one whole frame.
std::optional<DvAudioInfo> FrameSound(const BinaryFile& file, const FrameLocation& chunk, DvSystem system,
                                      std::vector<std::uint8_t>& buffer) {
  if (chunk.size != FrameBytes(system)) return std::nullopt;
  // Grown only as far as needed and read into by spans: shrinking it to the
  // head again and regrowing would clear 140 KB for every frame whose head
  // lacks the pack, and growing it whole up front clears it for every file.
  if (buffer.size() < kHeadBytes) buffer.resize(kHeadBytes);
  const std::span<std::uint8_t> head = std::span(buffer).first(kHeadBytes);
  if (file.ReadAt(chunk.offset, head) == kHeadBytes && DetectDvSystem(head) == system) {
    try {
      return ReadDvAudioInfo(head);
    } catch (const DvAudioError&) {
      // the first sequence lost its pack: the rest of the frame may have one
    }
  }
  if (buffer.size() < chunk.size) buffer.resize(chunk.size);
  const std::span<std::uint8_t> whole = std::span(buffer).first(chunk.size);
  if (file.ReadAt(chunk.offset, whole) != whole.size() || DetectDvSystem(whole) != system) return std::nullopt;
  try {
    return DecodeDvAudio(whole).info;
  } catch (const DvAudioError&) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<DvSoundDrift> ReadDvSoundDrift(const std::filesystem::path& path) {
  const BinaryFile file(path, BinaryFile::Mode::kRead);
  const TFriendlyAviParam param(file);
  if (!param.valid) return std::nullopt;
  const auto stream = FindDvVideoStream(param);
  if (!stream) return std::nullopt;
  return ReadDvSoundDrift(file, AviFrameIndex::Load(file, param), *stream);
}

std::optional<DvSoundDrift> ReadDvSoundDrift(const BinaryFile& file, const AviFrameIndex& index,
                                             std::size_t stream) {
  std::vector<std::uint8_t> buffer;
  std::optional<DvSystem> system;
  DvSoundDrift drift;
  bool any = false;
  double seconds = 0;  // the sound's time beyond the picture's
  for (const FrameLocation& chunk : index.FramesOf(stream)) {
    if (!system) {
      if (buffer.size() < kHeadBytes) buffer.resize(kHeadBytes);
      const std::size_t got = file.ReadAt(chunk.offset, std::span(buffer).first(std::min<std::size_t>(kHeadBytes, chunk.size)));
      system = DetectDvSystem(std::span(buffer).first(got));
      if (!system) continue;
    }
    const auto info = FrameSound(file, chunk, *system, buffer);
    if (!info || info->sample_rate <= 0) continue;
    any = true;
    drift.locked = drift.locked && info->locked;
    const double frame_seconds = *system == DvSystem::k625_50 ? 1.0 / 25.0 : 1001.0 / 30000.0;
    seconds += static_cast<double>(info->samples) / info->sample_rate - frame_seconds;
  }
  if (!any) return std::nullopt;
  drift.drift_ms = seconds * 1000.0;
  return drift;
}

}  // namespace korvid::media
