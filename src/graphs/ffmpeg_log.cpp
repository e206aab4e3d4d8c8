#include "graphs/ffmpeg_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>

extern "C" {
#include <libavutil/log.h>
}

namespace korvid::graphs {
namespace {

// A log past this size is set aside at the next start; one run writes at
// most this much, so that a file read in a loop cannot fill the disk.
constexpr std::uint64_t kLogLimitBytes = 4u << 20;

struct LogSink {
  std::mutex mutex;
  int fd = -1;
  std::uint64_t written = 0;
  int printPrefix = 1;  // FFmpeg's own state between the parts of one line
};

LogSink& Sink() {
  static LogSink sink;
  return sink;
}

void WriteMessage(void* context, int level, const char* format, va_list arguments) {
  if (level > AV_LOG_WARNING) return;
  LogSink& sink = Sink();
  const std::lock_guard lock(sink.mutex);
  if (sink.fd < 0 || sink.written >= kLogLimitBytes) return;
  char line[1024];
  av_log_format_line2(context, level, format, arguments, line, sizeof line, &sink.printPrefix);
  const std::size_t length = std::strlen(line);
  const ssize_t done = ::write(sink.fd, line, length);
  if (done > 0) sink.written += static_cast<std::uint64_t>(done);
}

}  // namespace

std::filesystem::path DefaultLogPath() {
  const char* state = std::getenv("XDG_STATE_HOME");
  std::filesystem::path base;
  if (state != nullptr && *state == '/') {
    base = state;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".local" / "state";
  }
  return base / "Korvid" / "korvid.log";
}

void SendFfmpegMessagesTo(const std::filesystem::path& logFile) {
  std::error_code error;
  std::filesystem::create_directories(logFile.parent_path(), error);
  const std::uintmax_t size = std::filesystem::file_size(logFile, error);
  if (!error && size > kLogLimitBytes) {
    std::filesystem::path old = logFile;
    old += ".old";
    std::filesystem::rename(logFile, old, error);
  }
  LogSink& sink = Sink();
  {
    const std::lock_guard lock(sink.mutex);
    if (sink.fd >= 0) ::close(sink.fd);
    sink.fd = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    sink.written = 0;
  }
  av_log_set_callback(WriteMessage);
}

}  // namespace korvid::graphs
