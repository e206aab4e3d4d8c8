#include "media/avi_param.h"

#include <algorithm>
#include <span>

#include "media/avi_stream.h"
#include "media/le_bytes.h"

namespace korvid::media {

std::uint32_t TAvistream::FccType() const { return LoadLE32(header.data()); }
std::uint32_t TAvistream::FccHandler() const { return LoadLE32(header.data() + 4); }
bool TAvistream::IsVideo() const {
  return FccType() == FourCC("vids") || FccType() == FourCC("iavs");
}

class TAviParam::Walk {
 public:
  Walk(const BinaryFile& file, TAviParam& out) : file_(file), out_(out), file_size_(file.Size()) {}

  void Run() {
    std::uint64_t pos = 0;
    while (Align(pos) + 8 <= file_size_) {
      const auto h = ReadHeader(pos);
      if (!h) {
        out_.valid = false;
        return;
      }
      if (h->code != FourCC("RIFF") || h->size < 4) return;
      // A part cut short by the end of the file is walked as far as it goes:
      // a capture that stopped in its media data is still a usable AVI.
      const std::uint64_t end = std::min(h->data + h->size, file_size_);
      const auto form = ReadFourCC(h->data);
      if (!form) return;
      if ((*form & 0x00FFFFFFu) != (FourCC("AVI ") & 0x00FFFFFFu)) {
        out_.valid = false;
        return;
      }
      out_.valid = WalkForm(h->data + 4, end);
      if (!out_.valid) return;
      pos = h->data + h->size;
    }
  }

 private:
  struct Header {
    std::uint32_t code = 0;
    std::uint32_t size = 0;
    std::uint64_t data = 0;  // position of the first data byte
  };

  static std::uint64_t Align(std::uint64_t pos) { return pos + (pos & 1); }

  // Chunk data is padded to even length, so a header never starts odd.
  std::optional<Header> ReadHeader(std::uint64_t pos) const {
    pos = Align(pos);
    std::uint8_t raw[8];
    if (!file_.ReadExactAt(pos, raw)) return std::nullopt;
    return Header{LoadLE32(raw), LoadLE32(raw + 4), pos + 8};
  }

  std::optional<std::uint32_t> ReadFourCC(std::uint64_t pos) const {
    std::uint8_t raw[4];
    if (!file_.ReadExactAt(pos, raw)) return std::nullopt;
    return LoadLE32(raw);
  }

  // Reads min(size, limit) bytes at pos; false on a short read.
  bool ReadFront(const Header& h, std::size_t limit, std::vector<std::uint8_t>& out) const {
    out.assign(std::min<std::size_t>(h.size, limit), 0);
    return file_.ReadExactAt(h.data, out);
  }

  bool WalkForm(std::uint64_t pos, std::uint64_t end) {
    while (Align(pos) + 8 <= end) {
      const auto h = ReadHeader(pos);
      if (!h) return true;  // cut inside the media data
      const std::uint64_t chunk_end = h->data + h->size;
      if (h->code == FourCC("LIST")) {
        if (h->size < 4) return false;
        const auto type = ReadFourCC(h->data);
        if (!type) return false;
        const std::uint64_t list_end = std::min(chunk_end, end);
        if (*type == FourCC("hdrl")) {
          if (!WalkHdrl(h->data + 4, list_end)) return false;
        } else if (*type == FourCC("movi")) {
          out_.movi_lists.push_back({h->data, std::min(chunk_end, file_size_)});
        }
      } else if (h->code == FourCC("idx1") && !out_.legacy_index) {
        out_.legacy_index = AviChunkPlace{h->data, h->size};
      }
      pos = chunk_end;
    }
    return true;
  }

  bool WalkHdrl(std::uint64_t pos, std::uint64_t end) {
    while (Align(pos) + 8 <= end) {
      const auto h = ReadHeader(pos);
      if (!h) return false;
      const std::uint64_t chunk_end = h->data + h->size;
      if (h->code == FourCC("avih")) {
        std::vector<std::uint8_t> bytes;
        if (!ReadFront(*h, out_.main_header.size(), bytes)) return false;
        std::copy(bytes.begin(), bytes.end(), out_.main_header.begin());
      } else if (h->code == FourCC("LIST")) {
        if (h->size < 4) return false;
        const auto type = ReadFourCC(h->data);
        if (!type) return false;
        const std::uint64_t list_end = std::min(chunk_end, end);
        if (*type == FourCC("strl") && !WalkStrl(h->data + 4, list_end)) return false;
        if (*type == FourCC("odml") && !WalkOdml(h->data + 4, list_end)) return false;
      }
      pos = chunk_end;
    }
    return true;
  }

  bool WalkStrl(std::uint64_t pos, std::uint64_t end) {
    // A crafted header of millions of empty stream lists would otherwise
    // cost memory and time in proportion, on the window's thread.
    if (out_.streams.size() == kMaxAviStreams)
      throw FileError(file_.Path().string() + " declares more than " + std::to_string(kMaxAviStreams) +
                      " streams, more than an AVI file can hold");
    out_.streams.emplace_back();
    const auto index = static_cast<std::int32_t>(out_.streams.size() - 1);
    TAvistream& stream = out_.streams.back();
    while (Align(pos) + 8 <= end) {
      const auto h = ReadHeader(pos);
      if (!h) return false;
      std::vector<std::uint8_t> bytes;
      if (h->code == FourCC("strh")) {
        if (!ReadFront(*h, TAvistream::kHeaderBytes, bytes)) return false;
        std::copy(bytes.begin(), bytes.end(), stream.header.begin());
        if (stream.IsVideo() && out_.first_video_stream < 0) out_.first_video_stream = index;
      } else if (h->code == FourCC("strf")) {
        if (!ReadFront(*h, TAvistream::kFormatBytesKept, stream.format)) return false;
      } else if (h->code == FourCC("indx")) {
        TAvistream::IndexChunk chunk{h->data, h->size, h->data + 24, {}};
        if (!ReadFront(*h, TAvistream::kIndexHeadBytes, chunk.head)) return false;
        stream.index = std::move(chunk);
      }
      pos = h->data + h->size;
    }
    return true;
  }

  bool WalkOdml(std::uint64_t pos, std::uint64_t end) {
    while (Align(pos) + 8 <= end) {
      const auto h = ReadHeader(pos);
      if (!h) return false;
      if (h->code == FourCC("dmlh") && !ReadFront(*h, 248, out_.odml_header)) return false;
      pos = h->data + h->size;
    }
    return true;
  }

  const BinaryFile& file_;
  TAviParam& out_;
  std::uint64_t file_size_;
};

TAviParam::TAviParam(const BinaryFile& file) { Walk(file, *this).Run(); }

TAviParam::TAviParam(const std::filesystem::path& path)
    : TAviParam(BinaryFile(path, BinaryFile::Mode::kRead)) {}

std::string TFriendlyAviParam::CodecFourCC() const {
  if (first_video_stream < 0) return "####";
  return FourCCText(streams[static_cast<std::size_t>(first_video_stream)].FccHandler());
}

}  // namespace korvid::media
