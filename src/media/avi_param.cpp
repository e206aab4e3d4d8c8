#include "media/avi_param.h"

#include <algorithm>
#include <span>

#include "media/avi_stream.h"
#include "media/le_bytes.h"
#include "media/riff_walk.h"

namespace korvid::media {

std::uint32_t TAvistream::FccType() const { return LoadLE32(header.data()); }
std::uint32_t TAvistream::FccHandler() const { return LoadLE32(header.data() + 4); }
bool TAvistream::IsVideo() const {
  return FccType() == FourCC("vids") || FccType() == FourCC("iavs");
}

// Picks the headers out of the one RIFF walk: the form's hdrl (avih, each
// strl's strh, strf and indx, odml's dmlh), its movi lists and its first
// idx1. A chunk counts only where its parent's walk would reach it: its
// header inside the parent's declared end.
class TAviParam::Walk final : public RiffWalkListener {
 public:
  Walk(const BinaryFile& file, TAviParam& out) : file_(file), out_(out), file_size_(file.Size()) {}

  void Run() { (void)WalkRiff(file_, *this); }

  bool KeepGoing() override { return !stopped_; }

  void OnChunk(const RiffChunkVisit& chunk) override {
    if (stopped_) return;
    levels_.resize(static_cast<std::size_t>(chunk.depth));
    if (chunk.depth == 0) {
      // A part too short for its form ends the walk; what came before stands.
      if (chunk.declared_size < 4 || chunk.size < 4) return Stop();
      levels_.push_back({Level::kPendingForm, std::min(chunk.DataOffset() + chunk.declared_size, file_size_)});
      return;
    }
    const Level parent = levels_.back();
    levels_.push_back({Level::kIgnored, 0});
    if (parent.kind == Level::kIgnored || chunk.offset + 8 > parent.end) return;
    const bool is_list = chunk.code == FourCC("LIST");
    if (is_list && parent.kind != Level::kStrl && parent.kind != Level::kOdml) {
      if (chunk.declared_size < 4 || chunk.size < 4) return Fail();
      levels_.back() = {Level::kPendingList, std::min(chunk.DataOffset() + chunk.declared_size, parent.end)};
      return;
    }
    switch (parent.kind) {
      case Level::kForm:
        if (chunk.code == FourCC("idx1") && !out_.legacy_index)
          out_.legacy_index = AviChunkPlace{chunk.DataOffset(), chunk.declared_size};
        break;
      case Level::kHdrl:
        if (chunk.code == FourCC("avih")) {
          std::vector<std::uint8_t> bytes;
          if (!ReadFront(chunk, out_.main_header.size(), bytes)) return Fail();
          std::copy(bytes.begin(), bytes.end(), out_.main_header.begin());
        }
        break;
      case Level::kStrl:
        OnStreamChunk(chunk);
        break;
      case Level::kOdml:
        if (chunk.code == FourCC("dmlh") && !ReadFront(chunk, 248, out_.odml_header)) return Fail();
        break;
      default:
        break;
    }
  }

  void OnListType(const RiffChunkVisit& chunk, std::uint32_t type) override {
    if (stopped_) return;
    Level& level = levels_.back();
    if (level.kind == Level::kPendingForm) {
      if ((type & 0x00FFFFFFu) != (FourCC("AVI ") & 0x00FFFFFFu)) return Fail();
      out_.valid = true;
      level.kind = Level::kForm;
      return;
    }
    if (level.kind != Level::kPendingList) return;
    const Level::Kind parent = levels_[levels_.size() - 2].kind;
    level.kind = Level::kIgnored;
    if (parent == Level::kForm) {
      if (type == FourCC("hdrl")) level.kind = Level::kHdrl;
      if (type == FourCC("movi"))
        out_.movi_lists.push_back({chunk.DataOffset(), std::min(chunk.DataOffset() + chunk.declared_size, file_size_)});
    } else if (parent == Level::kHdrl && type == FourCC("strl")) {
      // A crafted header of millions of empty stream lists would otherwise
      // cost memory and time in proportion, on the window's thread.
      if (out_.streams.size() == kMaxAviStreams)
        throw FileError(file_.Path().string() + " declares more than " + std::to_string(kMaxAviStreams) +
                        " streams, more than an AVI file can hold");
      out_.streams.emplace_back();
      level.kind = Level::kStrl;
    } else if (parent == Level::kHdrl && type == FourCC("odml")) {
      level.kind = Level::kOdml;
    }
  }

 private:
  struct Level {
    enum Kind { kIgnored, kPendingForm, kPendingList, kForm, kHdrl, kStrl, kOdml } kind = kIgnored;
    std::uint64_t end = 0;  // the declared end, cut to the parent's
  };

  void Stop() { stopped_ = true; }
  // Headers cut short or malformed: not a usable AVI.
  void Fail() {
    out_.valid = false;
    Stop();
  }

  // Reads min(declared size, limit) bytes of the chunk's data; false on a short read.
  bool ReadFront(const RiffChunkVisit& chunk, std::size_t limit, std::vector<std::uint8_t>& out) const {
    out.assign(std::min<std::size_t>(chunk.declared_size, limit), 0);
    return file_.ReadExactAt(chunk.DataOffset(), out);
  }

  void OnStreamChunk(const RiffChunkVisit& chunk) {
    TAvistream& stream = out_.streams.back();
    std::vector<std::uint8_t> bytes;
    if (chunk.code == FourCC("strh")) {
      if (!ReadFront(chunk, TAvistream::kHeaderBytes, bytes)) return Fail();
      std::copy(bytes.begin(), bytes.end(), stream.header.begin());
      if (stream.IsVideo() && out_.first_video_stream < 0)
        out_.first_video_stream = static_cast<std::int32_t>(out_.streams.size() - 1);
    } else if (chunk.code == FourCC("strf")) {
      if (!ReadFront(chunk, TAvistream::kFormatBytesKept, stream.format)) return Fail();
    } else if (chunk.code == FourCC("indx")) {
      TAvistream::IndexChunk index{chunk.DataOffset(), chunk.declared_size, chunk.DataOffset() + 24, {}};
      if (!ReadFront(chunk, TAvistream::kIndexHeadBytes, index.head)) return Fail();
      stream.index = std::move(index);
    }
  }

  const BinaryFile& file_;
  TAviParam& out_;
  std::uint64_t file_size_;
  std::vector<Level> levels_;  // one per depth of the chunk being visited
  bool stopped_ = false;
};

TAviParam::TAviParam(const BinaryFile& file) { Walk(file, *this).Run(); }

TAviParam::TAviParam(const std::filesystem::path& path)
    : TAviParam(BinaryFile(path, BinaryFile::Mode::kRead)) {}

std::string TFriendlyAviParam::CodecFourCC() const {
  if (first_video_stream < 0) return "####";
  return FourCCText(streams[static_cast<std::size_t>(first_video_stream)].FccHandler());
}

}  // namespace korvid::media
