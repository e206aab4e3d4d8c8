#pragma once
// What an AVI file declares about each of its streams: the stream header
// values, the format block and the chunk naming. Ready-made descriptions
// cover DV (type 1 and type 2) and PCM sound; the general video one serves
// any other codec.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/dv_frame.h"

namespace korvid::media {

// Chunk names carry the stream's number in two digits ("00dc" ... "99wb").
inline constexpr std::size_t kMaxAviStreams = 99;

struct AviVideoFormat {
  DvSystem system = DvSystem::k625_50;
  bool wide = false;  // 16:9 picture
};

struct AviAudioFormat {
  std::uint32_t sample_rate = 48000;
  std::uint16_t channels = 2;
  std::uint16_t bits = 16;
};

struct AviStream {
  std::uint32_t type = 0;                    // fccType: vids, auds or iavs
  std::uint32_t handler = 0;                 // fccHandler
  std::array<char, 2> chunk_kind{'d', 'c'};  // "00dc", "01wb", "00__"
  std::uint32_t scale = 1;                   // ticks per second = rate / scale
  std::uint32_t rate = 25;
  std::uint32_t sample_size = 0;  // 0: one chunk is one tick; else bytes per tick
  std::uint16_t width = 0;        // picture frame, video only
  std::uint16_t height = 0;
  std::vector<std::uint8_t> format;      // strf body
  std::vector<std::uint8_t> properties;  // vprp body, none when empty
  // Set when every chunk is one whole DV frame of this system: the writer
  // then checks each frame and fills DVINFO from the first one.
  std::optional<DvSystem> dv_system;
  bool IsVideo() const;
};

struct FrameRate {
  std::uint32_t rate;
  std::uint32_t scale;
};
FrameRate DvFrameRate(DvSystem system);

// Type 1: one interleaved stream, sound inside the DV frames.
AviStream DvInterleavedStream(const AviVideoFormat& format);
// Type 2: the DV video stream; the sound goes in PcmAudioStream streams.
AviStream DvVideoStream(const AviVideoFormat& format);
// Throws std::invalid_argument for a format that PCM cannot carry.
AviStream PcmAudioStream(const AviAudioFormat& format);
// Any other video: `fourcc` 0 means uncompressed RGB ("db" chunks).
AviStream VideoStream(std::uint32_t fourcc, std::uint16_t width, std::uint16_t height,
                      std::uint16_t bit_count, FrameRate rate, std::uint32_t image_bytes);

// The DVINFO format block: the AAUX source and control packs of both audio
// halves and the VAUX source and control packs of the frame, each as its
// four data bytes; 0xFF bytes where the frame lacks a pack, except the
// 50/60 bit of the VAUX source word, which then follows the header block.
std::array<std::uint8_t, 32> DvInfoFromFrame(std::span<const std::uint8_t> frame);

}  // namespace korvid::media
