#include "media/riff_report.h"

#include <cstdio>
#include <cstring>
#include <system_error>

#include "media/binary_file.h"
#include "media/le_bytes.h"
#include "media/riff_walk.h"
#include "resources/product.h"
#include "resources/string_table.h"
#include "settings/file_replacement.h"
#include "settings/system_locale.h"

namespace korvid::media {
namespace {

enum class StreamKind { kVideo, kAudio, kInterleaved, kUnknown };

std::string Hex(std::uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

// Four characters as stored; bytes that would not print are shown as ".".
std::string Code(std::uint32_t code) {
  std::string text = FourCCText(code);
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '.';
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::int16_t Signed16(const std::uint8_t* p) { return static_cast<std::int16_t>(LoadLE16(p)); }
std::int32_t Signed32(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadLE32(p)); }

class ReportWriter final : public RiffWalkListener {
 public:
  ReportWriter(RiffReport& report, const ReportKeepGoing& keepGoing) : report_(report), keepGoing_(keepGoing) {}

  bool cancelled() const { return cancelled_; }

  bool KeepGoing() override {
    if (!cancelled_ && keepGoing_ && !keepGoing_()) cancelled_ = true;
    return !cancelled_;
  }

  void OnGarbage(std::uint64_t /*offset*/, std::uint64_t bytes) override {
    Line(">>> There are " + Hex(bytes, 8) + " bytes of garbage at the end of the file");
  }

  void OnChunk(const RiffChunkVisit& chunk) override {
    indent_ = std::string(static_cast<std::size_t>(chunk.depth) * 4, ' ');
    const bool media = chunk.code == FourCC("01wb") || chunk.code == FourCC("00dc") || chunk.code == FourCC("00db");
    if (!media) Line(indent_ + Code(chunk.code) + "  " + Hex(chunk.declared_size, 8));
    if (chunk.cut) {
      const std::uint64_t rounded = std::uint64_t{chunk.declared_size} + (chunk.declared_size & 1u);
      Line(indent_ + ">>> Bad chunk length:");
      Line(indent_ + ">>> " + Hex(rounded, 8) + " instead of " + Hex(chunk.bytes_left, 8));
    }
  }

  void OnListType(const RiffChunkVisit& chunk, std::uint32_t type) override {
    Line(std::string(static_cast<std::size_t>(chunk.depth) * 4, ' ') + Code(type));
  }

  bool OnLeaf(const RiffChunkVisit& chunk, const BinaryFile& file) override {
    indent_ = std::string(static_cast<std::size_t>(chunk.depth) * 4, ' ');
    const std::string code = FourCCText(chunk.code);
    if (code == "strh") return StreamHeader(chunk, file);
    if (code == "avih") return MainHeader(chunk, file);
    if (code == "strf") return StreamFormat(chunk, file);
    if (code == "indx" || code.starts_with("ix")) return IndexHeader(chunk, file);
    if (code == "idx1") return OldIndex(chunk);
    return true;
  }

 private:
  void Line(std::string text) { report_.lines.push_back(std::move(text)); }
  void Field(std::string_view label, const std::string& value) { Line(indent_ + std::string(label) + value); }
  void Open(std::string_view title) { Line(ReportBanner(indent_, '-', title)); }

  template <std::size_t N>
  bool Read(const RiffChunkVisit& chunk, std::uint64_t skip, std::uint8_t (&out)[N], const BinaryFile& file) {
    return file.ReadExactAt(chunk.DataOffset() + skip, out);
  }

  bool StreamHeader(const RiffChunkVisit& chunk, const BinaryFile& file) {
    std::uint8_t h[56];
    if (!Read(chunk, 0, h, file)) return false;
    const std::string type = FourCCText(LoadLE32(h));
    kind_ = type == "vids"   ? StreamKind::kVideo
            : type == "auds" ? StreamKind::kAudio
            : type == "iavs" ? StreamKind::kInterleaved
                             : StreamKind::kUnknown;
    static constexpr const char* kKindTitles[] = {"(Video)", "(Audio)", "(Interleaved)", "(Unknown)"};
    Line("");
    Open(kKindTitles[static_cast<int>(kind_)]);
    Open("Start of AVI Stream Header");
    Field("FourccType = ", Code(LoadLE32(h)));
    Field("FourccHandler = ", Code(LoadLE32(h + 4)));
    Field("Flags = ", Hex(LoadLE32(h + 8), 8));
    Field("Priority = ", std::to_string(LoadLE16(h + 12)));
    Field("Language = ", Hex(LoadLE16(h + 14), 4));
    static constexpr const char* kCounts[] = {"InitialFrames = ", "Scale = ", "Rate = ",
                                              "Start = ",         "Length = ", "SuggestedBufferSize = "};
    for (int i = 0; i < 6; ++i) Field(kCounts[i], std::to_string(LoadLE32(h + 16 + 4 * i)));
    Field("Quality = ", Hex(LoadLE32(h + 40), 8));
    Field("SampleSize = ", std::to_string(LoadLE32(h + 44)));
    Field("rcFrame.Left = ", std::to_string(Signed16(h + 48)));
    Field("rcFrame.Top = ", std::to_string(Signed16(h + 50)));
    Field("rcFrame.Right = ", std::to_string(Signed16(h + 52)));
    Field("rcFrame.Bottom = ", std::to_string(Signed16(h + 54)));
    Open("End of AVI Stream Header");
    Line("");
    return true;
  }

  bool MainHeader(const RiffChunkVisit& chunk, const BinaryFile& file) {
    std::uint8_t h[56];
    if (!Read(chunk, 0, h, file)) return false;
    Line("");
    Open(" Start of AVI Main Header ");
    static constexpr const char* kFirst[] = {"MicroSecPerFrame = ", "MaxBytesPerSec = ", "PaddingGranularity = "};
    for (int i = 0; i < 3; ++i) Field(kFirst[i], std::to_string(LoadLE32(h + 4 * i)));
    Field("Flags = ", Hex(LoadLE32(h + 12), 8));
    static constexpr const char* kSecond[] = {"TotalFrames = ",         "InitialFrames = ", "Streams = ",
                                              "SuggestedBufferSize = ", "Width = ",         "Height = "};
    for (int i = 0; i < 6; ++i) Field(kSecond[i], std::to_string(LoadLE32(h + 16 + 4 * i)));
    for (int i = 0; i < 4; ++i) Field("Reserved" + std::to_string(i) + " = ", Hex(LoadLE32(h + 40 + 4 * i), 8));
    Open(" End of Main Header ");
    Line("");
    return true;
  }

  void DvBlock(const std::uint8_t* d) {
    Open("Start of DVInfo");
    static constexpr const char* kLabels[] = {"DVAAuxSrc = ", "DVAAuxCtl = ", "DVAAuxSrc1 = ",  "DVAAuxCtl1 = ",
                                              "DVVAuxSrc = ", "DVVAuxCtl = ", "DVReserved0 = ", "DVReserved1 = "};
    for (int i = 0; i < 8; ++i) Field(kLabels[i], Hex(LoadLE32(d + 4 * i), 8));
    Open("End of DVINfo");
  }

  bool StreamFormat(const RiffChunkVisit& chunk, const BinaryFile& file) {
    switch (kind_) {
      case StreamKind::kVideo: return VideoFormat(chunk, file);
      case StreamKind::kAudio: return AudioFormat(chunk, file);
      case StreamKind::kInterleaved: {
        std::uint8_t d[32];
        if (!Read(chunk, 0, d, file)) return false;
        Line("");
        DvBlock(d);
        Line("");
        return true;
      }
      case StreamKind::kUnknown: break;
    }
    return true;
  }

  bool VideoFormat(const RiffChunkVisit& chunk, const BinaryFile& file) {
    std::uint8_t b[40];
    if (!Read(chunk, 0, b, file)) return false;
    const std::string compression = Lower(FourCCText(LoadLE32(b + 16)));
    const bool dv = chunk.size >= 40 + 32 && (compression == "dvsd" || compression == "dsvd" || compression == "csvd");
    std::uint8_t d[32];
    if (dv && !Read(chunk, 40, d, file)) return false;
    Line("");
    Open("Start of Stream Format Header");
    Field("biSize = ", std::to_string(LoadLE32(b)));
    Field("biWidth = ", std::to_string(Signed32(b + 4)));
    Field("biHeight = ", std::to_string(Signed32(b + 8)));
    Field("biPlanes = ", std::to_string(LoadLE16(b + 12)));
    Field("biBitCount = ", std::to_string(LoadLE16(b + 14)));
    Field("biCompression = ", Code(LoadLE32(b + 16)));
    Field("biSizeImage = ", std::to_string(LoadLE32(b + 20)));
    Field("biXPelsPerMeter = ", std::to_string(Signed32(b + 24)));
    Field("biYPelsPerMeter = ", std::to_string(Signed32(b + 28)));
    Field("biClrUsed = ", std::to_string(LoadLE32(b + 32)));
    Field("biClrImportant = ", std::to_string(LoadLE32(b + 36)));
    if (dv) DvBlock(d);
    Open("End of AVI Stream Format");
    Line("");
    return true;
  }

  bool AudioFormat(const RiffChunkVisit& chunk, const BinaryFile& file) {
    std::uint8_t w[18];
    if (!Read(chunk, 0, w, file)) return false;
    Line("");
    Open("Start of Stream Format Header");
    Field("FormatTag = ", std::to_string(LoadLE16(w)));
    Field("Channels = ", std::to_string(LoadLE16(w + 2)));
    Field("SamplesPerSec = ", std::to_string(LoadLE32(w + 4)));
    Field("AvgBytesPerSec = ", std::to_string(LoadLE32(w + 8)));
    Field("BlockAlign = ", std::to_string(LoadLE16(w + 12)));
    Field("BitsPerSample = ", std::to_string(LoadLE16(w + 14)));
    Field("cbSize = ", std::to_string(LoadLE16(w + 16)));
    Open("End of AVI Stream Format");
    Line("");
    return true;
  }

  bool IndexHeader(const RiffChunkVisit& chunk, const BinaryFile& file) {
    std::uint8_t x[24];
    if (!Read(chunk, 0, x, file)) return false;
    Line("");
    Open("Start of an Index");
    Field("wLongsPerEntry = ", Hex(LoadLE16(x), 4));
    Field("bIndexSubType = ", std::to_string(x[2]));
    Field("bIndexType = ", std::to_string(x[3]));
    Field("nEntriesInUse = ", Hex(LoadLE32(x + 4), 8));
    Field("dwChunkId = ", Code(LoadLE32(x + 8)));
    Field("qwBaseOffset = ", Hex(LoadLE64(x + 12), 16));
    Field("dwReserved_3 = ", Hex(LoadLE32(x + 20), 8));
    Open("End of Index");
    Line("");
    return true;
  }

  // The entries carry nothing the report shows; going over them only gives
  // the user the chance to cancel a long index.
  bool OldIndex(const RiffChunkVisit& chunk) {
    Line("");
    Open("Start of an OldIndex");
    constexpr std::uint64_t kPollEvery = 64;
    const std::uint64_t entries = chunk.size / 16;
    for (std::uint64_t i = 0; i < entries; i += kPollEvery)
      if (!KeepGoing()) break;
    Open("End of OldIndex");
    Line("");
    return true;
  }

  RiffReport& report_;
  const ReportKeepGoing& keepGoing_;
  bool cancelled_ = false;
  std::string indent_;
  StreamKind kind_ = StreamKind::kUnknown;
};

}  // namespace

std::string ReportBanner(std::string_view prefix, char padding, std::string_view title) {
  const long n = (static_cast<long>(kRiffReportWidth) - static_cast<long>(prefix.size()) -
                  static_cast<long>(title.size())) / 2;
  const std::string pad(n > 0 ? static_cast<std::size_t>(n) : 0, padding);
  return std::string(prefix) + pad + std::string(title) + pad;
}

RiffReport BuildRiffReport(const std::filesystem::path& path, const RiffReportStamp& stamp,
                           const ReportKeepGoing& keepGoing) {
  RiffReport report;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return report;
  BinaryFile file(path, BinaryFile::Mode::kRead);
  auto& lines = report.lines;
  const std::string rule(kRiffReportWidth, '-');

  lines.push_back(rule);
  lines.emplace_back();
  lines.push_back(ReportBanner("", '*', "  Header of the file " + path.filename().string() + "  "));
  lines.emplace_back();
  lines.push_back(ReportBanner("", ' ',
                               "analysed on " + settings::FormatDateTime("yyyy/mm/d", stamp.now, stamp.locale) +
                                   " at " + settings::FormatDateTime("h:mm:ss", stamp.now, stamp.locale)));
  lines.push_back(
      ReportBanner("", ' ', "with " + stamp.program + " by " + stamp.maker + " version " + stamp.version));
  lines.emplace_back();
  lines.push_back(ReportBanner("", ' ', "Visit my website:"));
  lines.push_back(ReportBanner("", ' ', stamp.webAddress));
  lines.emplace_back();
  lines.push_back(ReportBanner("", '-', " Start of Avi RIFF "));

  ReportWriter writer(report, keepGoing);
  const RiffWalkOutcome outcome = WalkRiff(file, writer);
  report.cancelled = outcome.cancelled || writer.cancelled();
  report.unexpectedEnd = outcome.unexpected_end && !report.cancelled;

  lines.emplace_back();
  if (report.cancelled) {
    lines.push_back(ReportBanner("", '-', "Canceled by user"));
    lines.emplace_back();
  } else if (report.unexpectedEnd) {
    lines.push_back(ReportBanner("", ' ', "Unexpected end"));
    lines.emplace_back();
  }
  lines.push_back(ReportBanner("", '-', " End of Header "));
  lines.push_back(ReportBanner("", ' ', std::filesystem::absolute(path).lexically_normal().string()));
  lines.emplace_back();
  lines.push_back(rule);
  return report;
}

void SaveRiffReport(const std::vector<std::string>& lines, const std::filesystem::path& target) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  if (const int why = settings::ReplaceFile(target, text); why != 0)
    throw FileError(resources::Fill(resources::Text::kCannotWriteFile, {target.string(), std::strerror(why)}));
}

std::filesystem::path RiffReportLogPath(const std::filesystem::path& analysed) {
  std::filesystem::path log = analysed;
  log.replace_extension(".log");
  return log;
}

RiffReportStamp CurrentRiffReportStamp() {
  RiffReportStamp stamp;
  stamp.now = settings::LocalNow();
  stamp.locale = settings::SystemLocaleFormats();
  stamp.program = std::string(resources::kProductName);
  stamp.maker = std::string(resources::kMakerName);
  stamp.version = std::string(resources::kProductVersion);
  stamp.webAddress = std::string(resources::kMakerWebAddress);
  return stamp;
}

}  // namespace korvid::media
