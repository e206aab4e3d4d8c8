#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "graphs/ffmpeg_log.h"
#include "support/test_env.h"

extern "C" {
#include <libavutil/log.h>
}

namespace korvid::graphs {
namespace {

std::string Text(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = test::ReadWholeFile(path);
  return {bytes.begin(), bytes.end()};
}

// FFmpeg's complaints land in the log, one line each, and none on the
// terminal; chatter below warnings is not kept.
TEST(FfmpegLog, MessagesGoToTheLogAndNeverToStandardError) {
  const test::TempDir dir;
  const auto log = dir / "state" / "Korvid" / "korvid.log";
  const auto terminal = dir / "stderr.txt";
  SendFfmpegMessagesTo(log);

  const int saved = ::dup(STDERR_FILENO);
  const int capture = ::open(terminal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(saved, 0);
  ASSERT_GE(capture, 0);
  ::dup2(capture, STDERR_FILENO);
  for (int k = 0; k < 3; ++k) av_log(nullptr, AV_LOG_ERROR, "concealing %d errors\n", 100 + k);
  av_log(nullptr, AV_LOG_WARNING, "odd marker\n");
  av_log(nullptr, AV_LOG_INFO, "just saying\n");
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  ::close(capture);

  EXPECT_EQ(Text(terminal), "");
  EXPECT_EQ(Text(log), "concealing 100 errors\nconcealing 101 errors\nconcealing 102 errors\nodd marker\n");
}

}  // namespace
}  // namespace korvid::graphs
