#include "media/avi_frame_index.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <string>

#include "media/le_bytes.h"

namespace korvid::media {
namespace {

// One index chunk is read in one go; a size from the file must not make
// us allocate without limit.
constexpr std::uint64_t kMaxIndexRead = 256ull << 20;
constexpr std::size_t kIndexHeader = 24;
constexpr std::uint8_t kIndexOfIndexes = 0;
constexpr std::uint8_t kIndexOfChunks = 1;
constexpr std::uint32_t kSizeMask = 0x7FFFFFFFu;  // the top bit marks a non-key frame
constexpr std::uint32_t kLegacyListFlag = 0x1u;
constexpr std::size_t kLegacyEntry = 16;

using PerStream = std::vector<std::vector<FrameLocation>>;

// The bytes a listed chunk takes; an empty chunk still takes its place.
std::uint64_t EndOf(const FrameLocation& chunk) { return chunk.offset + std::max<std::uint32_t>(chunk.size, 1); }

// Entry positions of `chunks` by offset, equal offsets in list order.
std::vector<std::size_t> OffsetOrder(const std::vector<FrameLocation>& chunks) {
  std::vector<std::size_t> order(chunks.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const auto by_offset = [&chunks](std::size_t a, std::size_t b) { return chunks[a].offset < chunks[b].offset; };
  if (!std::is_sorted(order.begin(), order.end(), by_offset)) std::stable_sort(order.begin(), order.end(), by_offset);
  return order;
}

// Every chunk of a file is a distinct piece of it. An index that lists one
// chunk twice, or chunks that overlap, would make a small file seem to hold
// hours of video: of the entries that share bytes, the first in file order
// (then in list order, then in stream order) stays and the others go.
void DropSharedChunks(const std::vector<std::vector<FrameLocation>*>& lists) {
  std::vector<std::vector<std::size_t>> orders;
  std::vector<std::vector<bool>> keep;
  for (const auto* list : lists) {
    orders.push_back(OffsetOrder(*list));
    keep.emplace_back(list->size(), false);
  }
  // The lists merged in offset order, a cursor per list.
  std::vector<std::size_t> next(lists.size(), 0);
  const auto head = [&](std::size_t l) -> const FrameLocation& { return (*lists[l])[orders[l][next[l]]]; };
  std::uint64_t claimed_end = 0;
  for (;;) {
    std::size_t pick = lists.size();
    for (std::size_t l = 0; l < lists.size(); ++l) {
      if (next[l] == orders[l].size()) continue;
      if (pick == lists.size() || head(l).offset < head(pick).offset) pick = l;
    }
    if (pick == lists.size()) break;
    const std::size_t at = orders[pick][next[pick]++];
    const FrameLocation& chunk = (*lists[pick])[at];
    if (chunk.offset < claimed_end) continue;
    keep[pick][at] = true;
    claimed_end = EndOf(chunk);
  }
  for (std::size_t l = 0; l < lists.size(); ++l) {
    std::vector<FrameLocation>& list = *lists[l];
    std::size_t kept = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
      if (keep[l][i]) list[kept++] = list[i];
    list.resize(kept);
  }
}

class Loader {
 public:
  Loader(const BinaryFile& file, const TAviParam& param)
      : file_(file), param_(param), file_size_(file.Size()) {}

  std::vector<FrameLocation> FromOpenDml(const TAvistream& stream) const {
    std::vector<FrameLocation> frames;
    if (!stream.index) return frames;
    const auto data = ReadBlock(stream.index->data_position, stream.index->data_size);
    if (data.size() < kIndexHeader) return frames;
    if (data[3] == kIndexOfChunks) {
      AddStandardEntries(data, frames);
    } else if (data[3] == kIndexOfIndexes) {
      std::vector<FrameLocation> chunks;
      ForEachEntry(data, 16, [&](std::span<const std::uint8_t> entry) {
        AddIndexChunk(LoadLE64(entry.data()), chunks);
      });
      // A standard index listed again, or one inside another, is read once.
      DropSharedChunks({&chunks});
      for (const FrameLocation& chunk : chunks) AddStandardEntries(ReadBlock(chunk.offset + 8, chunk.size - 8), frames);
    }
    return frames;
  }

  std::optional<PerStream> FromLegacy() const {
    // idx1 covers the first RIFF part only; with more parts it is incomplete.
    if (!param_.legacy_index || param_.movi_lists.size() != 1) return std::nullopt;
    const auto data = ReadBlock(param_.legacy_index->data_position, param_.legacy_index->data_size);
    const std::size_t count = data.size() / kLegacyEntry;
    std::optional<std::uint64_t> base;
    PerStream result(param_.streams.size());
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* entry = data.data() + i * kLegacyEntry;
      const auto stream = StreamOfChunkId(LoadLE32(entry));
      if (!stream || (LoadLE32(entry + 4) & kLegacyListFlag) != 0) continue;
      const std::uint64_t offset = LoadLE32(entry + 8);
      if (!base) base = LegacyBase(LoadLE32(entry), offset);
      if (*stream < result.size()) Add(result[*stream], *base + offset + 8, LoadLE32(entry + 12));
    }
    if (!base) return std::nullopt;
    return result;
  }

  PerStream FromChunkScan() const {
    PerStream result(param_.streams.size());
    for (const AviMoviList& movi : param_.movi_lists) {
      std::uint64_t pos = movi.fourcc_position + 4;
      const std::uint64_t end = std::min(movi.end, file_size_);
      std::uint8_t raw[8];
      while (pos + 8 <= end && file_.ReadExactAt(pos, raw)) {
        const std::uint32_t code = LoadLE32(raw);
        const std::uint32_t size = LoadLE32(raw + 4);
        if (code == FourCC("LIST") && size >= 4) {
          pos += 12;  // step into "rec " groups
          continue;
        }
        const auto stream = StreamOfChunkId(code);
        if (stream && *stream < result.size()) Add(result[*stream], pos + 8, size);
        pos += 8 + static_cast<std::uint64_t>(size) + (size & 1u);
      }
    }
    return result;
  }

 private:
  std::vector<std::uint8_t> ReadBlock(std::uint64_t pos, std::uint64_t size) const {
    if (pos >= file_size_) return {};
    size = std::min({size, file_size_ - pos, kMaxIndexRead});
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    data.resize(file_.ReadAt(pos, data));
    return data;
  }

  // Drops entries that start outside the file and cuts those that run past its end.
  void Add(std::vector<FrameLocation>& frames, std::uint64_t offset, std::uint32_t size) const {
    if (offset >= file_size_) return;
    const std::uint64_t room = file_size_ - offset;
    frames.push_back({offset, static_cast<std::uint32_t>(std::min<std::uint64_t>(size, room))});
  }

  template <typename Fn>
  static void ForEachEntry(std::span<const std::uint8_t> data, std::size_t min_stride, Fn fn) {
    const std::size_t stride = static_cast<std::size_t>(LoadLE16(data.data())) * 4;
    if (stride < min_stride) return;
    const std::size_t room = (data.size() - kIndexHeader) / stride;
    const std::size_t count = std::min<std::size_t>(LoadLE32(data.data() + 4), room);
    for (std::size_t i = 0; i < count; ++i) fn(data.subspan(kIndexHeader + i * stride, stride));
  }

  void AddStandardEntries(std::span<const std::uint8_t> data, std::vector<FrameLocation>& frames) const {
    if (data.size() < kIndexHeader || data[3] != kIndexOfChunks) return;
    const std::uint64_t base = LoadLE64(data.data() + 12);
    ForEachEntry(data, 8, [&](std::span<const std::uint8_t> entry) {
      const std::uint32_t offset = LoadLE32(entry.data());
      if (base > std::numeric_limits<std::uint64_t>::max() - offset) return;
      Add(frames, base + offset, LoadLE32(entry.data() + 4) & kSizeMask);
    });
  }

  // A standard index chunk as the place it takes: header and data, cut to the file.
  void AddIndexChunk(std::uint64_t chunk_offset, std::vector<FrameLocation>& chunks) const {
    std::uint8_t raw[8];
    if (chunk_offset >= file_size_ || !file_.ReadExactAt(chunk_offset, raw)) return;
    const std::uint64_t data =
        std::min<std::uint64_t>({LoadLE32(raw + 4), file_size_ - chunk_offset - 8, kMaxIndexRead});
    chunks.push_back({chunk_offset, static_cast<std::uint32_t>(8 + data)});
  }

  // idx1 offsets count from the movi fourcc in most files and from the
  // start of the file in some; the first entry's chunk header tells which.
  std::uint64_t LegacyBase(std::uint32_t code, std::uint64_t offset) const {
    const std::uint64_t relative = param_.movi_lists.front().fourcc_position;
    if (HeaderCodeAt(relative + offset) == code) return relative;
    if (HeaderCodeAt(offset) == code) return 0;
    return relative;
  }

  std::optional<std::uint32_t> HeaderCodeAt(std::uint64_t pos) const {
    std::uint8_t raw[4];
    if (!file_.ReadExactAt(pos, raw)) return std::nullopt;
    return LoadLE32(raw);
  }

  const BinaryFile& file_;
  const TAviParam& param_;
  std::uint64_t file_size_;
};

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::size_t> StreamOfChunkId(std::uint32_t code) {
  const auto c0 = static_cast<std::uint8_t>(code);
  const auto c1 = static_cast<std::uint8_t>(code >> 8);
  if (!IsDigit(c0) || !IsDigit(c1)) return std::nullopt;
  const std::uint32_t kind = code >> 16;
  const bool media = kind == (FourCC("00dc") >> 16) || kind == (FourCC("00db") >> 16) ||
                     kind == (FourCC("00wb") >> 16) || kind == (FourCC("00__") >> 16);
  if (!media) return std::nullopt;
  return static_cast<std::size_t>((c0 - '0') * 10 + (c1 - '0'));
}

AviFrameIndex AviFrameIndex::Load(const BinaryFile& file) { return Load(file, TAviParam(file)); }

AviFrameIndex AviFrameIndex::Load(const BinaryFile& file, const TAviParam& param) {
  const Loader loader(file, param);
  AviFrameIndex index;
  index.streams_.resize(param.streams.size());
  std::optional<PerStream> fallback;
  FrameIndexSource fallback_source = FrameIndexSource::kLegacy;
  for (std::size_t s = 0; s < param.streams.size(); ++s) {
    Stream& stream = index.streams_[s];
    stream.frames = loader.FromOpenDml(param.streams[s]);
    if (!stream.frames.empty()) {
      stream.source = FrameIndexSource::kOpenDml;
      continue;
    }
    if (!fallback) {
      fallback = loader.FromLegacy();
      if (!fallback) {
        fallback = loader.FromChunkScan();
        fallback_source = FrameIndexSource::kChunkScan;
      }
    }
    stream.frames = std::move((*fallback)[s]);
    stream.source = fallback_source;
  }
  std::vector<std::vector<FrameLocation>*> lists;
  for (Stream& stream : index.streams_) lists.push_back(&stream.frames);
  DropSharedChunks(lists);
  return index;
}

std::span<const FrameLocation> AviFrameIndex::FramesOf(std::size_t stream) const {
  if (stream >= streams_.size()) return {};
  return streams_[stream].frames;
}

std::optional<FrameIndexSource> AviFrameIndex::SourceOf(std::size_t stream) const {
  if (stream >= streams_.size()) return std::nullopt;
  return streams_[stream].source;
}

std::size_t AviFrameIndex::ReadFrameStart(const BinaryFile& file, std::size_t stream, std::size_t k,
                                          std::span<std::uint8_t> out) const {
  const auto frames = FramesOf(stream);
  if (k >= frames.size()) {
    throw std::out_of_range("stream " + std::to_string(stream) + " has no frame " + std::to_string(k));
  }
  const FrameLocation& frame = frames[k];
  return file.ReadAt(frame.offset, out.first(std::min<std::size_t>(out.size(), frame.size)));
}

std::optional<std::size_t> FindDvVideoStream(const TAviParam& param) {
  for (const std::uint32_t type : {FourCC("iavs"), FourCC("vids")}) {
    for (std::size_t s = 0; s < param.streams.size(); ++s) {
      if (param.streams[s].FccType() == type) return s;
    }
  }
  return std::nullopt;
}

}  // namespace korvid::media
