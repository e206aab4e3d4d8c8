// Unattended runs over folders of many small files: `korvid +h +b` and
// `korvid +h +s` over 1,000, 3,000 and 10,000 two-frame clips (hard links to
// one clip, so the disk holds one), and `korvid --info` over the largest
// folder as the cost of merely reading them. Prints wall seconds and the
// peak memory of each run: both should grow with the count, no faster.
//
//   list_scaling_bench [counts...] [--korvid BINARY]   (defaults: 1000 3000 10000,
//                                                       ../src/korvid beside this program)

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;
using korvid::bench::Clock;

struct RunFigures {
  bool ok = false;
  double seconds = 0;
  long peakKib = 0;
};

RunFigures Run(const std::vector<std::string>& argv, const fs::path& home) {
  RunFigures figures;
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return figures;
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return figures;
  figures.seconds = korvid::bench::SecondsSince(start);
  figures.peakKib = usage.ru_maxrss;
  // A run over files of which some fail still ran over all of them.
  figures.ok = WIFEXITED(status) && WEXITSTATUS(status) <= 1;
  return figures;
}

void Print(const char* what, int count, const RunFigures& figures) {
  if (!figures.ok) {
    std::printf("%-14s %6d files: failed\n", what, count);
    return;
  }
  std::printf("%-14s %6d files: %8.2f s  %8.1f us/file  peak %6.1f MB\n", what, count, figures.seconds,
              1e6 * figures.seconds / count, static_cast<double>(figures.peakKib) / 1024.0);
}

fs::path DefaultKorvid() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return self.parent_path().parent_path() / "src" / "korvid";
}

// `count` links to `clip` in a fresh folder.
fs::path Folder(const fs::path& work, const fs::path& clip, int count) {
  const fs::path folder = work / ("files_" + std::to_string(count));
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    const fs::path target = folder / ("clip_" + std::to_string(i) + ".avi");
    std::error_code error;
    fs::create_hard_link(clip, target, error);
    if (error) fs::copy_file(clip, target);
  }
  return folder;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  fs::path korvid = DefaultKorvid();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--korvid" && i + 1 < argc)
      korvid = argv[++i];
    else if (std::atoi(arg.c_str()) > 0)
      counts.push_back(std::atoi(arg.c_str()));
  }
  if (counts.empty()) counts = {1000, 3000, 10000};
  if (!fs::exists(korvid)) {
    std::fprintf(stderr, "usage: list_scaling_bench [counts...] [--korvid BINARY]; %s not found\n",
                 korvid.c_str());
    return 2;
  }

  const fs::path work = fs::temp_directory_path() / ("korvid-list-bench-" + std::to_string(::getpid()));
  const fs::path home = work / "home";
  fs::create_directories(home);
  korvid::samples::DvClipSpec spec;
  spec.frames = 2;
  const fs::path clip = work / "clip.avi";
  korvid::samples::WriteDvClip(clip, spec);

  for (const int count : counts) {
    const fs::path folder = Folder(work, clip, count);
    Print("--info", count, Run({korvid.string(), "--info", folder.string()}, home));
    Print("+h +b", count, Run({korvid.string(), "+h", "+b", folder.string()}, home));
    Print("+h +s", count, Run({korvid.string(), "+h", "+s", folder.string()}, home));
    fs::remove_all(folder);
  }
  fs::remove_all(work);
  return 0;
}
