#pragma once
// What the benchmarks share: clocks, medians and running the tools they are
// measured against.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "sample_clip.h"

namespace korvid::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Wall seconds `work` takes.
inline double Seconds(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return SecondsSince(start);
}

// User and system seconds of this process (RUSAGE_SELF) or of its waited-for
// children (RUSAGE_CHILDREN).
inline double CpuSeconds(int who) {
  rusage usage{};
  ::getrusage(who, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The clip named on the command line, or a ten-minute PAL clip written once
// to /tmp/long.avi and kept for the next run.
inline std::filesystem::path LongClip(int argc, char** argv) {
  const std::filesystem::path path = argc > 1 ? argv[1] : "/tmp/long.avi";
  if (std::filesystem::exists(path)) return path;
  samples::DvClipSpec spec;
  spec.distinct_pictures = 25;
  spec.frames = 600 * 25;
  std::printf("writing %s (%d frames)...\n", path.c_str(), spec.frames);
  samples::WriteDvClip(path, spec);
  return path;
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs a program with its output silenced; true when it exits with 0.
// Arguments go straight to exec, so no path needs quoting.
inline bool RunQuietly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::fflush(stdout);  // or the child would print what is still buffered
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr || std::freopen("/dev/null", "w", stderr) == nullptr)
      ::_exit(126);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// ffmpeg reading every video frame of `clip` without decoding it.
inline bool FfmpegReadsVideo(const std::filesystem::path& clip) {
  return RunQuietly({"ffmpeg", "-v", "error", "-nostdin", "-i", clip.string(), "-map", "0:v", "-c", "copy", "-f",
                     "null", "-"});
}

inline bool Shell(const std::string& command) {
  if (std::system(command.c_str()) == 0) return true;
  std::fprintf(stderr, "failed: %s\n", command.c_str());
  return false;
}

inline std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace korvid::bench
