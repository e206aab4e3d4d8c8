#include "support/riff_builder.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace korvid::test {

void PutLE16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutLE32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutLE64(Bytes& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutFourCC(Bytes& out, std::string_view code) {
  if (code.size() != 4) throw std::invalid_argument("a FourCC has four characters");
  for (char c : code) out.push_back(static_cast<std::uint8_t>(c));
}

void PatchLE32(Bytes& out, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) out.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

void PatchLE64(Bytes& out, std::size_t at, std::uint64_t v) {
  for (std::size_t i = 0; i < 8; ++i) out.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Chunk(std::string_view code, const Bytes& data) {
  Bytes out = ChunkDeclaring(code, static_cast<std::uint32_t>(data.size()), data);
  if (data.size() % 2 != 0) out.push_back(0);
  return out;
}

Bytes ChunkDeclaring(std::string_view code, std::uint32_t declared_size, const Bytes& data) {
  Bytes out;
  PutFourCC(out, code);
  PutLE32(out, declared_size);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes List(std::string_view code, std::string_view type, const std::vector<Bytes>& children) {
  Bytes body;
  PutFourCC(body, type);
  for (const Bytes& c : children) body.insert(body.end(), c.begin(), c.end());
  return Chunk(code, body);
}

Bytes List(std::string_view code, std::string_view type, std::initializer_list<Bytes> children) {
  return List(code, type, std::vector<Bytes>(children));
}

Bytes AvihData(std::uint32_t usec_per_frame, std::uint32_t total_frames, std::uint32_t streams,
               std::uint32_t width, std::uint32_t height) {
  Bytes d;
  PutLE32(d, usec_per_frame);
  PutLE32(d, 3'600'000);  // max bytes per second
  PutLE32(d, 0);          // padding granularity
  PutLE32(d, 0x10);       // AVIF_HASINDEX
  PutLE32(d, total_frames);
  PutLE32(d, 0);  // initial frames
  PutLE32(d, streams);
  PutLE32(d, 150'000);  // suggested buffer
  PutLE32(d, width);
  PutLE32(d, height);
  for (int i = 0; i < 4; ++i) PutLE32(d, 0);
  return d;
}

Bytes StrhData(std::string_view type, std::string_view handler, std::uint32_t scale,
               std::uint32_t rate, std::uint32_t length) {
  Bytes d;
  PutFourCC(d, type);
  PutFourCC(d, handler);
  PutLE32(d, 0);  // flags
  PutLE16(d, 0);  // priority
  PutLE16(d, 0);  // language
  PutLE32(d, 0);  // initial frames
  PutLE32(d, scale);
  PutLE32(d, rate);
  PutLE32(d, 0);  // start
  PutLE32(d, length);
  PutLE32(d, 150'000);
  PutLE32(d, 0xFFFFFFFF);  // quality
  PutLE32(d, 0);           // sample size
  for (int i = 0; i < 4; ++i) PutLE16(d, 0);
  return d;
}

Bytes BitmapInfoData(std::string_view compression, std::int32_t width, std::int32_t height) {
  Bytes d;
  PutLE32(d, 40);
  PutLE32(d, static_cast<std::uint32_t>(width));
  PutLE32(d, static_cast<std::uint32_t>(height));
  PutLE16(d, 1);
  PutLE16(d, 24);
  PutFourCC(d, compression);
  PutLE32(d, 144'000);
  for (int i = 0; i < 4; ++i) PutLE32(d, 0);
  return d;
}

Bytes WaveFormatData(std::uint16_t channels, std::uint32_t rate) {
  Bytes d;
  PutLE16(d, 1);  // PCM
  PutLE16(d, channels);
  PutLE32(d, rate);
  PutLE32(d, rate * channels * 2u);
  PutLE16(d, static_cast<std::uint16_t>(channels * 2));
  PutLE16(d, 16);
  PutLE16(d, 0);
  return d;
}

Bytes DvInfoData() {
  Bytes d;
  for (std::uint32_t i = 0; i < 8; ++i) PutLE32(d, 0x11111111u * i);
  return d;
}

std::size_t RiffWriter::BeginList(std::string_view code, std::string_view type) {
  const std::size_t at = bytes_.size();
  PutFourCC(bytes_, code);
  PutLE32(bytes_, 0);
  PutFourCC(bytes_, type);
  return at;
}

void RiffWriter::EndList(std::size_t header_offset) {
  if (bytes_.size() % 2 != 0) bytes_.push_back(0);
  PatchLE32(bytes_, header_offset + 4, static_cast<std::uint32_t>(bytes_.size() - header_offset - 8));
}

std::size_t RiffWriter::AddChunk(std::string_view code, const Bytes& data) {
  const std::size_t at = bytes_.size();
  Append(Chunk(code, data));
  return at;
}

void RiffWriter::Append(const Bytes& raw) { bytes_.insert(bytes_.end(), raw.begin(), raw.end()); }

std::size_t AviBuilder::AddStream(StreamSpec spec) {
  streams_.push_back(std::move(spec));
  return streams_.size() - 1;
}

void AviBuilder::AddFrame(std::size_t stream, Bytes data) {
  frames_.push_back({stream, std::move(data)});
}

std::string AviBuilder::ChunkId(std::size_t stream) const {
  std::string id;
  id += static_cast<char>('0' + stream / 10);
  id += static_cast<char>('0' + stream % 10);
  return id + streams_.at(stream).chunk_suffix;
}

namespace {

constexpr std::size_t kSuperIndexHeader = 24;
constexpr std::size_t kSuperIndexEntry = 16;

Bytes StandardIndex(const std::string& chunk_id, std::uint64_t base,
                    const std::vector<BuiltFrame>& frames) {
  Bytes d;
  PutLE16(d, 2);
  d.push_back(0);  // sub type
  d.push_back(1);  // AVI_INDEX_OF_CHUNKS
  PutLE32(d, static_cast<std::uint32_t>(frames.size()));
  PutFourCC(d, chunk_id);
  PutLE64(d, base);
  PutLE32(d, 0);
  for (const BuiltFrame& f : frames) {
    PutLE32(d, static_cast<std::uint32_t>(f.data_offset - base));
    PutLE32(d, f.size);
  }
  return d;
}

}  // namespace

Bytes AviBuilder::Build(AviIndexKind kind, std::size_t frames_per_part) {
  const bool odml = kind == AviIndexKind::kOpenDml;
  if (!odml || frames_per_part == 0) frames_per_part = frames_.size() + 1;
  const std::size_t parts = odml ? (frames_.size() + frames_per_part - 1) / frames_per_part : 1;
  built_.assign(streams_.size(), {});

  RiffWriter w;
  const std::size_t riff = w.BeginList("RIFF", "AVI ");
  const std::size_t hdrl = w.BeginList("LIST", "hdrl");
  w.AddChunk("avih", AvihData(40'000, static_cast<std::uint32_t>(frames_.size()),
                              static_cast<std::uint32_t>(streams_.size())));
  std::vector<std::size_t> super_index_at(streams_.size());
  for (std::size_t s = 0; s < streams_.size(); ++s) {
    const StreamSpec& spec = streams_[s];
    const std::size_t strl = w.BeginList("LIST", "strl");
    w.AddChunk("strh", StrhData(spec.type, spec.handler, spec.scale, spec.rate));
    if (!spec.format.empty()) w.AddChunk("strf", spec.format);
    if (odml) {
      Bytes d;
      PutLE16(d, 4);
      d.push_back(0);
      d.push_back(0);  // AVI_INDEX_OF_INDEXES
      PutLE32(d, 0);   // entries in use, patched below
      PutFourCC(d, ChunkId(s));
      for (int i = 0; i < 3; ++i) PutLE32(d, 0);
      d.resize(kSuperIndexHeader + kSuperIndexEntry * parts * superIndexRepeats, 0);
      super_index_at[s] = w.AddChunk("indx", d) + 8;
    }
    w.EndList(strl);
  }
  if (odml) {
    const std::size_t odml_list = w.BeginList("LIST", "odml");
    Bytes dmlh;
    PutLE32(dmlh, static_cast<std::uint32_t>(frames_.size()));
    w.AddChunk("dmlh", dmlh);
    w.EndList(odml_list);
  }
  w.EndList(hdrl);

  std::vector<std::uint32_t> super_entries(streams_.size(), 0);
  std::size_t movi_fourcc = 0;
  std::size_t next = 0;
  for (std::size_t part = 0; part < parts; ++part) {
    const std::size_t part_riff = part == 0 ? riff : w.BeginList("RIFF", "AVIX");
    const std::size_t movi = w.BeginList("LIST", "movi");
    if (part == 0) movi_fourcc = movi + 8;
    std::vector<std::vector<BuiltFrame>> in_part(streams_.size());
    for (std::size_t n = 0; n < frames_per_part && next < frames_.size(); ++n, ++next) {
      const PendingFrame& f = frames_[next];
      const std::size_t at = w.AddChunk(ChunkId(f.stream), f.data);
      const BuiltFrame built{at + 8, static_cast<std::uint32_t>(f.data.size())};
      built_[f.stream].push_back(built);
      in_part[f.stream].push_back(built);
    }
    if (odml) {
      for (std::size_t s = 0; s < streams_.size(); ++s) {
        const std::string ix = "ix" + ChunkId(s).substr(0, 2);
        const Bytes data = StandardIndex(ChunkId(s), movi, in_part[s]);
        const std::size_t at = w.AddChunk(ix, data);
        for (std::size_t r = 0; r < superIndexRepeats; ++r) {
          const std::size_t entry = super_index_at[s] + kSuperIndexHeader + kSuperIndexEntry * super_entries[s];
          PatchLE64(w.bytes(), entry, at);
          PatchLE32(w.bytes(), entry + 8, static_cast<std::uint32_t>(data.size() + 8));
          PatchLE32(w.bytes(), entry + 12, static_cast<std::uint32_t>(in_part[s].size()));
          PatchLE32(w.bytes(), super_index_at[s] + 4, ++super_entries[s]);
        }
      }
    }
    w.EndList(movi);
    const bool legacy = kind == AviIndexKind::kIdx1Relative || kind == AviIndexKind::kIdx1Absolute;
    if ((legacy || odml) && part == 0) {
      // The legacy index covers the first part only, as real writers do.
      Bytes idx;
      std::vector<std::pair<std::uint64_t, std::size_t>> order;  // data offset, stream
      for (std::size_t s = 0; s < streams_.size(); ++s)
        for (const BuiltFrame& f : built_[s]) order.emplace_back(f.data_offset, s);
      std::sort(order.begin(), order.end());
      for (const auto& [offset, s] : order) {
        PutFourCC(idx, ChunkId(s));
        PutLE32(idx, 0x10);  // key frame
        const std::uint64_t header = offset - 8;
        PutLE32(idx, static_cast<std::uint32_t>(kind == AviIndexKind::kIdx1Absolute ? header
                                                                                    : header - movi_fourcc));
        std::uint32_t size = 0;
        for (const BuiltFrame& f : built_[s])
          if (f.data_offset == offset) size = f.size;
        PutLE32(idx, size);
      }
      w.AddChunk("idx1", idx);
    }
    w.EndList(part_riff);
  }
  return w.bytes();
}

Bytes PatternFrame(std::size_t size, std::uint32_t seed) {
  Bytes d(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& b : d) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(x >> 24);
  }
  return d;
}

}  // namespace korvid::test
