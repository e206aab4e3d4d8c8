#include "media/riff_walk.h"

#include "media/le_bytes.h"

namespace korvid::media {
namespace {

class Walker {
 public:
  Walker(const BinaryFile& file, RiffWalkListener& listener)
      : file_(file), listener_(listener), file_size_(file.Size()) {}

  RiffWalkOutcome Run() {
    std::uint64_t offset = 0;
    while (offset < file_size_) {
      const std::uint64_t used = WalkChunk(offset, 0);
      if (stopped() || used <= 8) break;
      offset += used;
    }
    return outcome_;
  }

 private:
  bool stopped() const { return outcome_.unexpected_end || outcome_.cancelled; }

  // Returns the bytes the chunk occupies, header included; 0 when the walk stopped.
  std::uint64_t WalkChunk(std::uint64_t offset, int depth) {
    if (!listener_.KeepGoing()) {
      outcome_.cancelled = true;
      return 0;
    }
    std::uint8_t raw[8];
    if (!file_.ReadExactAt(offset, raw)) {
      outcome_.unexpected_end = true;
      return 0;
    }
    RiffChunkVisit chunk;
    chunk.depth = depth;
    chunk.offset = offset;
    chunk.code = LoadLE32(raw);
    chunk.declared_size = LoadLE32(raw + 4);
    if (depth == 0 && chunk.code != FourCC("RIFF")) {
      listener_.OnGarbage(offset, file_size_ - offset);
      return 8;
    }
    chunk.bytes_left = file_size_ - offset - 8;
    // Widened first: 0xFFFFFFFF, left by interrupted captures, must not wrap to 0.
    chunk.size = std::uint64_t{chunk.declared_size} + (chunk.declared_size & 1u);
    if (chunk.size > chunk.bytes_left) {
      chunk.cut = true;
      chunk.size = chunk.bytes_left;
    }
    listener_.OnChunk(chunk);
    if (chunk.size == 0) return 8;
    const bool is_list = chunk.code == FourCC("RIFF") || chunk.code == FourCC("LIST");
    if (is_list && chunk.size >= 4) {
      if (!WalkList(chunk)) return 0;
    } else if (!listener_.OnLeaf(chunk, file_)) {
      outcome_.unexpected_end = true;
      return 0;
    }
    return chunk.size + 8;
  }

  // False when the walk stopped inside the list.
  bool WalkList(const RiffChunkVisit& chunk) {
    std::uint8_t raw[4];
    if (!file_.ReadExactAt(chunk.DataOffset(), raw)) {
      outcome_.unexpected_end = true;
      return false;
    }
    const std::uint32_t type = LoadLE32(raw);
    listener_.OnListType(chunk, type);
    if (type == FourCC("movi")) return true;
    if (chunk.depth + 1 >= kRiffWalkMaxDepth) {
      listener_.OnTooDeep(chunk);
      return true;
    }
    std::uint64_t remaining = chunk.size - 4;
    std::uint64_t child = chunk.DataOffset() + 4;
    while (remaining > 7) {
      const std::uint64_t used = WalkChunk(child, chunk.depth + 1);
      if (stopped()) return false;
      if (used > remaining) break;
      remaining -= used;
      child += used;
    }
    return true;
  }

  const BinaryFile& file_;
  RiffWalkListener& listener_;
  std::uint64_t file_size_;
  RiffWalkOutcome outcome_;
};

}  // namespace

RiffWalkOutcome WalkRiff(const BinaryFile& file, RiffWalkListener& listener) {
  return Walker(file, listener).Run();
}

}  // namespace korvid::media
