#include "split_scenes/scene_split.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>
#include <system_error>

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/avi_writer.h"
#include "media/binary_file.h"
#include "media/dv_frame.h"
#include "media/dv_frame_facts.h"
#include "media/le_bytes.h"
#include "settings/date_time_format.h"

namespace korvid::split {
namespace {

namespace fs = std::filesystem;

// The longest scene file: the header and first record with a 255-byte
// path, and 32767 further records of 35 bytes.
constexpr std::uint64_t kMaxScnBytes = 65 + 255 + 23 + 255 + 32767ULL * 35;
constexpr std::size_t kFurtherRecordBytes = 35;
constexpr std::string_view kScnMagic = "SourceTape";

std::uint32_t Fourcc(std::string_view code) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24;
}

class ScnBytes {
 public:
  ScnBytes(std::vector<std::uint8_t> bytes, std::string name) : bytes_(std::move(bytes)), name_(std::move(name)) {}
  // Throws when `count` bytes from `at` are not all in the file.
  void Need(std::uint64_t at, std::uint64_t count) const {
    if (at > bytes_.size() || bytes_.size() - at < count) throw SplitError(name_ + " is not a complete scene file");
  }
  std::uint8_t U8(std::uint64_t at) const {
    Need(at, 1);
    return bytes_[at];
  }
  std::uint16_t U16(std::uint64_t at) const {
    Need(at, 2);
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  std::uint32_t U32(std::uint64_t at) const {
    Need(at, 4);
    return static_cast<std::uint32_t>(U16(at)) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
  }
  bool Holds(std::uint64_t at, std::string_view text) const {
    Need(at, text.size());
    return std::equal(text.begin(), text.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at));
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::string name_;
};

std::vector<std::uint8_t> Chunk(const media::BinaryFile& file, const media::FrameLocation& where) {
  std::vector<std::uint8_t> data(where.size);
  if (!file.ReadExactAt(where.offset, data)) throw SplitError("cannot read " + file.Path().string());
  return data;
}

// The stream's strh fields the copy needs.
struct StreamTiming {
  std::uint32_t scale = 0;
  std::uint32_t rate = 0;
  std::uint32_t sampleSize = 0;
};
StreamTiming TimingOf(const media::TAvistream& stream) {
  const auto* h = stream.header.data();
  return {media::LoadLE32(h + 20), media::LoadLE32(h + 24), media::LoadLE32(h + 44)};
}

// A sound stream as the source declares it, its chunks, and the video
// frame during which each chunk starts.
struct SoundStream {
  std::size_t source = 0;
  std::size_t output = 0;
  std::span<const media::FrameLocation> chunks;
  std::vector<std::uint64_t> startFrame;
  std::size_t next = 0;
};

std::vector<std::uint64_t> ChunkStartFrames(std::span<const media::FrameLocation> chunks, const StreamTiming& sound,
                                            const StreamTiming& video) {
  std::vector<std::uint64_t> frames;
  frames.reserve(chunks.size());
  if (sound.rate == 0 || video.scale == 0) return std::vector<std::uint64_t>(chunks.size(), 0);
  long double ticks = 0;
  const long double tickSeconds = static_cast<long double>(sound.scale) / sound.rate;
  const long double frameSeconds = static_cast<long double>(video.scale) / video.rate;
  for (const media::FrameLocation& chunk : chunks) {
    // A hair of slack, so that sound starting exactly with a frame goes with it.
    frames.push_back(static_cast<std::uint64_t>(std::floor(ticks * tickSeconds / frameSeconds + 1e-6L)));
    ticks += sound.sampleSize != 0 ? static_cast<long double>(chunk.size / sound.sampleSize) : 1.0L;
  }
  return frames;
}

media::AviStream SoundCopy(const media::TAvistream& stream) {
  const StreamTiming timing = TimingOf(stream);
  media::AviStream out;
  out.type = stream.FccType();
  out.handler = stream.FccHandler();
  out.chunk_kind = {'w', 'b'};
  out.scale = timing.scale;
  out.rate = timing.rate;
  out.sample_size = timing.sampleSize;
  out.format = stream.format;
  return out;
}

media::AviStream DvCopy(const media::TAvistream& stream, std::span<const std::uint8_t> firstFrame,
                        media::DvSystem system) {
  const media::AviVideoFormat format{system, media::ReadDvFrameFacts(firstFrame).wide};
  media::AviStream out = stream.FccType() == Fourcc("iavs") ? media::DvInterleavedStream(format)
                                                             : media::DvVideoStream(format);
  const StreamTiming timing = TimingOf(stream);
  if (stream.FccHandler() != 0) out.handler = stream.FccHandler();
  if (timing.scale != 0 && timing.rate != 0) {
    out.scale = timing.scale;
    out.rate = timing.rate;
  }
  return out;
}

bool IsRealDate(const media::TDatecode& d) {
  return media::HasDatecode(d) && settings::IsValidDateTime({d.year, d.month, d.day, d.hour, d.minute, d.second});
}

// The DV frames in order, a damaged chunk (empty, short, long, or no frame
// of the video's system) given as the whole frame before it, or the first
// whole one after it at the start.
class WholeFrames {
 public:
  WholeFrames(const media::BinaryFile& file, std::span<const media::FrameLocation> frames, media::DvSystem system,
              std::size_t first, std::vector<std::uint8_t> firstFrame)
      : file_(file), frames_(frames), system_(system), first_(first), last_(std::move(firstFrame)) {}

  // Frame f, called for f = 0, 1, 2, ...
  const std::vector<std::uint8_t>& Read(std::uint64_t f) {
    if (f > first_) {
      std::vector<std::uint8_t> chunk;
      if (frames_[f].size == media::FrameBytes(system_)) chunk = Chunk(file_, frames_[f]);
      if (!chunk.empty() && media::DetectDvSystem(chunk) == system_)
        last_.swap(chunk);
      else
        ++replaced_;
    } else if (f < first_) {
      ++replaced_;
    }
    return last_;
  }
  std::uint64_t Replaced() const { return replaced_; }

 private:
  const media::BinaryFile& file_;
  std::span<const media::FrameLocation> frames_;
  media::DvSystem system_;
  std::uint64_t first_;
  std::vector<std::uint8_t> last_;
  std::uint64_t replaced_ = 0;
};

fs::path TemporaryName(const fs::path& folder, const fs::path& source, std::size_t scene) {
  return folder / ("." + source.stem().string() + ".scene" + std::to_string(scene + 1) + ".part.avi");
}

}  // namespace

std::vector<std::uint64_t> ReadSceneStarts(const fs::path& scnFile) {
  std::vector<std::uint8_t> bytes;
  try {
    const media::BinaryFile file(scnFile, media::BinaryFile::Mode::kRead);
    bytes.resize(static_cast<std::size_t>(std::min(file.Size(), kMaxScnBytes)));
    if (!file.ReadExactAt(0, bytes)) throw SplitError("cannot read " + scnFile.string());
  } catch (const media::FileError& e) {
    throw SplitError(e.what());
  }
  const ScnBytes scn(std::move(bytes), scnFile.string());
  if (!scn.Holds(14, kScnMagic)) throw SplitError(scnFile.string() + " is not a scene file");
  const std::uint64_t pathBytes = scn.U8(24);
  std::uint64_t at = 25 + pathBytes + 8;
  const std::uint16_t count = scn.U16(at);
  if (count == 0) throw SplitError(scnFile.string() + " lists no scene");
  at += 2 + 30;
  // The first scene's record: its frame count, fixed bytes, the path again.
  const std::uint64_t recordPath = scn.U8(at + 10);
  at += 11 + recordPath + 8 + 4;
  std::vector<std::uint64_t> starts{0};
  for (std::uint16_t k = 1; k < count; ++k, at += kFurtherRecordBytes) starts.push_back(scn.U32(at + 9));
  return starts;
}

SplitResult SplitIntoScenes(const fs::path& source, const std::vector<std::uint64_t>& starts, const fs::path& folder,
                            const SplitHooks& hooks) {
  SplitResult result;
  std::vector<fs::path>& placed = result.placed;
  fs::path writing;
  try {
    const media::BinaryFile file(source, media::BinaryFile::Mode::kRead);
    const media::TAviParam param(file);
    const std::optional<std::size_t> dv = param.valid ? media::FindDvVideoStream(param) : std::nullopt;
    if (!dv) throw SplitError(source.string() + " holds no DV video");
    const media::AviFrameIndex index = media::AviFrameIndex::Load(file, param);
    const std::span<const media::FrameLocation> frames = index.FramesOf(*dv);
    const bool ordered = !starts.empty() && starts.front() == 0 && std::is_sorted(starts.begin(), starts.end()) &&
                         std::adjacent_find(starts.begin(), starts.end()) == starts.end();
    if (frames.empty() || !ordered || starts.back() >= frames.size())
      throw SplitError("the scene file does not match " + source.string() + ": scan it again");

    // The system comes from the first whole frame; dropped frames before it
    // become copies of it.
    std::vector<std::uint8_t> first;
    std::optional<media::DvSystem> system;
    std::size_t firstWhole = 0;
    for (; firstWhole < frames.size(); ++firstWhole) {
      const std::uint32_t size = frames[firstWhole].size;
      if (size != media::FrameBytes(media::DvSystem::k625_50) && size != media::FrameBytes(media::DvSystem::k525_60))
        continue;
      first = Chunk(file, frames[firstWhole]);
      system = media::DetectDvSystem(first);
      if (system && first.size() == media::FrameBytes(*system)) break;
      system.reset();
    }
    if (!system) throw SplitError(source.string() + " holds no DV video");
    const StreamTiming videoTiming = TimingOf(param.streams[*dv]);

    // The output keeps the source's DV stream and sound streams, in its order.
    std::vector<media::AviStream> streams;
    std::size_t dvOutput = 0;
    std::vector<SoundStream> sounds;
    for (std::size_t s = 0; s < param.streams.size(); ++s) {
      if (s == *dv) {
        dvOutput = streams.size();
        streams.push_back(DvCopy(param.streams[s], first, *system));
      } else if (param.streams[s].FccType() == Fourcc("auds")) {
        SoundStream sound{s, streams.size(), index.FramesOf(s), {}, 0};
        sound.startFrame = ChunkStartFrames(sound.chunks, TimingOf(param.streams[s]), videoTiming);
        sounds.push_back(std::move(sound));
        streams.push_back(SoundCopy(param.streams[s]));
      }
    }

    WholeFrames whole(file, frames, *system, firstWhole, first);
    std::uint64_t done = 0;
    for (std::size_t scene = 0; scene < starts.size(); ++scene) {
      const std::uint64_t begin = starts[scene];
      const bool last = scene + 1 == starts.size();
      const std::uint64_t end = last ? frames.size() : starts[scene + 1];
      writing = TemporaryName(folder, source, scene);
      WrittenScene written{writing, std::nullopt};
      media::AviWriter writer = media::AviWriter::Create(writing, streams);
      for (std::uint64_t f = begin; f < end; ++f) {
        const std::vector<std::uint8_t>& frame = whole.Read(f);
        if (f == begin) {
          const media::TDatecode datecode = media::ReadDvFrameFacts(frame).datecode;
          if (IsRealDate(datecode)) written.datecode = datecode;
        }
        writer.WriteChunk(dvOutput, frame);
        // Sound goes with the frame during which it starts; the last frame
        // takes whatever sound is left.
        const bool rest = last && f + 1 == end;
        for (SoundStream& sound : sounds)
          while (sound.next < sound.chunks.size() && (rest || sound.startFrame[sound.next] <= f))
            writer.WriteChunk(sound.output, Chunk(file, sound.chunks[sound.next++]));
        if (++done % 25 == 0 && hooks.progress && hooks.progress(static_cast<int>(done * 100 / frames.size())))
          throw SplitError("stopped: " + std::to_string(placed.size()) + " of " + std::to_string(starts.size()) +
                           " scenes written");
      }
      writer.Close();
      placed.push_back(hooks.place(written));
      writing.clear();
    }
    if (hooks.progress) hooks.progress(100);
    result.framesReplaced = whole.Replaced();
  } catch (...) {
    std::error_code ignored;
    if (!writing.empty()) fs::remove(writing, ignored);
    try {
      throw;
    } catch (const SplitError&) {
      throw;
    } catch (const std::exception& e) {
      throw SplitError(e.what());
    }
  }
  return result;
}

}  // namespace korvid::split
