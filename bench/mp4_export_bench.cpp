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

#include "graphs/mp4_export_job.h"
#include "graphs/square_pixel_filter.h"
#include "sample_clip.h"
#include "settings/date_time_format.h"

namespace {

namespace fs = std::filesystem;

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Shell(const std::string& command) {
  if (std::system(command.c_str()) == 0) return true;
  std::fprintf(stderr, "failed: %s\n", command.c_str());
  return false;
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

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
  Shell("cat " + Q(dir / "pal.avi") + " > /dev/null");

  const std::string chain = korvid::graphs::SquarePixelChain(korvid::media::DvSystem::k625_50, false);
  const double theirs = Seconds([&] {
    Shell("ffmpeg -v error -y -i " + Q(dir / "pal.avi") + " -vf '" + chain +
          "' -c:v libx264 -preset medium -crf " + std::to_string(kQuality) +
          " -c:a aac -b:a 192k -ar 48000 -movflags +faststart " + Q(dir / "ff.mp4"));
  });

  const double ours = Seconds([&] {
    korvid::graphs::Mp4ExportJob job(dir / "pal.avi", dir / "ours.mp4",
                                     {kQuality, "yyyy/mm/dd hh:nn:ss", korvid::settings::EnglishLocaleFormats(),
                                      1123930931});
    korvid::graphs::JobProgress progress;
    job.Run(progress);
  });
  std::printf("%d frames (%s): korvid %.2f s (%.1f fps, %ju bytes)   ffmpeg %.2f s (%.1f fps, %ju bytes)   "
              "ratio %.2f\n",
              spec.frames, chain.c_str(), ours, spec.frames / ours,
              static_cast<std::uintmax_t>(fs::file_size(dir / "ours.mp4")), theirs, spec.frames / theirs,
              static_cast<std::uintmax_t>(fs::file_size(dir / "ff.mp4")), ours / theirs);
  fs::remove_all(dir);
  return 0;
}
