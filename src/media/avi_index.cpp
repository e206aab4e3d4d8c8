#include "media/avi_index.h"

#include <limits>
#include <stdexcept>
#include <string>

#include "media/le_bytes.h"

namespace korvid::media {
namespace {

constexpr std::uint8_t kIndexOfIndexes = 0x00;
constexpr std::uint8_t kIndexOfChunks = 0x01;
constexpr std::uint32_t kDeltaFrameBit = 0x80000000u;
constexpr std::uint32_t kLegacyKeyframeFlag = 0x10;

std::uint32_t CheckedChunkSize(std::uint64_t bytes) {
  if (bytes > std::numeric_limits<std::uint32_t>::max())
    throw std::invalid_argument("an AVI chunk cannot hold " + std::to_string(bytes) + " bytes");
  return static_cast<std::uint32_t>(bytes);
}

void StoreIndexHeader(std::uint8_t* p, std::uint32_t index_code, std::uint32_t body_bytes,
                      std::uint16_t longs_per_entry, std::uint8_t index_type, std::uint32_t entries,
                      std::uint32_t chunk_code) {
  StoreLE32(p, index_code);
  StoreLE32(p + 4, body_bytes);
  StoreLE16(p + 8, longs_per_entry);
  p[10] = 0;  // sub-type
  p[11] = index_type;
  StoreLE32(p + 12, entries);
  StoreLE32(p + 16, chunk_code);
}

char Digit(std::size_t value) { return static_cast<char>('0' + value % 10); }

}  // namespace

std::uint32_t StandardIndexCode(std::size_t stream) {
  if (stream >= 100) throw std::invalid_argument("an AVI file holds at most 100 streams");
  const char code[5] = {'i', 'x', Digit(stream / 10), Digit(stream), '\0'};
  return FourCC(code);
}

std::uint32_t ChunkCode(std::size_t stream, std::array<char, 2> kind) {
  if (stream >= 100) throw std::invalid_argument("an AVI file holds at most 100 streams");
  const char code[5] = {Digit(stream / 10), Digit(stream), kind[0], kind[1], '\0'};
  return FourCC(code);
}

std::uint64_t StandardIndexBytes(std::size_t entries) {
  return kChunkHeaderBytes + kIndexHeaderBytes + std::uint64_t{entries} * kStandardIndexEntryBytes;
}

std::vector<std::uint8_t> BuildStandardIndex(std::size_t stream, std::uint32_t chunk_code,
                                             std::uint64_t base, std::span<const IndexedChunk> chunks) {
  const std::uint64_t total = StandardIndexBytes(chunks.size());
  std::vector<std::uint8_t> out(static_cast<std::size_t>(total), 0);
  StoreIndexHeader(out.data(), StandardIndexCode(stream), CheckedChunkSize(total - kChunkHeaderBytes), 2,
                   kIndexOfChunks, static_cast<std::uint32_t>(chunks.size()), chunk_code);
  StoreLE64(out.data() + 20, base);
  std::uint8_t* entry = out.data() + kChunkHeaderBytes + kIndexHeaderBytes;
  for (const IndexedChunk& chunk : chunks) {
    if (chunk.data_offset <= base || chunk.data_offset - base > std::numeric_limits<std::uint32_t>::max())
      throw std::invalid_argument("chunk at " + std::to_string(chunk.data_offset) +
                                  " is out of reach of index base " + std::to_string(base));
    if ((chunk.size & kDeltaFrameBit) != 0)
      throw std::invalid_argument("an indexed chunk must be smaller than 2 GiB");
    StoreLE32(entry, static_cast<std::uint32_t>(chunk.data_offset - base));
    StoreLE32(entry + 4, chunk.size | (chunk.keyframe ? 0 : kDeltaFrameBit));
    entry += kStandardIndexEntryBytes;
  }
  return out;
}

std::uint64_t SuperIndexBytes(std::size_t capacity) {
  return kChunkHeaderBytes + kIndexHeaderBytes + std::uint64_t{capacity} * kSuperIndexEntryBytes;
}

std::vector<std::uint8_t> BuildSuperIndex(std::uint32_t chunk_code, std::size_t capacity,
                                          std::span<const SuperIndexEntry> entries) {
  if (entries.size() > capacity)
    throw std::invalid_argument("super index holds " + std::to_string(capacity) + " entries, not " +
                                std::to_string(entries.size()));
  const std::uint64_t total = SuperIndexBytes(capacity);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(total), 0);
  StoreIndexHeader(out.data(), FourCC("indx"), CheckedChunkSize(total - kChunkHeaderBytes), 4,
                   kIndexOfIndexes, static_cast<std::uint32_t>(entries.size()), chunk_code);
  std::uint8_t* entry = out.data() + kChunkHeaderBytes + kIndexHeaderBytes;
  for (const SuperIndexEntry& e : entries) {
    StoreLE64(entry, e.offset);
    StoreLE32(entry + 8, e.size);
    StoreLE32(entry + 12, e.duration);
    entry += kSuperIndexEntryBytes;
  }
  return out;
}

std::vector<std::uint8_t> BuildLegacyIndex(std::span<const LegacyIndexEntry> entries) {
  const std::uint64_t body = std::uint64_t{entries.size()} * kLegacyIndexEntryBytes;
  std::vector<std::uint8_t> out(static_cast<std::size_t>(kChunkHeaderBytes + body), 0);
  StoreLE32(out.data(), FourCC("idx1"));
  StoreLE32(out.data() + 4, CheckedChunkSize(body));
  std::uint8_t* p = out.data() + kChunkHeaderBytes;
  for (const LegacyIndexEntry& e : entries) {
    StoreLE32(p, e.chunk_code);
    StoreLE32(p + 4, e.keyframe ? kLegacyKeyframeFlag : 0);
    StoreLE32(p + 8, e.movi_offset);
    StoreLE32(p + 12, e.size);
    p += kLegacyIndexEntryBytes;
  }
  return out;
}

}  // namespace korvid::media
