#pragma once
// The index chunks of an OpenDML AVI file, built as bytes. Offsets are
// 64-bit throughout: a standard index stores 32-bit offsets relative to a
// 64-bit base, and a super index points at standard indexes with 64-bit
// file offsets, which is what lets a file grow past 4 GiB.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace korvid::media {

inline constexpr std::size_t kChunkHeaderBytes = 8;
inline constexpr std::size_t kIndexHeaderBytes = 24;  // after the chunk header
inline constexpr std::size_t kStandardIndexEntryBytes = 8;
inline constexpr std::size_t kSuperIndexEntryBytes = 16;
inline constexpr std::size_t kLegacyIndexEntryBytes = 16;

// One media chunk as the indexes see it.
struct IndexedChunk {
  std::uint64_t data_offset = 0;  // absolute file offset of the chunk's data (past its header)
  std::uint32_t size = 0;         // data bytes, without header or padding
  bool keyframe = true;
};

// One standard index chunk as the super index sees it.
struct SuperIndexEntry {
  std::uint64_t offset = 0;    // absolute file offset of the ix## chunk header
  std::uint32_t size = 0;      // whole chunk, header included
  std::uint32_t duration = 0;  // stream ticks covered
};

// "ix00" for stream 0 and so on; `stream` must be below 100.
std::uint32_t StandardIndexCode(std::size_t stream);
// "00dc", "01wb": two digits then the two-character kind.
std::uint32_t ChunkCode(std::size_t stream, std::array<char, 2> kind);

// Bytes of a standard index chunk with `entries` entries, header included.
std::uint64_t StandardIndexBytes(std::size_t entries);

// A whole ix## chunk. Every chunk must lie after `base` and within 4 GiB of
// it; throws std::invalid_argument otherwise.
std::vector<std::uint8_t> BuildStandardIndex(std::size_t stream, std::uint32_t chunk_code,
                                             std::uint64_t base, std::span<const IndexedChunk> chunks);

// A whole indx chunk with room for `capacity` entries, the unused ones zero,
// so that the chunk keeps its size as entries are added.
std::vector<std::uint8_t> BuildSuperIndex(std::uint32_t chunk_code, std::size_t capacity,
                                          std::span<const SuperIndexEntry> entries);
std::uint64_t SuperIndexBytes(std::size_t capacity);

// One idx1 entry: offsets count from the "movi" list type code.
struct LegacyIndexEntry {
  std::uint32_t chunk_code = 0;
  std::uint32_t movi_offset = 0;  // of the chunk header
  std::uint32_t size = 0;
  bool keyframe = true;
};
std::vector<std::uint8_t> BuildLegacyIndex(std::span<const LegacyIndexEntry> entries);

}  // namespace korvid::media
