#include "commands/mp4_export_commands.h"

#include <cstring>
#include <optional>
#include <memory>

#include "commands/rename_commands.h"
#include "graphs/codec_jobs.h"
#include "media/binary_file.h"
#include "resources/string_table.h"
#include "settings/recording_zone.h"
#include "settings/system_locale.h"

namespace korvid::commands {

std::string ExporterMp4Confirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences) {
  return ReplaceQuestion(CompanionOutputPath(entry.fullName, kMp4Suffix, preferences));
}

void ExporterMp4FileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  enabled = entry.isDV && (entry.dvType == 2 || entry.codec == "dvsd");
  visible = enabled;
}

TchUpdateType ExporterMp4Execution(const media::TAfficherFichier& entry, std::string& newfichier,
                                   ConversionServices& services) {
  newfichier.clear();
  const std::filesystem::path output = CompanionOutputPath(entry.fullName, kMp4Suffix, services.preferences);
  graphs::Mp4ExportOptions options{services.preferences.mp4Quality, services.preferences.displayDatecodeFormat,
                                   settings::SystemLocaleFormats(), std::nullopt, {}};
  options.mixPairs = services.preferences.fourChannels;
  long long recorded = 0;
  if (entry.datecode) {
    const settings::RecordingZone zone(settings::ChosenTimeZone(services.preferences.timeZone));
    if (const auto instant = zone.ToUtc(*entry.datecode)) {
      recorded = instant->utcSeconds;
      options.creationTime = recorded;
      options.creationDate = settings::OffsetText(*instant);
    }
  }
  const bool dated = options.creationTime.has_value();
  RunConversion(services,
                [&] { return graphs::Codecs().Mp4Export(entry.fullName, output, std::move(options)); });
  newfichier = output.string();
  if (dated) {
    if (const int why = ChangeLastWriteTime(output.string(), recorded); why != 0)
      throw media::FileError(resources::Fill(resources::Text::kFileDateFailed, {output.string(), std::strerror(why)}));
  }
  // The list holds AVI files only: the MP4 is named, not added.
  return utNone;
}

}  // namespace korvid::commands
