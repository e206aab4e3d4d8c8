#include "commands/audio_extraction_commands.h"

#include <memory>

#include "graphs/codec_jobs.h"

namespace korvid::commands {

std::string ExtraireAudioConfirmation(const media::TAfficherFichier& entry,
                                      const settings::Preferences& preferences) {
  return ReplaceQuestion(CompanionOutputPath(entry.fullName, kWavSuffix, preferences));
}

void ExtraireAudioFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  visible = !(entry.isDV && entry.dvType == 1 && entry.codec != "dvsd");
  enabled = entry.audioText != media::kNotAvailableText;
}

void ExtraireAudioGeneralCondition(const graphs::FilterAvailability& availability, bool& visible) {
  visible = availability.wavDestFound;
}

TchUpdateType ExtraireAudioExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                     ConversionServices& services) {
  newfichier.clear();
  const std::filesystem::path output = CompanionOutputPath(entry.fullName, kWavSuffix, services.preferences);
  // A file without sound builds nothing: the job's constructor refuses it.
  const graphs::DvSoundLayout sound{services.preferences.soundLocked,
                                    services.preferences.fourChannels ? graphs::DvPairUse::kAllFour
                                                                      : graphs::DvPairUse::kFirstPair};
  RunConversion(services,
                [&] { return graphs::Codecs().AudioExtraction(entry.fullName, output, media::WavWriterOptions{}, sound); });
  newfichier = output.string();
  return utNone;
}

}  // namespace korvid::commands
