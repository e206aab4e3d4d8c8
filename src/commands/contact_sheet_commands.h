#pragma once
// "Make a contact sheet": a scan of every frame (read whole, for the
// damage in its blocks) and then the chosen stills, drawn into PNG pages
// written beside the video or into the output folder.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "commands/frame_export_commands.h"
#include "commands/update_type.h"
#include "media/video_record.h"
#include "settings/preferences.h"

namespace korvid::commands {

inline constexpr std::string_view kContactSheetSuffix = "_sheet.png";

// Page 1's path; page n inserts "-n" before ".png".
std::filesystem::path ContactSheetPath(const media::TAfficherFichier& entry, const settings::Preferences& preferences);

std::string ContactSheetConfirmation(const media::TAfficherFichier& entry, const FrameExportServices& services);
// Any DV file.
void ContactSheetFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);

// Makes the sheet of `entry` with `columns` stills a row and returns the
// pages written. An aborted scan writes nothing; a file with nothing to
// scan throws CommandSkipped, a failure its UserError, and either leaves
// an earlier sheet as it was.
std::vector<std::filesystem::path> MakeContactSheet(const media::TAfficherFichier& entry, int columns,
                                                    FrameExportServices& services);

// The command with the default columns; utNone.
TchUpdateType ContactSheetExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                    FrameExportServices& services);

}  // namespace korvid::commands
