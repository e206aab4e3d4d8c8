#pragma once
// What analysing a file's streams yields: the formats of its first video,
// first audio and first interleaved DV stream, the durations, the stream
// count and the packs of its first frame. The record's fields are built
// from these alone, so the rules can be tested without media files.

#include <cstdint>
#include <optional>
#include <string>

#include "media/dv_packs.h"
#include "media/video_record.h"

namespace korvid::media {

// From the stream's bitmap header, and the frame period its stream header
// (or, for DV, the frame itself) gives.
struct VideoFormatResult {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int64_t frame_period = 0;  // 100-ns units; 0 when unknown
  std::uint32_t bit_rate = 0;     // bits per second; 0 when unknown
  // The exact period, frame_scale / frame_rate seconds (the rounded
  // frame_period drifts over an NTSC file); rate 0 when unknown.
  std::uint32_t frame_scale = 0;
  std::uint32_t frame_rate = 0;
};

// The fields of a WAVEFORMATEX.
struct AudioFormatResult {
  std::uint16_t format_tag = 0;
  std::uint16_t channels = 0;
  std::uint32_t sample_rate = 0;
  std::uint32_t average_bytes_per_second = 0;
  std::uint16_t block_align = 0;
  std::uint16_t bits_per_sample = 0;
};

// From the DVINFO block of an interleaved DV stream.
struct DvFormatResult {
  std::uint32_t video_source = 0;  // VAUX source pack, PC1 in the low byte
};

// The 50/60 flag of the VAUX source pack: set for 625/50.
inline constexpr std::uint32_t kVideoSource50HzBit = 0x200000;

struct StreamAnalysis {
  bool succeeded = false;
  std::optional<VideoFormatResult> video;
  std::optional<AudioFormatResult> audio;
  std::optional<DvFormatResult> dv;
  std::int64_t video_duration = 0;  // 100-ns units
  std::uint64_t video_frames = 0;   // chunks of the index, else the header's length
  std::int64_t audio_duration = 0;
  std::int32_t stream_count = 0;
  TTimecode first_timecode;  // hours 255: none
  TDatecode first_datecode;  // year below 1: none
  bool first_wide = false;
  // Bits per sample the first frame's AAUX source pack gives (12 or 16);
  // nothing without one.
  std::optional<int> first_sound_bits;
};

// What the AVI reader said about the file.
enum class AviVerdict {
  kValid,      // an AVI file; the codec is its video handler code
  kNotAvi,     // readable, but not AVI
  kReadError,  // reading it failed
};

// Fills every analysis field of `record` (name fields must be set, as the
// name key is part of the datecode key). `hasSceneFile` is left alone: it
// is a fact of the folder, not of the analysis.
void FillAnalysisFields(AviVerdict verdict, const std::string& codec,
                        const StreamAnalysis& analysis, const DatecodeFormat& format,
                        TaviFichier& record);

// A datecode as the list shows it.
std::string DatecodeText(const settings::DateTimeValue& datecode, const DatecodeFormat& format);

// Frames per second with two decimals; 0 for a period of 0 or less.
double FramesPerSecond(std::int64_t frame_period);

}  // namespace korvid::media
