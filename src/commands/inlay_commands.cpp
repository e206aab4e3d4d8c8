#include "commands/inlay_commands.h"

#include <cmath>
#include <memory>

#include "graphs/codec_jobs.h"
#include "settings/system_locale.h"

namespace korvid::commands {

InlayFilters InlayFilterSettings(const media::TAfficherFichier& entry, const settings::Preferences& preferences,
                                 const settings::LocaleFormats& locale) {
  InlayFilters filters{graphs::Calenox(locale), graphs::LayrinSettings(), graphs::Dixmark()};
  const int hours = preferences.clockOffsetHours;

  graphs::Calenox& calenox = filters.calenox;
  calenox.SetConversion(1);
  calenox.SetFormat(preferences.displayDatecodeFormat);
  calenox.SetInlayFrames(static_cast<std::int32_t>(std::lround(preferences.inlayDurationSeconds * entry.fps)));
  calenox.SetAutomatic(preferences.automaticInlay ? 1 : 0);
  calenox.SetHourOffset(hours);

  graphs::LayrinSettings& layrin = filters.layrin;
  const settings::IncrustFont& font = preferences.incrustFont;
  layrin.SetTemplate("%D");
  layrin.SetAutoFontSize(preferences.autoFontSize ? 1 : 0);
  layrin.SetFontSize(font.size);
  layrin.SetFontName(font.name);
  layrin.SetFontColor(font.color);
  layrin.SetBold(font.bold ? 1 : 0);
  layrin.SetItalic(font.italic ? 1 : 0);
  layrin.SetUnderline(font.underline ? 1 : 0);
  layrin.SetStrikeOut(font.strikeOut ? 1 : 0);
  layrin.SetOverlayOn(1);
  layrin.SetShadow(20);
  // The stored vertical position already is 1000 minus the slider's value.
  layrin.SetPosition(preferences.inlayPositionX, preferences.inlayPositionY, 0);
  layrin.SetBackground(0);

  graphs::Dixmark& dixmark = filters.dixmark;
  dixmark.SetEnabled(1);
  dixmark.SetHourOffset(hours);
  dixmark.SetInlaySource(1);
  if (hours != 0) dixmark.SetApplyShift(1);
  dixmark.SetWideScreen(entry.wideScreen ? 1 : 0);
  return filters;
}

std::string IncrusterDatecodeConfirmation(const media::TAfficherFichier& entry,
                                          const settings::Preferences& preferences) {
  return ReplaceQuestion(ConversionOutputPath(entry.fullName, kInlaySuffix, preferences));
}

bool InlayApplies(const media::TAfficherFichier& entry) {
  return entry.isDV && (entry.dvType == 2 || entry.codec == "dvsd");
}

void IncrusterDatecodeFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  enabled = InlayApplies(entry);
  visible = enabled;
}

void AfficherDatecodeFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  visible = true;
  enabled = InlayApplies(entry);
}

void IncrusterDatecodeGeneralCondition(const graphs::FilterAvailability& availability, bool& visible) {
  visible = availability.inlayReady;
}

TchUpdateType IncrusterDatecodeExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                         ConversionServices& services) {
  newfichier.clear();
  const std::filesystem::path output = ConversionOutputPath(entry.fullName, kInlaySuffix, services.preferences);
  const media::DvSystem system =
      entry.tvSystem == media::TvSystem::kPal ? media::DvSystem::k625_50 : media::DvSystem::k525_60;
  RunConversion(services, [&] {
    InlayFilters filters = InlayFilterSettings(entry, services.preferences, settings::SystemLocaleFormats());
    return graphs::Codecs().Inlay(entry.fullName, output, entry.dvType, system, std::move(filters.calenox),
                                  std::move(filters.layrin), std::move(filters.dixmark));
  });
  newfichier = output.string();
  return utAdd;
}

}  // namespace korvid::commands
