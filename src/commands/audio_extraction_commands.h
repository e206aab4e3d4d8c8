#pragma once
// Extracting the sound of a file to a WAV file beside it (or in the
// output folder). The WAV is not a video, so it never joins the list.

#include <string>
#include <string_view>

#include "commands/conversion_commands.h"

namespace korvid::commands {

inline constexpr std::string_view kWavSuffix = ".wav";

std::string ExtraireAudioConfirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences);
// Hidden for a type-1 file whose codec is not "dvsd" (its sound cannot be
// reached); enabled when the analysis found sound.
void ExtraireAudioFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
void ExtraireAudioGeneralCondition(const graphs::FilterAvailability& availability, bool& visible);
// Always utNone; `newfichier` is the WAV's path after a run (an aborted
// one included); otherwise it throws, as RunConversion does.
TchUpdateType ExtraireAudioExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                     ConversionServices& services);

}  // namespace korvid::commands
