#include "settings/preference_table.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace korvid::settings {
namespace {

// The stored names are a file format shared with earlier versions: a typo
// here silently loses the user's settings.
TEST(PreferenceTable, StoredNamesInReadingOrder) {
  const std::vector<std::string_view> expected = {
      "Top", "Left", "Ordre de la Liste", "Sauver préférences en quittant",
      "Sélectionner à l'ouverture", "Sauver Liste en quittant", "Sauver dans le même dossier",
      "Dossier pour Ouvrir Fichiers", "Dossier à ouverture auto", "Dossier pour Sauver",
      "Dossier des PlayList", "Fichier Pictrel", "Standard par défaut",
      "Format pour Ajouter Datecode", "Format pour Afficher Datecode", "Format pour Renommer",
      "Racine pour Renommer", "AutoFontSize", "Automatic Inlay", "Duréee Incrustation",
      "Décalage Horaire", "Sendto", "Incrust positionX", "Incrust positionY", "is Mute on",
      "is Incrust On", "Incrust Sliders Visible", "Qualité MP4", "Fuseau horaire", "Son calé sur l'image", "Quatre canaux"};
  std::vector<std::string_view> names;
  for (const auto& spec : MainValueSpecs()) names.push_back(spec.name);
  EXPECT_EQ(names, expected);

  std::vector<std::string_view> fontNames;
  for (const auto& spec : FontValueSpecs()) fontNames.push_back(spec.name);
  EXPECT_EQ(fontNames, (std::vector<std::string_view>{"Size", "Color", "Name", "Bold", "Italic",
                                                      "Underline", "StrikeOut"}));
}

TEST(PreferenceTable, EveryEntryOwnsADistinctMember) {
  // Two entries on one member would make one value shadow the other.
  std::set<std::size_t> offsets;
  Preferences p;
  for (const auto& spec : MainValueSpecs()) {
    std::visit(
        [&](const auto& field) {
          ASSERT_NE(field.member, nullptr) << spec.name;
          const auto* address = reinterpret_cast<const char*>(&(p.*field.member));
          offsets.insert(static_cast<std::size_t>(address - reinterpret_cast<const char*>(&p)));
        },
        spec.field);
  }
  EXPECT_EQ(offsets.size(), MainValueSpecs().size());
  EXPECT_NE(FindMainValueSpec("Duréee Incrustation"), nullptr);
  EXPECT_EQ(FindMainValueSpec("Durée Incrustation"), nullptr);
}

TEST(PreferenceTable, FontStyleBits) {
  IncrustFont font;
  font.SetStyleBits(1 | 4);
  EXPECT_TRUE(font.bold && font.underline);
  EXPECT_FALSE(font.italic || font.strikeOut);
  font.SetStyleBits(2 | 8);
  EXPECT_EQ(font.StyleBits(), 10);
}

}  // namespace
}  // namespace korvid::settings
