// Conversion speed against anchors run in the same process on the same
// generated files: DV type 1 to type 2 against "ffmpeg -c copy" and cp,
// PAL to NTSC against an ffmpeg command that decodes, deinterlaces,
// scales, converts the rate and encodes DV.
//
// Usage: conversion_bench [copy_seconds] [reencode_seconds]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "graphs/dv_type_jobs.h"
#include "graphs/standard_conversion_job.h"
#include "sample_clip.h"
#include "bench_support.h"

namespace {

using korvid::bench::Quoted;
using korvid::bench::Seconds;

namespace fs = std::filesystem;
using korvid::graphs::JobProgress;

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

void Report(const char* what, double ours, const char* anchor, double theirs) {
  std::printf("%-28s korvid %7.3f s   %-22s %7.3f s   ratio %.2f\n", what, ours, anchor, theirs, ours / theirs);
}

}  // namespace

int main(int argc, char** argv) {
  const int copy_seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const int reencode_seconds = argc > 2 ? std::atoi(argv[2]) : 10;
  const fs::path dir = fs::temp_directory_path() / "korvid-conversion-bench";
  fs::create_directories(dir);

  korvid::samples::DvClipSpec copy_spec;
  copy_spec.file_name = "copy.avi";
  copy_spec.dv_type = 1;
  copy_spec.frames = copy_seconds * 25;
  copy_spec.distinct_pictures = 25;
  korvid::samples::WriteDvClip(dir / "copy.avi", copy_spec);

  // Warm the page cache the same way for every contender, with no other
  // writes pending: each contender flushes its own output only.
  Shell("sync; cat " + Quoted(dir / "copy.avi") + " > /dev/null");
  const double cp = Seconds([&] {
    Shell("cp " + Quoted(dir / "copy.avi") + " " + Quoted(dir / "cp.avi") + " && sync " + Quoted(dir / "cp.avi"));
  });
  const double ffcopy = Seconds([&] {
    Shell("ffmpeg -v error -y -i " + Quoted(dir / "copy.avi") + " -map 0 -c copy " + Quoted(dir / "ff_copy.avi") +
          " && sync " + Quoted(dir / "ff_copy.avi"));
  });
  const double ours = Seconds([&] {
    korvid::graphs::Type1To2Job job(dir / "copy.avi", dir / "ours_type2.avi");
    JobProgress progress;
    job.Run(progress);
    Shell("sync " + Quoted(dir / "ours_type2.avi"));
  });
  Report("type 1 -> type 2", ours, "ffmpeg -c copy", ffcopy);
  Report("type 1 -> type 2", ours, "cp", cp);

  korvid::samples::DvClipSpec pal_spec;
  pal_spec.file_name = "pal.avi";
  pal_spec.dv_type = 2;
  pal_spec.frames = reencode_seconds * 25;
  korvid::samples::WriteDvClip(dir / "pal.avi", pal_spec);
  const double ffntsc = Seconds([&] {
    Shell("ffmpeg -v error -y -i " + Quoted(dir / "pal.avi") +
          " -vf yadif,scale=720:480,fps=30000/1001 -pix_fmt yuv411p -c:v dvvideo -c:a pcm_s16le -ar 48000 " +
          Quoted(dir / "ff_ntsc.avi"));
  });
  const double ntsc = Seconds([&] {
    korvid::graphs::StandardConversionJob job(dir / "pal.avi", dir / "ours_ntsc.avi",
                                              korvid::media::DvSystem::k525_60, std::nullopt);
    JobProgress progress;
    job.Run(progress);
  });
  Report("PAL -> NTSC", ntsc, "ffmpeg yadif+scale+fps", ffntsc);

  fs::remove_all(dir);
  return 0;
}
