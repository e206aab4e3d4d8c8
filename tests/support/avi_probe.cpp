#include "support/avi_probe.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <cstdio>
#include <stdexcept>
#include <sys/wait.h>

#include "media/le_bytes.h"
#include "support/test_env.h"

namespace korvid::test {
namespace {

using media::LoadLE32;
using media::LoadLE64;

std::string Text(const QJsonObject& o, const char* key) { return o.value(key).toString().toStdString(); }

QJsonObject JsonOf(const std::string& text) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// Calls visit(code, data_offset, size) for the chunks of [begin, end).
template <typename Visit>
void ForEachChunk(const std::vector<std::uint8_t>& f, std::uint64_t begin, std::uint64_t end, Visit&& visit) {
  std::uint64_t at = begin;
  while (at + 8 <= end && at + 8 <= f.size()) {
    const std::uint32_t code = LoadLE32(f.data() + at);
    const std::uint32_t size = LoadLE32(f.data() + at + 4);
    if (!visit(code, at + 8, size)) return;
    at += 8 + size + (size & 1);
  }
}

// The strl list of stream `stream`: its data range.
std::pair<std::uint64_t, std::uint64_t> StreamList(const std::vector<std::uint8_t>& f, std::size_t stream) {
  if (f.size() < 24) throw std::runtime_error("not a RIFF file");
  std::pair<std::uint64_t, std::uint64_t> found{0, 0};
  ForEachChunk(f, 12, f.size(), [&](std::uint32_t code, std::uint64_t data, std::uint32_t size) {
    if (code != media::FourCC("LIST") || LoadLE32(f.data() + data) != media::FourCC("hdrl")) return true;
    std::size_t n = 0;
    ForEachChunk(f, data + 4, data + size, [&](std::uint32_t c, std::uint64_t d, std::uint32_t s) {
      if (c == media::FourCC("LIST") && LoadLE32(f.data() + d) == media::FourCC("strl") && n++ == stream) {
        found = {d + 4, d + s};
        return false;
      }
      return true;
    });
    return false;
  });
  if (found.second == 0) throw std::runtime_error("no stream list " + std::to_string(stream));
  return found;
}

std::pair<std::uint64_t, std::uint32_t> FindInStream(const std::vector<std::uint8_t>& f, std::size_t stream,
                                                     std::uint32_t wanted) {
  const auto [begin, end] = StreamList(f, stream);
  std::pair<std::uint64_t, std::uint32_t> found{0, 0};
  ForEachChunk(f, begin, end, [&](std::uint32_t code, std::uint64_t data, std::uint32_t size) {
    if (code != wanted) return true;
    found = {data, size};
    return false;
  });
  if (found.first == 0) throw std::runtime_error("stream " + std::to_string(stream) + " lacks " + media::FourCCText(wanted));
  return found;
}

}  // namespace

std::string Quoted(const std::filesystem::path& path) {
  std::string out = "'";
  for (char c : path.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

ShellResult RunShell(const std::string& command_line) {
  const CommandResult r = RunCommand({"sh", "-c", command_line + " 2>&1"});
  return ShellResult{r.exit_code, r.output};
}

std::optional<ProbedFile> ProbeFile(const std::filesystem::path& path) {
  const CommandResult r = RunCommand({"ffprobe", "-v", "error", "-count_frames", "-show_streams", "-show_format",
                                      "-of", "json", path.string()});
  if (r.exit_code != 0) return std::nullopt;
  const QJsonObject root = JsonOf(r.output);
  ProbedFile file;
  file.format_name = Text(root.value("format").toObject(), "format_name");
  for (const QJsonValue& v : root.value("streams").toArray()) {
    const QJsonObject s = v.toObject();
    ProbedStream p;
    p.codec_type = Text(s, "codec_type");
    p.codec_name = Text(s, "codec_name");
    p.codec_tag = Text(s, "codec_tag_string");
    p.width = s.value("width").toInt();
    p.height = s.value("height").toInt();
    p.frame_rate = Text(s, "r_frame_rate");
    p.display_aspect = Text(s, "display_aspect_ratio");
    p.sample_rate = std::stoi("0" + Text(s, "sample_rate"));
    p.channels = s.value("channels").toInt();
    p.read_frames = std::stoll("0" + Text(s, "nb_read_frames"));
    file.streams.push_back(p);
  }
  return file;
}

std::vector<std::uint8_t> ExtractStream(const std::filesystem::path& path, const std::string& spec,
                                        const std::string& raw_format) {
  // Its own folder: tests running at once extract from the same shared clips.
  const TempDir dir;
  const std::filesystem::path out = dir / ("stream." + raw_format);
  const ShellResult r = RunShell("ffmpeg -nostdin -v error -y -i " + Quoted(path) + " -map 0:" + spec +
                                 " -c copy -f " + raw_format + " " + Quoted(out));
  if (r.exit_code != 0 || !r.output.empty()) throw std::runtime_error("ffmpeg could not extract: " + r.output);
  return ReadWholeFile(out);
}

std::optional<MediaInfoSummary> ReadMediaInfo(const std::filesystem::path& path) {
  const CommandResult r = RunCommand({"mediainfo", "--Output=JSON", path.string()});
  if (r.exit_code != 0) return std::nullopt;
  MediaInfoSummary m;
  for (const QJsonValue& v : JsonOf(r.output).value("media").toObject().value("track").toArray()) {
    const QJsonObject t = v.toObject();
    if (Text(t, "@type") == "General") {
      m.format = Text(t, "Format");
      m.format_profile = Text(t, "Format_Profile");
    } else if (Text(t, "@type") == "Video" && m.video_format.empty()) {
      m.video_format = Text(t, "Format");
      m.video_frames = Text(t, "FrameCount");
    }
  }
  return m;
}

std::vector<std::string> TopLevelForms(const std::vector<std::uint8_t>& f) {
  std::vector<std::string> forms;
  ForEachChunk(f, 0, f.size(), [&](std::uint32_t code, std::uint64_t data, std::uint32_t) {
    std::string name = media::FourCCText(code);
    if (data + 4 <= f.size()) name += " " + media::FourCCText(LoadLE32(f.data() + data));
    forms.push_back(name);
    return true;
  });
  return forms;
}

std::vector<IndexedData> OpenDmlIndex(const std::vector<std::uint8_t>& f, std::size_t stream) {
  const auto [indx, indx_size] = FindInStream(f, stream, media::FourCC("indx"));
  const std::uint32_t in_use = LoadLE32(f.data() + indx + 4);
  if (24 + std::uint64_t{in_use} * 16 > indx_size) throw std::runtime_error("super index overflows its chunk");
  std::vector<IndexedData> out;
  for (std::uint32_t i = 0; i < in_use; ++i) {
    const std::uint64_t ix = LoadLE64(f.data() + indx + 24 + 16 * i);
    if (ix + 32 > f.size()) throw std::runtime_error("standard index past the end");
    const std::uint32_t entries = LoadLE32(f.data() + ix + 12);
    const std::uint64_t base = LoadLE64(f.data() + ix + 20);
    for (std::uint32_t e = 0; e < entries; ++e) {
      const std::uint8_t* p = f.data() + ix + 32 + 8 * e;
      out.push_back(IndexedData{base + LoadLE32(p), LoadLE32(p + 4) & 0x7FFFFFFFu});
    }
  }
  return out;
}

std::vector<std::uint8_t> StreamFormat(const std::vector<std::uint8_t>& f, std::size_t stream) {
  const auto [strf, size] = FindInStream(f, stream, media::FourCC("strf"));
  return {f.begin() + static_cast<std::ptrdiff_t>(strf), f.begin() + static_cast<std::ptrdiff_t>(strf + size)};
}

}  // namespace korvid::test
