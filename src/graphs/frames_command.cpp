#include "graphs/frames_command.h"

#include <atomic>
#include <optional>

#include "graphs/frame_log.h"
#include "graphs/scene_detector.h"
#include "graphs/scene_scan.h"
#include "media/named_path.h"
#include "resources/printable_text.h"
#include "settings/run_time_zone.h"

namespace korvid::graphs {
namespace {

constexpr std::size_t kWriteChunkBytes = 1 << 16;

}  // namespace

int RunFramesCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const bool json = !arguments.empty() && arguments[0] == "--json";
  const std::size_t first = json ? 1 : 0;
  if (arguments.size() != first + 1) {
    err << "korvid: --frames needs one file: korvid --frames [--json] FILE\n";
    return 2;
  }
  const std::string& path = arguments[first];
  bool folder = false;
  resources::Text fault = media::NamedPathFault(path, folder);
  if (fault == resources::Text::kCount && folder) fault = resources::Text::kNotRegularFile;
  if (fault != resources::Text::kCount) {
    err << resources::FileErrorLine(path, resources::Str(fault));
    return 1;
  }
  std::optional<SceneFrameReader> reader;
  try {
    reader.emplace(path, FrameReading::kWholeFrame);
  } catch (const SceneScanError& e) {
    err << "korvid: " << e.what() << "\n";
    return 1;
  }
  const std::optional<settings::RecordingZone> zone = settings::ZoneForThisReport(err);
  if (!zone) return 2;
  FrameLogFormatter log(reader->Rate(), json ? FrameLogStyle::kJsonLines : FrameLogStyle::kCsv, reader->FileSound(),
                        *zone);
  std::string pending = log.Header();
  SceneDetector detector;
  detector.Begin(std::nullopt, {});
  const std::atomic<bool> never{false};
  SceneScanProgress progress;
  RunSceneScan(*reader, detector, [](const DetectedScene&) {}, never, progress, [&](const ScannedFrame& frame) {
    log.Append(frame, pending);
    if (pending.size() < kWriteChunkBytes) return;
    out << pending;
    pending.clear();
  });
  out << pending;
  out.flush();
  return out ? 0 : 1;
}

}  // namespace korvid::graphs
