#pragma once
// The two exports made by a scan of every frame: datecode subtitles (a
// SubRip file players load beside the video) and the frame log (one CSV
// row per frame). Both write beside the video or into the output folder,
// as conversions do, and run on the scene scan with its gauge and abort.

#include <filesystem>
#include <string>
#include <string_view>

#include "commands/scene_commands.h"
#include "commands/update_type.h"
#include "media/video_record.h"
#include "settings/preferences.h"

namespace korvid::commands {

inline constexpr std::string_view kSubtitlesSuffix = ".srt";
inline constexpr std::string_view kFrameLogSuffix = "_frames.csv";

struct FrameExportServices {
  // The host, abort flag, gauge pace, busy mark and datecode display format.
  SceneScanServices& scenes;
  // Where the outputs go.
  const settings::Preferences& preferences;
};

std::filesystem::path SubtitlesPath(const media::TAfficherFichier& entry, const settings::Preferences& preferences);
std::filesystem::path FrameLogPath(const media::TAfficherFichier& entry, const settings::Preferences& preferences);

std::string SubtitlesConfirmation(const media::TAfficherFichier& entry, const FrameExportServices& services);
std::string FrameLogConfirmation(const media::TAfficherFichier& entry, const FrameExportServices& services);

// Subtitles need a DV file with a datecode; the frame log any DV file.
void SubtitlesFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
void FrameLogFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);

// utNone after a run (an aborted one writes what it scanned). A file with
// nothing to scan throws CommandSkipped; failures throw their UserError and
// leave an earlier output as it was.
TchUpdateType SubtitlesExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                 FrameExportServices& services);
TchUpdateType FrameLogExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                FrameExportServices& services);

}  // namespace korvid::commands
