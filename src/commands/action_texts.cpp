// The built-in file actions, one table in the actions' component order;
// their captions and progress messages come from the string table.

#include "commands/builtin_actions.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

using enum ActionRunner;
using resources::Str;
using resources::Text;

const std::array<BuiltInActionText, kBuiltInActionCount> kTexts{{
    {"DossierParent", Str(Text::kDossierParentCaption), "", "", "", kCurrentEntry},
    {"SupprimerFichier", Str(Text::kSupprimerFichierCaption), Str(Text::kSupprimerFichierProgress), "", "e", kSelection},
    {"oterfichier", Str(Text::koterfichierCaption), "", "", "", kSelection},
    {"RiffHeader", Str(Text::kRiffHeaderCaption), "", "Ctrl+H", "", kCurrentEntry},
    {"DefaultPlayer", Str(Text::kDefaultPlayerCaption), "", "F5", "", kCurrentEntry},
    {"AjouterTimecode", Str(Text::kAjouterTimecodeCaption), "", "Ctrl+T", "t", kSelection},
    {"AjouterDateCode", Str(Text::kAjouterDateCodeCaption), "", "Ctrl+D", "d", kSelection},
    {"PurgerNom", Str(Text::kPurgerNomCaption), "", "Ctrl+Q", "q", kSelection},
    {"FileDate", Str(Text::kFileDateCaption), "", "Ctrl+B", "b", kSelection},
    {"RenameScAn", Str(Text::kRenameScAnCaption), "", "Ctrl+R", "r", kSelection},
    {"DVtype1", Str(Text::kDVtype1Caption), Str(Text::kDVtype1Progress), "Ctrl+1", "1", kSelectionLocked},
    {"DVType2", Str(Text::kDVType2Caption), Str(Text::kDVType2Progress), "Ctrl+2", "2", kSelectionLocked},
    {"Ntsc", Str(Text::kNtscCaption), Str(Text::kNtscProgress), "", "N", kSelectionLocked},
    {"Pal", Str(Text::kPalCaption), Str(Text::kPalProgress), "", "p", kSelectionLocked},
    {"IncrusterDatecode", Str(Text::kIncrusterDatecodeCaption), Str(Text::kIncrusterDatecodeProgress), "Ctrl+I", "i",
     kSelectionLocked},
    {"ConvertirDV", Str(Text::kConvertirDVCaption), Str(Text::kConvertirDVProgress), "Ctrl+G", "g",
     kSelectionLocked},
    {"CreerScenes", Str(Text::kCreerScenesCaption), Str(Text::kCreerScenesProgress), "", "s", kSelectionLocked},
    {"SupprimerScenes", Str(Text::kSupprimerScenesCaption), "", "Ctrl+Z", "z", kSelection},
    {"ExtraireAudio", Str(Text::kExtraireAudioCaption), Str(Text::kExtraireAudioProgress), "Ctrl+W", "w", kSelectionLocked},
    {"CorrigerFps", Str(Text::kCorrigerFpsCaption), "", "Ctrl+Y", "", kSelectionLocked},
    {"ScenesText", Str(Text::kScenesTextCaption), Str(Text::kScenesTextProgress), "Ctrl+X", "x",
     kSelectionLocked},
    // The window names the frame grabber's command after the program.
    {"Pictrel", "", "", "F3", "", kCurrentEntry},
    {"AfficherDatecode", Str(Text::kAfficherDatecodeCaption), "", "F12", "", kCurrentEntry},
    {"AfficherSliders", Str(Text::kAfficherSlidersCaption), "", "", "", kCurrentEntry},
    {"DecalerHoraire", Str(Text::kDecalerHoraireCaption), Str(Text::kDecalerHoraireProgress), "", "", kSelectionLocked},
    {"CorrigerCodec", Str(Text::kCorrigerCodecCaption), "", "", "", kSelectionLocked},
}};

}  // namespace

const std::array<BuiltInActionText, kBuiltInActionCount>& BuiltInActionTexts() { return kTexts; }

ActionRunner BuiltInRunner(std::string_view name) {
  for (const BuiltInActionText& text : kTexts)
    if (text.name == name) return text.runner;
  return ActionRunner::kSelection;
}

void ApplyActionTexts(Tch& ch) {
  const auto components = ch.Components();
  for (std::size_t i = 0; i < kBuiltInActionCount; ++i) {
    tFileAction& action = *components[i];
    const BuiltInActionText& text = kTexts[i];
    action.Caption = std::string(text.caption);
    action.MonoMessage = std::string(text.monoMessage);
    action.SetShortcut(text.shortcut);
    action.SetSwitch(text.switchText);
  }
  ch.ScenesText.Modele = "CreerScenes";
}

}  // namespace korvid::commands
