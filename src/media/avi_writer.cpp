#include "media/avi_writer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "media/avi_header.h"
#include "media/avi_index.h"
#include "media/binary_file.h"
#include "media/le_bytes.h"
#include "media/write_behind.h"

namespace korvid::media {
namespace {

constexpr std::uint64_t kMaxPartLimit = std::uint64_t{3} << 30;
constexpr std::uint64_t kMaxPartBytes = std::uint64_t{std::numeric_limits<std::uint32_t>::max()};  // RIFF size field
constexpr std::size_t kMaxChunkBytes = 0x7FFFFFFF;  // a standard index keeps the top bit for delta frames
constexpr std::uint64_t kRiffHeaderBytes = 12;      // "RIFF", size, form type
constexpr std::uint64_t kListHeaderBytes = 12;      // "LIST", size, list type

struct StreamState {
  AviStream desc;
  std::uint32_t chunk_code = 0;
  std::vector<IndexedChunk> part_chunks;  // of the current RIFF part
  std::uint64_t part_ticks = 0;
  std::uint64_t chunks = 0;
  AviStreamTotals totals;
};

// What ending the current part writes, planned before anything is written.
struct PartEnd {
  std::vector<std::uint8_t> tail;  // standard indexes, then idx1 in the first part
  std::vector<std::pair<std::size_t, SuperIndexEntry>> entries;
  std::uint64_t end = 0;  // file offset just past the part
  std::uint32_t movi_size = 0;
  std::uint32_t riff_size = 0;
};

void StoreHeader(std::uint8_t* p, std::uint32_t code, std::uint32_t size) {
  StoreLE32(p, code);
  StoreLE32(p + 4, size);
}

}  // namespace

struct AviWriter::State {
  AtomicOutput output;
  BinaryFile& file;
  WriteBehind behind{file};
  AviWriterOptions options;
  std::vector<StreamState> streams;
  std::optional<std::size_t> lead;
  std::vector<std::size_t> audio;
  std::uint64_t part_start = 0;
  std::uint64_t movi_start = 0;  // the current part's "LIST" of movi
  std::uint64_t end = 0;         // where the next chunk goes
  std::size_t parts = 1;
  std::uint64_t first_part_frames = 0;
  std::vector<LegacyIndexEntry> legacy;  // first part only
  std::vector<std::uint8_t> scratch;  // the headers before a chunk
  std::optional<std::uint64_t> final_end;  // set once the last part's indexes are written
  bool closed = false;

  State(const std::filesystem::path& path, std::vector<AviStream> descs, const AviWriterOptions& opts)
      : output(path, opts.source), file(output.File()), options(opts) {
    for (std::size_t i = 0; i < descs.size(); ++i) {
      StreamState s;
      s.chunk_code = ChunkCode(i, descs[i].chunk_kind);
      s.desc = std::move(descs[i]);
      if (!lead && s.desc.IsVideo()) lead = i;
      if (s.desc.type == FourCC("auds")) audio.push_back(i);
      streams.push_back(std::move(s));
    }
  }

  std::size_t CountingStream() const { return lead.value_or(0); }

  std::vector<std::uint8_t> HeaderList() const {
    std::vector<AviStream> descs;
    std::vector<AviStreamTotals> totals;
    for (const StreamState& s : streams) {
      descs.push_back(s.desc);
      totals.push_back(s.totals);
    }
    AviHeaderInput in;
    in.streams = descs;
    in.totals = totals;
    in.lead = lead;
    in.first_part_frames = first_part_frames;
    in.total_frames = lead ? streams[*lead].chunks : 0;
    in.index_capacity = options.max_parts;
    return BuildHeaderList(in);
  }

  void Begin() {
    const std::vector<std::uint8_t> hdrl = HeaderList();
    std::vector<std::uint8_t> head(kRiffHeaderBytes + hdrl.size() + kListHeaderBytes);
    movi_start = kRiffHeaderBytes + hdrl.size();
    end = movi_start + kListHeaderBytes;
    StoreHeader(head.data(), FourCC("RIFF"), static_cast<std::uint32_t>(end - 8));
    StoreLE32(head.data() + 8, FourCC("AVI "));
    std::memcpy(head.data() + kRiffHeaderBytes, hdrl.data(), hdrl.size());
    StoreHeader(head.data() + movi_start, FourCC("LIST"), 4);
    StoreLE32(head.data() + movi_start + 8, FourCC("movi"));
    file.WriteAt(0, head);
  }

  bool PartIsEmpty() const {
    return std::all_of(streams.begin(), streams.end(), [](const StreamState& s) { return s.part_chunks.empty(); });
  }

  // Index bytes the current part will need at its end if it also takes
  // one more chunk of `stream`.
  std::uint64_t PartIndexBytes(std::size_t stream) const {
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < streams.size(); ++i) {
      const std::size_t n = streams[i].part_chunks.size() + (i == stream ? 1 : 0);
      if (n > 0) bytes += StandardIndexBytes(n);
    }
    if (parts == 1) bytes += kChunkHeaderBytes + (legacy.size() + 1) * kLegacyIndexEntryBytes;
    return bytes;
  }

  PartEnd PlanPartEnd() const {
    PartEnd plan;
    std::uint64_t at = end;
    for (std::size_t i = 0; i < streams.size(); ++i) {
      const StreamState& s = streams[i];
      if (s.part_chunks.empty()) continue;
      std::vector<std::uint8_t> ix = BuildStandardIndex(i, s.chunk_code, part_start, s.part_chunks);
      plan.entries.push_back({i, SuperIndexEntry{at, static_cast<std::uint32_t>(ix.size()),
                                                 static_cast<std::uint32_t>(s.part_ticks)}});
      at += ix.size();
      plan.tail.insert(plan.tail.end(), ix.begin(), ix.end());
    }
    const std::uint64_t movi_end = at;
    if (parts == 1) {
      std::vector<std::uint8_t> idx1 = BuildLegacyIndex(legacy);
      at += idx1.size();
      plan.tail.insert(plan.tail.end(), idx1.begin(), idx1.end());
    }
    plan.end = at;
    if (at - part_start - 8 > kMaxPartBytes) throw FileError("AVI part too large in " + output.Target().string());
    plan.movi_size = static_cast<std::uint32_t>(movi_end - movi_start - 8);
    plan.riff_size = static_cast<std::uint32_t>(at - part_start - 8);
    return plan;
  }

  // Writes only bytes that a retry would write the same way.
  void WritePartEnd(const PartEnd& plan) {
    std::uint8_t size[4];
    file.WriteAt(end, plan.tail);
    StoreLE32(size, plan.movi_size);
    file.WriteAt(movi_start + 4, size);
    StoreLE32(size, plan.riff_size);
    file.WriteAt(part_start + 4, size);
  }

  void CommitPartEnd(const PartEnd& plan) {
    for (const auto& [i, entry] : plan.entries) streams[i].totals.parts.push_back(entry);
    for (StreamState& s : streams) {
      s.part_chunks.clear();
      s.part_ticks = 0;
    }
    legacy.clear();
    legacy.shrink_to_fit();
  }

  bool NeedsNewPart(std::size_t stream, std::uint64_t chunk_bytes) const {
    if (PartIsEmpty()) return false;
    const std::uint64_t used = end - part_start;
    if (stream == CountingStream() && used >= options.riff_part_limit) return true;
    return used + chunk_bytes + PartIndexBytes(stream) > kMaxPartBytes;
  }

  void Append(std::size_t stream, std::span<const std::uint8_t> data, bool keyframe) {
    if (closed) throw std::logic_error("the AVI writer for " + output.Target().string() + " is closed");
    StreamState& s = streams[stream];
    const std::uint64_t chunk_bytes = kChunkHeaderBytes + data.size() + (data.size() % 2);
    const bool new_part = NeedsNewPart(stream, chunk_bytes);
    if (new_part && parts >= options.max_parts)
      throw FileError("cannot write " + output.Target().string() + ": the file would need more than " +
                      std::to_string(options.max_parts) + " RIFF parts");

    std::optional<PartEnd> plan;
    std::uint64_t at = end;
    const std::uint64_t prefix = new_part ? kRiffHeaderBytes + kListHeaderBytes : 0;
    if (new_part) {
      plan = PlanPartEnd();
      at = plan->end;
    }
    scratch.assign(static_cast<std::size_t>(prefix + kChunkHeaderBytes), 0);
    std::uint8_t* p = scratch.data();
    if (new_part) {
      StoreHeader(p, FourCC("RIFF"), static_cast<std::uint32_t>(prefix + chunk_bytes - 8));
      StoreLE32(p + 8, FourCC("AVIX"));
      StoreHeader(p + kRiffHeaderBytes, FourCC("LIST"), static_cast<std::uint32_t>(4 + chunk_bytes));
      StoreLE32(p + kRiffHeaderBytes + 8, FourCC("movi"));
      p += prefix;
    }
    StoreHeader(p, s.chunk_code, static_cast<std::uint32_t>(data.size()));
    static constexpr std::uint8_t kPad[1] = {0};
    const std::span<const std::uint8_t> pad(kPad, data.size() % 2);

    // Nothing below changes the state until every write has succeeded, so a
    // failed write leaves the writer describing exactly the chunks before it.
    if (plan) WritePartEnd(*plan);
    file.WriteAt(at, {scratch, data, pad});

    if (plan) {
      CommitPartEnd(*plan);
      ++parts;
      part_start = at;
      movi_start = at + kRiffHeaderBytes;
      end = at + prefix;
    }
    const std::uint64_t chunk_at = end;
    end += chunk_bytes;
    const std::uint32_t size = static_cast<std::uint32_t>(data.size());
    s.part_chunks.push_back(IndexedChunk{chunk_at + kChunkHeaderBytes, size, keyframe});
    if (parts == 1)
      legacy.push_back(LegacyIndexEntry{s.chunk_code, static_cast<std::uint32_t>(chunk_at - movi_start - 8), size,
                                        keyframe});
    const std::uint64_t ticks = s.desc.sample_size != 0 ? data.size() / s.desc.sample_size : 1;
    s.part_ticks += ticks;
    s.totals.ticks += ticks;
    s.totals.largest_chunk = std::max(s.totals.largest_chunk, size);
    ++s.chunks;
    if (parts == 1 && stream == CountingStream()) ++first_part_frames;
    behind.Advance(end);
  }

  void Finalise() {
    if (closed) return;
    if (!final_end) {
      const PartEnd plan = PlanPartEnd();
      WritePartEnd(plan);
      CommitPartEnd(plan);
      final_end = plan.end;
    }
    file.WriteAt(kRiffHeaderBytes, HeaderList());
    file.Truncate(*final_end);
    output.Commit();
    closed = true;
  }
};

AviWriter::AviWriter(std::unique_ptr<State> state) : state_(std::move(state)) {}
AviWriter::AviWriter(AviWriter&& other) noexcept = default;

AviWriter& AviWriter::operator=(AviWriter&& other) noexcept {
  if (this != &other) {
    AviWriter gone(std::move(*this));
    state_ = std::move(other.state_);
  }
  return *this;
}

// The output's own destructor removes an unfinished file.
AviWriter::~AviWriter() = default;

AviWriter AviWriter::Create(const std::filesystem::path& path, std::vector<AviStream> streams,
                            const AviWriterOptions& options) {
  if (streams.empty() || streams.size() > kMaxAviStreams)
    throw std::invalid_argument("an AVI file needs 1 to " + std::to_string(kMaxAviStreams) + " streams");
  if (options.riff_part_limit == 0 || options.riff_part_limit > kMaxPartLimit)
    throw std::invalid_argument("the RIFF part limit must be between 1 byte and 3 GiB");
  if (options.max_parts == 0 || options.max_parts > 1u << 20)
    throw std::invalid_argument("the number of RIFF parts must be between 1 and 1048576");
  for (const AviStream& s : streams) {
    if (s.scale == 0 || s.rate == 0) throw std::invalid_argument("every AVI stream needs a rate and a scale");
    if (s.format.size() > kMaxChunkBytes) throw std::invalid_argument("stream format block too large");
  }
  auto state = std::make_unique<State>(path, std::move(streams), options);
  state->Begin();
  return AviWriter(std::move(state));
}

AviWriter AviWriter::CreateType1(const std::filesystem::path& path, const AviVideoFormat& video,
                                 const AviWriterOptions& options) {
  return Create(path, {DvInterleavedStream(video)}, options);
}

AviWriter AviWriter::CreateType2(const std::filesystem::path& path, const AviVideoFormat& video,
                                 const std::vector<AviAudioFormat>& audio_pairs, const AviWriterOptions& options) {
  std::vector<AviStream> streams{DvVideoStream(video)};
  for (const AviAudioFormat& pair : audio_pairs) streams.push_back(PcmAudioStream(pair));
  return Create(path, std::move(streams), options);
}

void AviWriter::WriteVideoFrame(std::span<const std::uint8_t> frame) {
  if (!state_ || !state_->lead) throw std::logic_error("this AVI file has no video stream");
  WriteChunk(*state_->lead, frame);
}

void AviWriter::WriteAudio(std::size_t audio_stream, std::span<const std::uint8_t> pcm) {
  if (!state_ || audio_stream >= state_->audio.size())
    throw std::invalid_argument("this AVI file has no audio stream " + std::to_string(audio_stream));
  WriteChunk(state_->audio[audio_stream], pcm);
}

void AviWriter::WriteChunk(std::size_t stream, std::span<const std::uint8_t> data, bool keyframe) {
  if (!state_) throw std::logic_error("the AVI writer was moved from");
  if (stream >= state_->streams.size())
    throw std::invalid_argument("this AVI file has no stream " + std::to_string(stream));
  if (data.size() > kMaxChunkBytes) throw std::invalid_argument("an AVI chunk must be smaller than 2 GiB");
  StreamState& s = state_->streams[stream];
  if (s.desc.sample_size != 0 && data.size() % s.desc.sample_size != 0)
    throw std::invalid_argument("sound must come in whole sample frames of " + std::to_string(s.desc.sample_size) +
                                " bytes, not " + std::to_string(data.size()) + " bytes");
  if (s.desc.dv_system) {
    const DvSystem system = *s.desc.dv_system;
    if (data.size() != FrameBytes(system) || DetectDvSystem(data) != system)
      throw std::invalid_argument("expected a whole " + std::string(system == DvSystem::k625_50 ? "PAL" : "NTSC") +
                                  " DV frame of " + std::to_string(FrameBytes(system)) + " bytes, got " +
                                  std::to_string(data.size()) + " bytes");
    if (s.chunks == 0 && s.desc.type == FourCC("iavs")) {
      const auto info = DvInfoFromFrame(data);
      s.desc.format.assign(info.begin(), info.end());
    }
  }
  state_->Append(stream, data, keyframe);
}

void AviWriter::Close() {
  if (state_) state_->Finalise();
}

std::uint64_t AviWriter::FramesWritten() const {
  return state_ && state_->lead ? state_->streams[*state_->lead].chunks : 0;
}

std::size_t AviWriter::RiffParts() const { return state_ ? state_->parts : 0; }

}  // namespace korvid::media
