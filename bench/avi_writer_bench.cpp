// Writes a DV type-2 file from frames held in memory and compares the rate
// with copying a file of the same size with cp, so the writer's own cost
// shows against what the disk allows.
//
//   avi_writer_bench [frames] [folder]     (defaults: 3000 frames, the temp folder)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "media/avi_writer.h"
#include "bench_support.h"

namespace {

using korvid::bench::SecondsSince;

using Clock = std::chrono::steady_clock;
using korvid::media::AviWriter;
using korvid::media::DvSystem;
using korvid::media::FrameBytes;

// Enough of a frame for the writer's checks: a PAL header block and varied bytes.
std::vector<std::uint8_t> FakePalFrame(std::size_t n) {
  std::vector<std::uint8_t> frame(FrameBytes(DvSystem::k625_50));
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 7 + n);
  frame[0] = 0x1F;
  frame[3] = 0x80;
  return frame;
}

bool Copy(const std::filesystem::path& from, const std::filesystem::path& to) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execlp("cp", "cp", from.c_str(), to.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t frames = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 3000;
  const std::filesystem::path folder = argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
  const auto avi = folder / "korvid-bench-writer.avi";
  const auto copy = folder / "korvid-bench-copy.avi";

  std::vector<std::vector<std::uint8_t>> pool;
  for (std::size_t n = 0; n < 25; ++n) pool.push_back(FakePalFrame(n));
  const std::vector<std::uint8_t> pcm(1920 * 4, 0x11);

  try {
    auto start = Clock::now();
    {
      auto writer = AviWriter::CreateType2(avi, {DvSystem::k625_50, false}, {korvid::media::AviAudioFormat{}});
      for (std::size_t n = 0; n < frames; ++n) {
        writer.WriteVideoFrame(pool[n % pool.size()]);
        writer.WriteAudio(0, pcm);
      }
      writer.Close();
    }
    const double write_s = SecondsSince(start);
    const double mb = static_cast<double>(std::filesystem::file_size(avi)) / 1e6;

    start = Clock::now();
    const bool copied = Copy(avi, copy);
    const double copy_s = SecondsSince(start);

    std::printf("AVI writer: %zu PAL frames, %.1f MB in %.3f s: %.1f MB/s\n", frames, mb, write_s, mb / write_s);
    if (copied)
      std::printf("cp of the same file:               %.3f s: %.1f MB/s\n", copy_s, mb / copy_s);
    else
      std::printf("cp failed\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "benchmark failed: %s\n", e.what());
  }
  std::error_code ignored;
  std::filesystem::remove(avi, ignored);
  std::filesystem::remove(copy, ignored);
  return 0;
}
