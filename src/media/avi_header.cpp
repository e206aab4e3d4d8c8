#include "media/avi_header.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "media/le_bytes.h"

namespace korvid::media {
namespace {

constexpr std::uint32_t kHasIndex = 0x10;
constexpr std::uint32_t kIsInterleaved = 0x100;
constexpr std::uint32_t kTrustChunkType = 0x800;
constexpr std::size_t kMainHeaderBytes = 56;
constexpr std::size_t kStreamHeaderBytes = 56;
constexpr std::size_t kExtendedHeaderBytes = 248;

std::uint32_t Clamp32(std::uint64_t v) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, std::numeric_limits<std::uint32_t>::max()));
}

void Append(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendChunk(std::vector<std::uint8_t>& out, std::uint32_t code, std::span<const std::uint8_t> body) {
  std::uint8_t header[8];
  StoreLE32(header, code);
  StoreLE32(header + 4, static_cast<std::uint32_t>(body.size()));
  Append(out, header);
  Append(out, body);
  if (body.size() % 2 != 0) out.push_back(0);
}

// Starts a LIST; returns where its size goes, for EndList.
std::size_t BeginList(std::vector<std::uint8_t>& out, std::uint32_t type) {
  const std::size_t at = out.size();
  out.resize(at + 12);
  StoreLE32(out.data() + at, FourCC("LIST"));
  StoreLE32(out.data() + at + 8, type);
  return at;
}

void EndList(std::vector<std::uint8_t>& out, std::size_t at) {
  StoreLE32(out.data() + at + 4, static_cast<std::uint32_t>(out.size() - at - 8));
}

// Bytes per second the stream needs, for the main header's estimate.
std::uint64_t BytesPerSecond(const AviStream& s, const AviStreamTotals& t) {
  const std::uint64_t per_tick = s.sample_size != 0 ? s.sample_size : t.largest_chunk;
  return per_tick * s.rate / std::max<std::uint32_t>(s.scale, 1);
}

std::vector<std::uint8_t> MainHeader(const AviHeaderInput& in) {
  std::vector<std::uint8_t> h(kMainHeaderBytes, 0);
  std::uint64_t bytes_per_second = 0;
  std::uint32_t largest = 0;
  for (std::size_t i = 0; i < in.streams.size(); ++i) {
    bytes_per_second += BytesPerSecond(in.streams[i], in.totals[i]);
    largest = std::max(largest, in.totals[i].largest_chunk);
  }
  std::uint32_t frame_micros = 0, width = 0, height = 0;
  if (in.lead) {
    const AviStream& lead = in.streams[*in.lead];
    frame_micros = static_cast<std::uint32_t>(std::llround(1e6 * lead.scale / std::max<std::uint32_t>(lead.rate, 1)));
    width = lead.width;
    height = lead.height;
  }
  StoreLE32(h.data(), frame_micros);
  StoreLE32(h.data() + 4, Clamp32(bytes_per_second));
  StoreLE32(h.data() + 12, kHasIndex | kIsInterleaved | kTrustChunkType);
  StoreLE32(h.data() + 16, Clamp32(in.first_part_frames));
  StoreLE32(h.data() + 24, static_cast<std::uint32_t>(in.streams.size()));
  StoreLE32(h.data() + 28, largest);
  StoreLE32(h.data() + 32, width);
  StoreLE32(h.data() + 36, height);
  return h;
}

std::vector<std::uint8_t> StreamHeader(const AviStream& s, const AviStreamTotals& t) {
  std::vector<std::uint8_t> h(kStreamHeaderBytes, 0);
  StoreLE32(h.data(), s.type);
  StoreLE32(h.data() + 4, s.handler);
  StoreLE32(h.data() + 20, s.scale);
  StoreLE32(h.data() + 24, s.rate);
  StoreLE32(h.data() + 32, Clamp32(t.ticks));
  StoreLE32(h.data() + 36, t.largest_chunk);
  StoreLE32(h.data() + 40, 0xFFFFFFFFu);  // quality: default
  StoreLE32(h.data() + 44, s.sample_size);
  StoreLE16(h.data() + 52, s.width);
  StoreLE16(h.data() + 54, s.height);
  return h;
}

}  // namespace

std::vector<std::uint8_t> BuildHeaderList(const AviHeaderInput& in) {
  if (in.streams.size() != in.totals.size()) throw std::invalid_argument("one total per stream is needed");
  std::vector<std::uint8_t> out;
  const std::size_t hdrl = BeginList(out, FourCC("hdrl"));
  AppendChunk(out, FourCC("avih"), MainHeader(in));
  for (std::size_t i = 0; i < in.streams.size(); ++i) {
    const AviStream& s = in.streams[i];
    const std::size_t strl = BeginList(out, FourCC("strl"));
    AppendChunk(out, FourCC("strh"), StreamHeader(s, in.totals[i]));
    AppendChunk(out, FourCC("strf"), s.format);
    if (!s.properties.empty()) AppendChunk(out, FourCC("vprp"), s.properties);
    Append(out, BuildSuperIndex(ChunkCode(i, s.chunk_kind), in.index_capacity, in.totals[i].parts));
    EndList(out, strl);
  }
  const std::size_t odml = BeginList(out, FourCC("odml"));
  std::vector<std::uint8_t> extended(kExtendedHeaderBytes, 0);
  StoreLE32(extended.data(), Clamp32(in.total_frames));
  AppendChunk(out, FourCC("dmlh"), extended);
  EndList(out, odml);
  EndList(out, hdrl);
  return out;
}

}  // namespace korvid::media
