#include "commands/clock_correction_commands.h"

#include <algorithm>
#include <cstdio>

#include "graphs/header_rewrite_job.h"
#include "graphs/scene_scan.h"
#include "media/clock_correction.h"
#include "media/datecode_shift.h"

namespace korvid::commands {
namespace {

// Frames looked at from either end for a datecode to preview.
constexpr std::int64_t kPreviewLook = 250;

std::optional<media::TDatecode> DatecodeNear(graphs::SceneFrameReader& reader, std::int64_t from, int step) {
  const auto count = static_cast<std::int64_t>(reader.FrameCount());
  for (std::int64_t k = from, looked = 0; k >= 0 && k < count && looked < kPreviewLook; k += step, ++looked) {
    try {
      const graphs::FramePacks packs = reader.Read(static_cast<std::size_t>(k));
      if (media::IsCalendarDatecode(packs.datecode)) return packs.datecode;
    } catch (const media::FileError&) {
      // An unreadable frame: the next one may do.
    }
  }
  return std::nullopt;
}

std::optional<media::TDatecode> Moved(const std::optional<media::TDatecode>& dc, std::int64_t seconds) {
  if (!dc) return std::nullopt;
  return media::MoveDatecode(*dc, seconds);
}

}  // namespace

std::string PreviewText(const std::optional<media::TDatecode>& dc) {
  if (!dc) return "none";
  char text[48] = {};
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", dc->year, dc->month, dc->day, dc->hour, dc->minute,
                dc->second);
  return text;
}

std::string ClockCorrectionSuffix(std::int64_t seconds) { return "_clock" + media::ClockOffsetText(seconds) + ".avi"; }

std::unique_ptr<graphs::ConversionJob> MakeClockCorrectionJob(const std::filesystem::path& source,
                                                              const std::filesystem::path& output,
                                                              std::int64_t seconds, std::int64_t fromFrame) {
  if (fromFrame < 0) throw media::ClockOffsetError("the first frame to correct cannot be negative");
  auto job = std::make_unique<graphs::HeaderRewriteJob>(
      source, output, [seconds, fromFrame](std::size_t k, std::span<std::uint8_t> frame) {
        if (static_cast<std::int64_t>(k) >= fromFrame) media::CorrectFrameClock(frame, seconds);
      });
  return job;
}

ClockPreview PreviewClockCorrection(const std::filesystem::path& source, std::int64_t seconds,
                                    std::int64_t fromFrame) {
  graphs::SceneFrameReader reader(source);
  ClockPreview preview;
  preview.frames = static_cast<std::int64_t>(reader.FrameCount());
  if (fromFrame < 0 || fromFrame >= preview.frames) return preview;
  preview.firstBefore = DatecodeNear(reader, fromFrame, 1);
  preview.lastBefore = DatecodeNear(reader, preview.frames - 1, -1);
  preview.firstAfter = Moved(preview.firstBefore, seconds);
  preview.lastAfter = Moved(preview.lastBefore, seconds);
  return preview;
}

void CorrectClockFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  visible = entry.isDV;
  enabled = entry.isDV;
}

TchUpdateType CorrectClockExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                    ClockCorrectionServices& services) {
  newfichier.clear();
  if (!services.chooser.Choose(entry, services.state)) return utNone;
  const std::int64_t seconds = media::ParseClockOffset(services.state.offsetText);
  const std::int64_t first = services.state.fromFrame;
  if (first < 0 || (entry.frames > 0 && static_cast<std::uint64_t>(first) >= entry.frames))
    throw media::ClockOffsetError("frame " + std::to_string(services.state.fromFrame) + " is past the end of " +
                                  entry.name);
  const std::filesystem::path output =
      ConversionOutputPath(entry.fullName, ClockCorrectionSuffix(seconds), services.conversion.preferences);
  const std::int64_t from = services.state.fromFrame;
  RunConversion(services.conversion, [&] { return MakeClockCorrectionJob(entry.fullName, output, seconds, from); });
  std::error_code missing;
  if (!std::filesystem::exists(output, missing)) return utNone;  // stopped: nothing was written
  newfichier = output.string();
  return utAdd;
}

}  // namespace korvid::commands
