// MP4 export speed against the ffmpeg command line doing the same work on
// the same generated PAL clip in the same run: field-rate deinterlacing,
// the active picture scaled to square pixels, libx264 (medium, the same
// quality number), AAC at the same rate. Both leave x264 and the filters
// their own thread counts.
//
// Usage: mp4_export_bench [seconds]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>

#include "graphs/mp4_export_job.h"
#include "graphs/square_pixel_filter.h"
#include "sample_clip.h"
#include "settings/date_time_format.h"
#include "bench_support.h"

namespace {

using korvid::bench::CpuSeconds;
using korvid::bench::Quoted;
using korvid::bench::Seconds;
using korvid::bench::Shell;

namespace fs = std::filesystem;

struct Cost {
  double wall = 0;
  double cpu = 0;  // user and system, of this process or of its children
};

// On a shared machine the wall time depends on the other load; the CPU
// time says how much work each side did.
Cost Measure(int who, const std::function<void()>& work) {
  const double cpu = CpuSeconds(who);
  const double wall = Seconds(work);
  return {wall, CpuSeconds(who) - cpu};
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  constexpr int kQuality = 20;
  const fs::path dir = fs::temp_directory_path() / "korvid-mp4-bench";
  fs::create_directories(dir);

  korvid::samples::DvClipSpec spec;
  spec.file_name = "pal.avi";
  spec.dv_type = 2;
  spec.frames = seconds * 25;
  korvid::samples::WriteDvClip(dir / "pal.avi", spec);
  Shell("cat " + Quoted(dir / "pal.avi") + " > /dev/null");

  const std::string chain = korvid::graphs::SquarePixelChain(korvid::media::DvSystem::k625_50, false);
  const Cost theirs = Measure(RUSAGE_CHILDREN, [&] {
    Shell("ffmpeg -v error -y -i " + Quoted(dir / "pal.avi") + " -vf '" + chain +
          "' -c:v libx264 -preset medium -crf " + std::to_string(kQuality) +
          " -c:a aac -b:a 192k -ar 48000 -movflags +faststart " + Quoted(dir / "ff.mp4"));
  });

  const Cost ours = Measure(RUSAGE_SELF, [&] {
    korvid::graphs::Mp4ExportJob job(dir / "pal.avi", dir / "ours.mp4",
                                     {kQuality, "yyyy/mm/dd hh:nn:ss", korvid::settings::EnglishLocaleFormats(),
                                      1123930931, {}});
    korvid::graphs::JobProgress progress;
    job.Run(progress);
  });
  std::printf("%d frames, %s\n", spec.frames, chain.c_str());
  std::printf("korvid: %.2f s wall (%.1f fps), %.2f s CPU, %ju bytes\n", ours.wall, spec.frames / ours.wall,
              ours.cpu, static_cast<std::uintmax_t>(fs::file_size(dir / "ours.mp4")));
  std::printf("ffmpeg: %.2f s wall (%.1f fps), %.2f s CPU, %ju bytes\n", theirs.wall, spec.frames / theirs.wall,
              theirs.cpu, static_cast<std::uintmax_t>(fs::file_size(dir / "ff.mp4")));
  std::printf("ratio korvid/ffmpeg: wall %.2f, CPU %.2f\n", ours.wall / theirs.wall, ours.cpu / theirs.cpu);
  fs::remove_all(dir);
  return 0;
}
