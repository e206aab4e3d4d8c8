#pragma once
// Independent looks at AVI files for tests: what ffprobe, ffmpeg and
// mediainfo make of them, and a small walker over the file's own chunks
// and indexes.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvid::test {

struct ProbedStream {
  std::string codec_type;  // "video", "audio"
  std::string codec_name;  // "dvvideo", "pcm_s16le"
  std::string codec_tag;   // "dvsd"
  int width = 0;
  int height = 0;
  std::string frame_rate;  // r_frame_rate, "25/1"
  std::string display_aspect;
  int sample_rate = 0;
  int channels = 0;
  long long read_frames = -1;  // from -count_frames
};

struct ProbedFile {
  std::string format_name;
  std::vector<ProbedStream> streams;
};

// ffprobe -count_frames; nothing when ffprobe fails or prints an error.
std::optional<ProbedFile> ProbeFile(const std::filesystem::path& path);

// Runs a shell command line and returns its exit code and everything it
// printed, standard error included.
struct ShellResult {
  int exit_code = -1;
  std::string output;
};
ShellResult RunShell(const std::string& command_line);
std::string Quoted(const std::filesystem::path& path);

// The packets of one stream (ffmpeg "-map 0:<spec> -c copy"), concatenated.
std::vector<std::uint8_t> ExtractStream(const std::filesystem::path& path, const std::string& spec,
                                        const std::string& raw_format);

// mediainfo's General "Format" and "Format_Profile" (OpenDML once the file
// has AVIX parts), the first video track's "Format" and "FrameCount".
struct MediaInfoSummary {
  std::string format;
  std::string format_profile;
  std::string video_format;
  std::string video_frames;
};
std::optional<MediaInfoSummary> ReadMediaInfo(const std::filesystem::path& path);

// The top-level chunks of a RIFF file: code and form type.
std::vector<std::string> TopLevelForms(const std::vector<std::uint8_t>& file);

// Data offsets and sizes of the chunks of stream `stream`, found through
// its super index and the standard indexes it points to.
struct IndexedData {
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
};
std::vector<IndexedData> OpenDmlIndex(const std::vector<std::uint8_t>& file, std::size_t stream);
// The strf body of stream `stream`.
std::vector<std::uint8_t> StreamFormat(const std::vector<std::uint8_t>& file, std::size_t stream);

}  // namespace korvid::test
