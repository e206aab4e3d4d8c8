#pragma once
// The one recursive chunk walk of RIFF files, shared by the AVI structure
// reader, the stream-header locator and the structure report, and with it
// the one set of bounds: every chunk is announced to a listener with its
// depth, code, sizes (cut to the file) and offset; lists are descended to
// kRiffWalkMaxDepth except movi, whose media data is stepped over by offset.

#include <cstdint>

#include "media/binary_file.h"

namespace korvid::media {

struct RiffChunkVisit {
  int depth = 0;
  std::uint64_t offset = 0;         // of the chunk header
  std::uint32_t code = 0;
  std::uint32_t declared_size = 0;  // as the header states it
  std::uint64_t size = 0;           // rounded to even, cut to the file
  std::uint64_t bytes_left = 0;     // in the file after the header
  bool cut = false;                 // the declared size ran past the end of the file
  std::uint64_t DataOffset() const { return offset + 8; }
};

class RiffWalkListener {
 public:
  virtual ~RiffWalkListener() = default;
  // Asked before every chunk; false cancels the walk. The place to let a
  // user interface process its pending events.
  virtual bool KeepGoing() { return true; }
  // Every chunk, before its content.
  virtual void OnChunk(const RiffChunkVisit&) {}
  virtual void OnListType(const RiffChunkVisit&, std::uint32_t /*type*/) {}
  // A chunk that is not a list, with non-zero size. Return false when a
  // read of its data came up short: the walk then ends as unexpected.
  virtual bool OnLeaf(const RiffChunkVisit&, const BinaryFile&) { return true; }
  // Bytes at top level that do not start with "RIFF".
  virtual void OnGarbage(std::uint64_t /*offset*/, std::uint64_t /*bytes*/) {}
  // A list nested deeper than the walk descends: stepped over whole.
  virtual void OnTooDeep(const RiffChunkVisit&) {}
};

struct RiffWalkOutcome {
  bool unexpected_end = false;  // a read came up short
  bool cancelled = false;
};

inline constexpr int kRiffWalkMaxDepth = 32;

RiffWalkOutcome WalkRiff(const BinaryFile& file, RiffWalkListener& listener);

}  // namespace korvid::media
