#pragma once
// The "LIST hdrl" of an AVI file: main header, one stream list per stream
// (stream header, format, video properties, super index) and the OpenDML
// extended header. Its size depends only on the stream descriptions and
// the index capacity, so it can be written at creation and rewritten in
// place with the final counts.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/avi_index.h"
#include "media/avi_stream.h"

namespace korvid::media {

struct AviStreamTotals {
  std::uint64_t ticks = 0;            // frames, or sample frames for sound
  std::uint32_t largest_chunk = 0;
  std::vector<SuperIndexEntry> parts;  // one standard index per part
};

struct AviHeaderInput {
  std::span<const AviStream> streams;
  std::span<const AviStreamTotals> totals;  // one per stream
  std::optional<std::size_t> lead;          // the stream whose chunks count as frames
  std::uint64_t first_part_frames = 0;
  std::uint64_t total_frames = 0;
  std::size_t index_capacity = 0;
};

std::vector<std::uint8_t> BuildHeaderList(const AviHeaderInput& input);

}  // namespace korvid::media
