#include "settings/preference_table.h"

#include <array>
#include <type_traits>

namespace korvid::settings {

namespace {

using P = Preferences;
using F = IncrustFont;

constexpr int kSecondsPerHour = 3600;

const auto kMainValues = std::to_array<ValueSpec<P>>({
    {"Top", IntField<P>{&P::top, 0, INT_MIN, INT_MAX, IntDefault::CentredTop}},
    {"Left", IntField<P>{&P::left, 0, INT_MIN, INT_MAX, IntDefault::CentredLeft}},
    {"Ordre de la Liste", IntField<P>{&P::listOrder, 0, 0, 3}},
    {"Sauver préférences en quittant", BoolField<P>{&P::saveOnQuit, true, true}},
    {"Sélectionner à l'ouverture", BoolField<P>{&P::selectOnOpen, false, false}},
    {"Sauver Liste en quittant", BoolField<P>{&P::saveListOnQuit, false, false}},
    {"Sauver dans le même dossier", BoolField<P>{&P::saveInSameFolder, true, true}},
    {"Dossier pour Ouvrir Fichiers",
     TextField<P>{&P::openFolder, "", TextDefault::DocumentsFolder, true}},
    {"Dossier à ouverture auto",
     TextField<P>{&P::autoOpenFolder, "", TextDefault::DocumentsFolder, true}},
    {"Dossier pour Sauver", TextField<P>{&P::outputFolder, "", TextDefault::DocumentsFolder, true}},
    {"Dossier des PlayList",
     TextField<P>{&P::playlistFolder, "", TextDefault::DocumentsFolder, true}},
    // An empty path is later taken from the frame grabber's own registration.
    {"Fichier Pictrel", TextField<P>{&P::frameGrabProgram, ""}},
    {"Standard par défaut", IntField<P>{&P::defaultStandard, 1, 1, 2}},
    {"Format pour Ajouter Datecode",
     TextField<P>{&P::addDatecodeFormat, "yyyy.mm.dd_hh.nn.ss_am/pm", TextDefault::Constant, true}},
    {"Format pour Afficher Datecode",
     TextField<P>{&P::displayDatecodeFormat, "yyyy/mm/dd hh:nn:ss am/pm", TextDefault::Constant,
                  true}},
    {"Format pour Renommer",
     TextField<P>{&P::renameFormat, "yyyymmdd_hh.nn.ss_am/pm", TextDefault::Constant, true}},
    {"Racine pour Renommer", TextField<P>{&P::renameRoot, "ClipDV_", TextDefault::Constant, true}},
    {"AutoFontSize", BoolField<P>{&P::autoFontSize, true, true}},
    {"Automatic Inlay", BoolField<P>{&P::automaticInlay, false, false}},
    // Three "e" in the stored name: it has always been spelt so.
    {"Duréee Incrustation", IntField<P>{&P::inlayDurationSeconds, 5, 0, kSecondsPerHour}},
    {"Décalage Horaire", IntField<P>{&P::clockOffsetHours, 0, -23, 23}},
    // On the very first start the program offers itself in the send-to menu.
    {"Sendto", BoolField<P>{&P::sendTo, false, true}},
    {"Incrust positionX", IntField<P>{&P::inlayPositionX, 920, 0, kInlayPositionRange}},
    {"Incrust positionY", IntField<P>{&P::inlayPositionY, 120, 0, kInlayPositionRange}},
    {"is Mute on", BoolField<P>{&P::muteOn, false, false}},
    {"is Incrust On", BoolField<P>{&P::inlayOn, false, false}},
    {"Incrust Sliders Visible", BoolField<P>{&P::inlaySlidersVisible, false, false}},
    {"Qualité MP4", IntField<P>{&P::mp4Quality, 20, 0, 51}},
    // An IANA name; empty: the system's zone.
    {"Fuseau horaire", TextField<P>{&P::timeZone, ""}},
    {"Son calé sur l'image", BoolField<P>{&P::soundLocked, false, false}},
    {"Quatre canaux", BoolField<P>{&P::fourChannels, false, false}},
});

const auto kFontValues = std::to_array<ValueSpec<F>>({
    {"Size", IntField<F>{&F::size, 21, 1, 1000}},
    {"Color", IntField<F>{&F::color, 0xFFFFFF, 0, 0xFFFFFF}},
    {"Name", TextField<F>{&F::name, "Arial", TextDefault::Constant, true}},
    {"Bold", BoolField<F>{&F::bold, true, true}},
    {"Italic", BoolField<F>{&F::italic, false, false}},
    {"Underline", BoolField<F>{&F::underline, false, false}},
    {"StrikeOut", BoolField<F>{&F::strikeOut, false, false}},
});

template <class Owner>
void ApplyDefaults(std::span<const ValueSpec<Owner>> specs, Owner& owner,
                   const DefaultEnvironment& environment, bool firstStart) {
  for (const auto& spec : specs) {
    std::visit(
        [&](const auto& field) {
          using Field = std::decay_t<decltype(field)>;
          if constexpr (std::is_same_v<Field, BoolField<Owner>>) {
            owner.*field.member = DefaultOf(field, firstStart);
          } else {
            owner.*field.member = DefaultOf(field, environment);
          }
        },
        spec.field);
  }
}

}  // namespace

std::span<const ValueSpec<Preferences>> MainValueSpecs() { return kMainValues; }

std::span<const ValueSpec<IncrustFont>> FontValueSpecs() { return kFontValues; }

const ValueSpec<Preferences>* FindMainValueSpec(std::string_view name) {
  for (const auto& spec : kMainValues) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

Preferences DefaultPreferences(const DefaultEnvironment& environment, bool firstStart) {
  Preferences p;
  ApplyDefaults(MainValueSpecs(), p, environment, firstStart);
  ApplyDefaults(FontValueSpecs(), p.incrustFont, environment, firstStart);
  return p;
}

}  // namespace korvid::settings
