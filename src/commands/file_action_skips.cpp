#include "commands/file_action_skips.h"

#include <array>

#include "resources/string_table.h"

namespace korvid::commands {
namespace {

using resources::Text;

struct ConditionText {
  std::string_view name;
  Text text;
};

constexpr std::array<ConditionText, 15> kConditionTexts{{
    {"SupprimerFichier", Text::kSkipReadOnly},
    {"AjouterTimecode", Text::kSkipNoTimecode},
    {"AjouterDateCode", Text::kSkipNoDatecode},
    {"RenameScAn", Text::kSkipNoDatecode},
    {"FileDate", Text::kSkipNoDatecode},
    {"PurgerNom", Text::kSkipNothingToShorten},
    {"DVtype1", Text::kSkipNotDvType2},
    {"DVType2", Text::kSkipNotDvType1},
    {"Ntsc", Text::kSkipNotPalDv},
    {"Pal", Text::kSkipNotNtscDv},
    {"ConvertirDV", Text::kSkipAlreadyDv},
    {"IncrusterDatecode", Text::kSkipNoDvToInlay},
    {"ExporterMp4", Text::kSkipNoDvToInlay},
    {"ExtraireAudio", Text::kSkipNoSound},
    {"SupprimerScenes", Text::kSkipNoScnFile},
}};

}  // namespace

std::string ConditionFailedText(std::string_view name) {
  for (const ConditionText& entry : kConditionTexts)
    if (entry.name == name) return std::string(resources::Str(entry.text));
  return std::string(resources::Str(Text::kSkipNotApplicable));
}

bool DeletesFiles(std::string_view name) { return name == "SupprimerFichier" || name == "SupprimerScenes"; }

}  // namespace korvid::commands
