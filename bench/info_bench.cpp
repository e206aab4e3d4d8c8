// Reads the information of 1,000 DV AVI files with `korvid --info` and with
// mediainfo, both over the same folder in one process each, cache warm,
// and prints files per second for both and their ratio.
//
//   info_bench [files] [korvid binary]   (defaults: 1000, ../src/korvid beside this program)

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "sample_clip.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs argv with its output thrown away; the exit status, or -1. Adds the
// child's processor time (user and system) to `cpu_seconds`.
int RunQuietly(const std::vector<std::string>& argv, double& cpu_seconds) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return -1;
  cpu_seconds += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Best of three runs, wall time and processor time, in seconds; negative
// when the program failed.
struct Times {
  double wall = 1e30;
  double cpu = 1e30;
};
Times TimeRuns(const std::vector<std::string>& argv) {
  Times best;
  for (int run = 0; run < 3; ++run) {
    double cpu = 0;
    const auto start = Clock::now();
    if (RunQuietly(argv, cpu) != 0) return {-1, -1};
    best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - start).count());
    best.cpu = std::min(best.cpu, cpu);
  }
  return best;
}

fs::path DefaultKorvid() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return self.parent_path().parent_path() / "src" / "korvid";
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  const fs::path korvid = argc > 2 ? fs::path(argv[2]) : DefaultKorvid();
  if (count <= 0 || !fs::exists(korvid)) {
    std::fprintf(stderr, "usage: info_bench [files] [korvid binary]; %s not found\n", korvid.c_str());
    return 2;
  }

  const fs::path work = fs::temp_directory_path() / ("korvid-info-bench-" + std::to_string(::getpid()));
  const fs::path clips = work / "clips";
  const fs::path files = work / "files";
  fs::create_directories(files);
  std::vector<fs::path> dv;
  for (const fs::path& clip : korvid::samples::WriteStandardSamples(clips)) {
    const std::string name = clip.filename().string();
    if (name != korvid::samples::kMjpegClipName && name != korvid::samples::kAudioOnlyClipName) dv.push_back(clip);
  }
  for (int i = 0; i < count; ++i) {
    const fs::path target = files / ("clip_" + std::to_string(i) + ".avi");
    std::error_code error;
    fs::create_hard_link(dv[static_cast<std::size_t>(i) % dv.size()], target, error);
    if (error) fs::copy_file(dv[static_cast<std::size_t>(i) % dv.size()], target);
  }

  const Times korvid_times = TimeRuns({korvid.string(), "--info", "--json", files.string()});
  const Times mediainfo_times = TimeRuns({"mediainfo", "--Output=JSON", files.string()});
  const double korvid_seconds = korvid_times.wall;
  const double mediainfo_seconds = mediainfo_times.wall;
  fs::remove_all(work);
  if (korvid_seconds < 0 || mediainfo_seconds < 0) {
    std::fprintf(stderr, "a run failed (korvid %.3f s, mediainfo %.3f s)\n", korvid_seconds, mediainfo_seconds);
    return 1;
  }
  const double korvid_rate = count / korvid_seconds;
  const double mediainfo_rate = count / mediainfo_seconds;
  std::printf("%d DV AVI files, best of 3 warm runs\n", count);
  std::printf("korvid --info --json: %8.3f s  %10.0f files/s  %8.3f s processor\n", korvid_seconds, korvid_rate,
              korvid_times.cpu);
  std::printf("mediainfo:            %8.3f s  %10.0f files/s  %8.3f s processor\n", mediainfo_seconds,
              mediainfo_rate, mediainfo_times.cpu);
  std::printf("ratio: %.1f times the files per second of mediainfo (goal: 40); processor time %.1f times less\n",
              korvid_rate / mediainfo_rate, mediainfo_times.cpu / korvid_times.cpu);
  return 0;
}
