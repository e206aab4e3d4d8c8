// Datecode inlay speed against an ffmpeg command that does the same work
// in one process: decode DV, draw a text (drawtext, the Arial-metric
// font), encode DV, copy the sound. Same generated file, same run.
//
// Usage: inlay_bench [seconds]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "commands/inlay_commands.h"
#include "graphs/inlay_job.h"
#include "sample_clip.h"

// After the project headers: Qt's "slots" keyword macro would clash with
// a member of that name.
#include <QGuiApplication>
#include "bench_support.h"

namespace {

using korvid::bench::Quoted;
using korvid::bench::Seconds;
using korvid::bench::Shell;

namespace fs = std::filesystem;

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
  const fs::path dir = fs::temp_directory_path() / "korvid-inlay-bench";
  fs::create_directories(dir);

  korvid::samples::DvClipSpec spec;
  spec.file_name = "pal.avi";
  spec.dv_type = 2;
  spec.frames = seconds * 25;
  korvid::samples::WriteDvClip(dir / "pal.avi", spec);
  Shell("cat " + Quoted(dir / "pal.avi") + " > /dev/null");

  // The text changes every second, as a datecode does.
  const bool have_drawtext = Shell("ffmpeg -hide_banner -filters 2>/dev/null | grep -q ' drawtext '");
  const std::string draw =
      have_drawtext
          ? "drawtext=font=Arial:fontsize=25:fontcolor=white:x=36:y=490:"
            "text='%{pts\\:gmtime\\:1123930931\\:%d/%m/%Y %T}'"
          : "drawbox=x=36:y=490:w=260:h=30:color=white";
  const double theirs = Seconds([&] {
    Shell("ffmpeg -v error -y -i " + Quoted(dir / "pal.avi") + " -vf \"" + draw +
          "\" -c:v dvvideo -pix_fmt yuv420p -c:a copy " + Quoted(dir / "ff_in.avi"));
  });

  korvid::settings::Preferences preferences;
  preferences.displayDatecodeFormat = "dd/mm/yyyy hh:nn:ss";
  preferences.autoFontSize = true;
  preferences.incrustFont = {21, 0xFFFFFF, "Arial", false, false, false, false};
  preferences.inlayPositionX = 50;
  preferences.inlayPositionY = 850;
  korvid::media::TAfficherFichier entry;
  entry.fps = 25;
  const double ours = Seconds([&] {
    auto filters =
        korvid::commands::InlayFilterSettings(entry, preferences, korvid::settings::EnglishLocaleFormats());
    korvid::graphs::InlayJob job(dir / "pal.avi", dir / "ours_in.avi", 2, korvid::media::DvSystem::k625_50,
                                 std::move(filters.calenox), korvid::graphs::Layrin(std::move(filters.layrin)),
                                 std::move(filters.dixmark));
    korvid::graphs::JobProgress progress;
    job.Run(progress);
  });
  std::printf("%d frames: korvid inlay %.3f s (%.1f fps)   ffmpeg %s + dvvideo %.3f s (%.1f fps)   ratio %.2f\n",
              spec.frames, ours, spec.frames / ours, have_drawtext ? "drawtext" : "drawbox", theirs,
              spec.frames / theirs, ours / theirs);
  fs::remove_all(dir);
  return 0;
}
