#pragma once
// Export to MP4: an H.264 and AAC copy of a DV file for today's players,
// named like the video with ".mp4", its recording date kept in the file's
// creation time, subtitles, chapters and modification time.

#include <string>
#include <string_view>

#include "commands/conversion_commands.h"

namespace korvid::commands {

inline constexpr std::string_view kMp4Suffix = ".mp4";

std::string ExporterMp4Confirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences);
void ExporterMp4FileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
// utNone with the output named after a run (an aborted one too);
// otherwise it throws, as RunConversion does.
TchUpdateType ExporterMp4Execution(const media::TAfficherFichier& entry, std::string& newfichier,
                                   ConversionServices& services);

}  // namespace korvid::commands
