#include "media/avi_stream.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "media/le_bytes.h"

namespace korvid::media {
namespace {

constexpr std::uint16_t kDvWidth = 720;
constexpr std::size_t kPackBytes = 5;
constexpr std::size_t kVauxBlocks = 3;
constexpr std::size_t kVauxPacksPerBlock = 15;
constexpr std::size_t kPackOffsetInBlock = 3;

std::uint16_t DvHeight(DvSystem system) { return system == DvSystem::k625_50 ? 576 : 480; }

std::vector<std::uint8_t> BitmapInfoHeader(std::uint32_t width, std::uint32_t height, std::uint16_t bit_count,
                                           std::uint32_t compression, std::uint32_t image_bytes) {
  std::vector<std::uint8_t> b(40, 0);
  StoreLE32(b.data(), 40);
  StoreLE32(b.data() + 4, width);
  StoreLE32(b.data() + 8, height);
  StoreLE16(b.data() + 12, 1);  // planes
  StoreLE16(b.data() + 14, bit_count);
  StoreLE32(b.data() + 16, compression);
  StoreLE32(b.data() + 20, image_bytes);
  return b;
}

// The OpenDML video properties: they carry the picture aspect, which DV
// type 2 readers otherwise only learn by decoding a frame.
std::vector<std::uint8_t> DvVideoProperties(const AviVideoFormat& format) {
  const bool pal = format.system == DvSystem::k625_50;
  const std::uint32_t height = DvHeight(format.system);
  constexpr std::uint32_t kFields = 2;
  std::vector<std::uint8_t> v(9 * 4 + kFields * 8 * 4, 0);
  std::uint8_t* p = v.data();
  StoreLE32(p, pal ? 2 : 4);        // CCIR 601 sampling, PAL or NTSC
  StoreLE32(p + 4, pal ? 1 : 2);    // video standard
  StoreLE32(p + 8, pal ? 50 : 60);  // vertical refresh
  StoreLE32(p + 12, pal ? 864 : 858);
  StoreLE32(p + 16, pal ? 625 : 525);
  StoreLE16(p + 20, format.wide ? 9 : 3);  // aspect: y in the low word, x in the high
  StoreLE16(p + 22, format.wide ? 16 : 4);
  StoreLE32(p + 24, kDvWidth);
  StoreLE32(p + 28, height);
  StoreLE32(p + 32, kFields);
  for (std::uint32_t f = 0; f < kFields; ++f) {
    std::uint8_t* d = p + 36 + f * 32;
    StoreLE32(d, height / kFields);
    StoreLE32(d + 4, kDvWidth);
    StoreLE32(d + 8, height / kFields);
    StoreLE32(d + 12, kDvWidth);
  }
  return v;
}

AviStream DvStreamBase(const AviVideoFormat& format) {
  AviStream s;
  const FrameRate r = DvFrameRate(format.system);
  s.rate = r.rate;
  s.scale = r.scale;
  s.handler = FourCC("dvsd");
  s.width = kDvWidth;
  s.height = DvHeight(format.system);
  s.dv_system = format.system;
  return s;
}

// Where a pack with `header` first occurs among `offsets`, as its four data bytes.
template <typename Offsets>
std::optional<std::uint32_t> FindPack(std::span<const std::uint8_t> frame, std::uint8_t header, Offsets&& offsets) {
  std::optional<std::uint32_t> found;
  offsets([&](std::size_t at) {
    if (found || at + kPackBytes > frame.size() || frame[at] != header) return;
    found = LoadLE32(frame.data() + at + 1);
  });
  return found;
}

}  // namespace

bool AviStream::IsVideo() const { return type == FourCC("vids") || type == FourCC("iavs"); }

FrameRate DvFrameRate(DvSystem system) {
  return system == DvSystem::k625_50 ? FrameRate{25, 1} : FrameRate{30000, 1001};
}

AviStream DvInterleavedStream(const AviVideoFormat& format) {
  AviStream s = DvStreamBase(format);
  s.type = FourCC("iavs");
  s.chunk_kind = {'_', '_'};
  s.format.assign(32, 0xFF);  // filled from the first frame
  return s;
}

AviStream DvVideoStream(const AviVideoFormat& format) {
  AviStream s = DvStreamBase(format);
  s.type = FourCC("vids");
  s.chunk_kind = {'d', 'c'};
  s.format = BitmapInfoHeader(s.width, s.height, 24, FourCC("dvsd"),
                              static_cast<std::uint32_t>(FrameBytes(format.system)));
  s.properties = DvVideoProperties(format);
  return s;
}

AviStream PcmAudioStream(const AviAudioFormat& format) {
  if (format.sample_rate == 0 || format.channels == 0 || format.bits == 0 || format.bits % 8 != 0 ||
      format.bits > 32)
    throw std::invalid_argument("PCM sound cannot have " + std::to_string(format.channels) + " channels of " +
                                std::to_string(format.bits) + " bits at " + std::to_string(format.sample_rate) +
                                " Hz");
  const std::uint32_t block = std::uint32_t{format.channels} * (format.bits / 8u);
  AviStream s;
  s.type = FourCC("auds");
  s.chunk_kind = {'w', 'b'};
  s.scale = block;
  s.rate = block * format.sample_rate;
  s.sample_size = block;
  s.format.assign(18, 0);
  StoreLE16(s.format.data(), 1);  // PCM
  StoreLE16(s.format.data() + 2, format.channels);
  StoreLE32(s.format.data() + 4, format.sample_rate);
  StoreLE32(s.format.data() + 8, s.rate);
  StoreLE16(s.format.data() + 12, static_cast<std::uint16_t>(block));
  StoreLE16(s.format.data() + 14, format.bits);
  return s;
}

AviStream VideoStream(std::uint32_t fourcc, std::uint16_t width, std::uint16_t height, std::uint16_t bit_count,
                      FrameRate rate, std::uint32_t image_bytes) {
  if (rate.rate == 0 || rate.scale == 0) throw std::invalid_argument("a video stream needs a frame rate");
  AviStream s;
  s.type = FourCC("vids");
  s.handler = fourcc == 0 ? FourCC("DIB ") : fourcc;
  s.chunk_kind = fourcc == 0 ? std::array<char, 2>{'d', 'b'} : std::array<char, 2>{'d', 'c'};
  s.rate = rate.rate;
  s.scale = rate.scale;
  s.width = width;
  s.height = height;
  s.format = BitmapInfoHeader(width, height, bit_count, fourcc, image_bytes);
  return s;
}

std::array<std::uint8_t, 32> DvInfoFromFrame(std::span<const std::uint8_t> frame) {
  const std::size_t sequences =
      std::min(SequencesPerFrame(DetectDvSystem(frame).value_or(DvSystem::k625_50)), frame.size() / kDifSequenceBytes);
  const std::size_t half = sequences / 2;
  const auto audio_half = [&](std::size_t first, std::size_t end) {
    return [=](auto&& visit) {
      for (std::size_t s = first; s < end; ++s)
        for (std::size_t a = 0; a < kAudioBlocksPerSequence; ++a)
          visit(DifBlockOffset(s, AudioBlockIndex(a)) + kPackOffsetInBlock);
    };
  };
  const auto vaux = [&](auto&& visit) {
    for (std::size_t s = 0; s < sequences; ++s)
      for (std::size_t b = 0; b < kVauxBlocks; ++b)
        for (std::size_t k = 0; k < kVauxPacksPerBlock; ++k)
          visit(DifBlockOffset(s, 3 + b) + kPackOffsetInBlock + k * kPackBytes);
  };
  const std::optional<std::uint32_t> values[6] = {
      FindPack(frame, 0x50, audio_half(0, half)),         FindPack(frame, 0x51, audio_half(0, half)),
      FindPack(frame, 0x50, audio_half(half, sequences)), FindPack(frame, 0x51, audio_half(half, sequences)),
      FindPack(frame, 0x60, vaux),                        FindPack(frame, 0x61, vaux),
  };
  std::array<std::uint8_t, 32> info{};
  info.fill(0xFF);
  for (std::size_t i = 0; i < 6; ++i)
    if (values[i]) StoreLE32(info.data() + 4 * i, *values[i]);
  if (!values[4]) {
    // A blank source word would read back as 50 Hz: say at least what the
    // header block says (PC3: reserved bits set, the 50/60 bit, SD type 0).
    const bool pal = DetectDvSystem(frame).value_or(DvSystem::k625_50) == DvSystem::k625_50;
    info[16 + 2] = pal ? 0xE0 : 0xC0;
  }
  StoreLE32(info.data() + 24, 0);  // reserved
  StoreLE32(info.data() + 28, 0);
  return info;
}

}  // namespace korvid::media
