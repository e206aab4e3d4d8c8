// Reads the information of 1,000 DV AVI files with `korvid --info` and with
// mediainfo, both over the same folder in one process each, cache warm,
// and prints files per second for both and their ratio.
//
//   info_bench [files] [korvid binary]   (defaults: 1000, ../src/korvid beside this program)

#include <fcntl.h>
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

// Runs argv with its output thrown away; the exit status, or -1.
int RunQuietly(const std::vector<std::string>& argv) {
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
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Best of three runs, in seconds; negative when the program failed.
double TimeRuns(const std::vector<std::string>& argv) {
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    if (RunQuietly(argv) != 0) return -1;
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
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

  const double korvid_seconds = TimeRuns({korvid.string(), "--info", "--json", files.string()});
  const double mediainfo_seconds = TimeRuns({"mediainfo", "--Output=JSON", files.string()});
  fs::remove_all(work);
  if (korvid_seconds < 0 || mediainfo_seconds < 0) {
    std::fprintf(stderr, "a run failed (korvid %.3f s, mediainfo %.3f s)\n", korvid_seconds, mediainfo_seconds);
    return 1;
  }
  const double korvid_rate = count / korvid_seconds;
  const double mediainfo_rate = count / mediainfo_seconds;
  std::printf("%d DV AVI files, best of 3 warm runs\n", count);
  std::printf("korvid --info --json: %8.3f s  %10.0f files/s\n", korvid_seconds, korvid_rate);
  std::printf("mediainfo:            %8.3f s  %10.0f files/s\n", mediainfo_seconds, mediainfo_rate);
  std::printf("ratio: %.1f times the files per second of mediainfo (goal: 40)\n", korvid_rate / mediainfo_rate);
  return 0;
}
