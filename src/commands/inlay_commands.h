#pragma once
// Burning the datecode into the picture: a new "_in.avi" of the source's
// DV type and TV system.

#include <cmath>
#include <string>
#include <string_view>

#include "commands/conversion_commands.h"
#include "graphs/calenox.h"
#include "graphs/dixmark.h"
#include "graphs/layrin.h"
#include "settings/date_time_format.h"

namespace korvid::commands {

inline constexpr std::string_view kInlaySuffix = "_in.avi";

// The three filters as the inlay sets them, each receiving its settings
// in the order the conversion gives them.
struct InlayFilters {
  graphs::Calenox calenox;
  graphs::LayrinSettings layrin;
  graphs::Dixmark dixmark;
};
InlayFilters InlayFilterSettings(const media::TAfficherFichier& entry, const settings::Preferences& preferences,
                                 const settings::LocaleFormats& locale);

std::string IncrusterDatecodeConfirmation(const media::TAfficherFichier& entry,
                                          const settings::Preferences& preferences);
// The overlay filters read DV type 2, and type 1 under the "dvsd" code.
bool InlayApplies(const media::TAfficherFichier& entry);

void IncrusterDatecodeFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
void IncrusterDatecodeGeneralCondition(const graphs::FilterAvailability& availability, bool& visible);
// The player's overlay and its position sliders: always shown for the
// current entry, usable where the overlay applies; offered at all only
// with the overlay filters (IncrusterDatecodeGeneralCondition).
void AfficherDatecodeFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
// utAdd with the output after a run (an aborted one too); otherwise it
// throws, as RunConversion does.
TchUpdateType IncrusterDatecodeExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                         ConversionServices& services);

}  // namespace korvid::commands
