#include "commands/window_actions.h"


#include "media/video_record.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

using resources::Str;
using resources::Text;

struct Row {
  std::string_view name;
  std::string_view caption;
  std::string_view category;
  std::string_view shortcut;
  std::string_view secondShortcut = {};
  std::string_view hint = {};
};

WindowAction Make(const Row& row) {
  WindowAction action;
  action.name = row.name;
  action.caption = row.caption;
  action.category = row.category;
  action.shortcut = row.shortcut;
  action.secondShortcut = row.secondShortcut;
  action.hint = row.hint;
  // Commands bound to a built-in file action run through its runner; all
  // others are the window's own.
  action.handler = row.name.substr(0, 2) == "am" ? ExecuteHandler::kBuiltInRunner : ExecuteHandler::kWindow;
  return action;
}

}  // namespace

int CategoryNumber(std::string_view category) {
  if (category == kPermanent) return 1;
  if (category == kVide) return 2;
  if (category == kListe) return 3;
  if (category == kMono) return 4;
  if (category == kMulti) return 5;
  return 0;
}

WindowAction* ActionList::Find(std::string_view name) {
  for (WindowAction& action : actions_)
    if (action.name == name) return &action;
  return nullptr;
}

const WindowAction* ActionList::Find(std::string_view name) const {
  for (const WindowAction& action : actions_)
    if (action.name == name) return &action;
  return nullptr;
}

WindowAction* ActionList::FindLower(std::string_view lowerName) {
  for (WindowAction& action : actions_)
    if (media::AsciiLower(action.name) == lowerName) return &action;
  return nullptr;
}

WindowAction& ActionList::Append(WindowAction action) {
  actions_.push_back(std::move(action));
  return actions_.back();
}

std::string WindowCaption() { return std::string(Str(Text::kWindowCaption)); }

ActionList MainWindowActions() {
  const Row rows[] = {
      // "permanent"
      {"afQuitter", Str(Text::kafQuitterCaption), kPermanent, "Alt+F4", "Ctrl+Q", Str(Text::kafQuitterHint)},
      {"afBasculerListe", Str(Text::kafBasculerListeCaption), kPermanent, "F6"},
      {"afInterrompre", Str(Text::kafInterrompreCaption), kPermanent, "Esc"},
      {"afApropos", Str(Text::kafAproposCaption), kPermanent, "F1", {}, Str(Text::kafAproposHint)},
      {"afOptions", Str(Text::kafOptionsCaption), kPermanent, "F10", {}, Str(Text::kafOptionsHint)},
      {"afInterrompreTous", Str(Text::kafInterrompreTousCaption), kPermanent, "Shift+Esc"},
      // "vide"
      {"afCollerFichiers", Str(Text::kafCollerFichiersCaption), kVide, "Ctrl+V", {}, Str(Text::kPasteFilesHint)},
      {"afOuvrirFichiers", Str(Text::kafOuvrirFichiersCaption), kVide, "Ctrl+O", {}, Str(Text::kOpenFilesHint)},
      {"afOuvrirDossierPrefere", Str(Text::kafOuvrirDossierPrefereCaption), kVide, "F7", {},
       Str(Text::kafOuvrirDossierPrefereHint)},
      {"afOuvrirTout", Str(Text::kafOuvrirToutCaption), kVide, "Ctrl+F7"},
      {"afOuvrirunDossier", Str(Text::kafOuvrirunDossierCaption), kVide, "Ctrl+L"},
      {"afOuvrirPlayList", Str(Text::kafOuvrirPlayListCaption), kVide, "Ctrl+U"},
      {"afOuvrirDefaultPlayList", Str(Text::kafOuvrirDefaultPlayListCaption), kVide, "Shift+F7"},
      // "liste"
      {"afOrdreAlpha", Str(Text::kafOrdreAlphaCaption), kListe, "Alt+A"},
      {"alTriDatecode", Str(Text::kalTriDatecodeCaption), kListe, "Alt+D"},
      {"alTriTaille", Str(Text::kalTriTailleCaption), kListe, "Alt+S"},
      {"alTrierModify", Str(Text::kalTrierModifyCaption), kListe, "Alt+F"},
      {"afViderListe", Str(Text::kafViderListeCaption), kListe, "Ctrl+Del", {}, Str(Text::kafViderListeHint)},
      {"afSelectionnerTout", Str(Text::kafSelectionnerToutCaption), kListe, "Ctrl+A", {}, Str(Text::kafSelectionnerToutHint)},
      {"afSauverListe", Str(Text::kafSauverListeCaption), kListe, "Ctrl+J"},
      // "mono"
      {"amDossierParent", Str(Text::kamDossierParentCaption), kMono, "Ctrl+F", {}, Str(Text::kamDossierParentHint)},
      {"amRiffHeader", Str(Text::kamRiffHeaderCaption), kMono, "Ctrl+H"},
      {"amDefaultPlayer", Str(Text::kamDefaultPlayerCaption), kMono, "F5"},
      {"afPictrel", Str(Text::kafPictrelCaption), kMono, "F2"},
      {"amAfficherDatecode", Str(Text::kamAfficherDatecodeCaption), kMono, "F12", {}, Str(Text::kShowDatecodeHint)},
      {"amAfficherSliders", Str(Text::kamAfficherSlidersCaption), kMono, ""},
      {"avPlayStop", Str(Text::kavPlayStopCaption), kMono, "Space"},
      {"avFullscreen", Str(Text::kavFullscreenCaption), kMono, "Alt+Return"},
      {"avMute", Str(Text::kavMuteCaption), kMono, "Ctrl+M", {}, Str(Text::kSoundOnHint)},
      {"avanceLow", Str(Text::kavanceLowCaption), kMono, "Ctrl+Right"},
      {"reculeLow", Str(Text::kreculeLowCaption), kMono, "Ctrl+Left"},
      {"avanceMedium", Str(Text::kavanceMediumCaption), kMono, "Ctrl+Down"},
      {"ReculeMedium", Str(Text::kReculeMediumCaption), kMono, "Ctrl+Up"},
      {"avanceHigh", Str(Text::kavanceHighCaption), kMono, "Ctrl+PgDown"},
      {"ReculeHigh", Str(Text::kReculeHighCaption), kMono, "Ctrl+PgUp"},
      {"AvanceScene", Str(Text::kAvanceSceneCaption), kMono, "F9", "Ctrl+F9"},
      {"ReculeScene", Str(Text::kReculeSceneCaption), kMono, "F8", "Ctrl+F8"},
      {"avAvanceFin", Str(Text::kavAvanceFinCaption), kMono, "Ctrl+End"},
      {"avReculeDebut", Str(Text::kavReculeDebutCaption), kMono, "Ctrl+Home"},
      // "multi"; the empty shortcuts come from the file actions when bound.
      {"amSupprimerFichier", Str(Text::kamSupprimerFichierCaption), kMulti, "Shift+Del"},
      {"amOterFichier", Str(Text::kamOterFichierCaption), kMulti, "Del"},
      {"amAjouterDatecode", Str(Text::kamAjouterDatecodeCaption), kMulti, "Ctrl+D"},
      {"amAjouterTimecode", Str(Text::kamAjouterTimecodeCaption), kMulti, "Ctrl+T"},
      {"amPurgerNom", Str(Text::kamPurgerNomCaption), kMulti, ""},
      {"amFileDate", Str(Text::kamFileDateCaption), kMulti, ""},
      {"amRenameScAn", Str(Text::kamRenameScAnCaption), kMulti, "Ctrl+R"},
      {"amDVType1", Str(Text::kamDVType1Caption), kMulti, "Ctrl+Num+1"},
      {"amDVType2", Str(Text::kamDVType2Caption), kMulti, "Ctrl+Num+2"},
      {"amNTSC", Str(Text::kamNTSCCaption), kMulti, "Ctrl+N"},
      {"amPal", Str(Text::kamPalCaption), kMulti, "Ctrl+P"},
      {"amIncrusterDatecode", Str(Text::kamIncrusterDatecodeCaption), kMulti, "Ctrl+I"},
      {"amConvertirDV", Str(Text::kamConvertirDVCaption), kMulti, "Ctrl+G"},
      {"amCreerScenes", Str(Text::kamCreerScenesCaption), kMulti, "Ctrl+S"},
      {"amSupprimerScenes", Str(Text::kamSupprimerScenesCaption), kMulti, ""},
      {"amExtraireAudio", Str(Text::kamExtraireAudioCaption), kMulti, "Ctrl+W"},
      {"amCorrigerFps", Str(Text::kamCorrigerFpsCaption), kMulti, "Ctrl+Y"},
      {"amScenesText", Str(Text::kamScenesTextCaption), kMulti, ""},
      {"amDecalerHoraire", Str(Text::kamDecalerHoraireCaption), kMulti, ""},
      {"amCorrigerCodec", Str(Text::kamCorrigerCodecCaption), kMulti, "Ctrl+K"},
  };
  std::vector<WindowAction> actions;
  for (const Row& row : rows) actions.push_back(Make(row));
  for (WindowAction& action : actions)
    if (action.name == "afApropos" || action.name == "afOptions") action.checkItem = true;
  return ActionList(std::move(actions));
}

namespace {

MenuItem Item(std::string_view actionName) {
  MenuItem item;
  item.name = "mi" + std::string(actionName);
  item.actionName = actionName;
  return item;
}

MenuItem Separator() {
  MenuItem item;
  item.separator = true;
  return item;
}

MenuItem SortMenu() {
  MenuItem item;
  item.name = "miSortList";
  item.caption = Str(Text::kSortTheListMenu);
  item.children = {Item("afOrdreAlpha"), Item("alTriDatecode"), Item("alTriTaille"), Item("alTrierModify")};
  return item;
}

}  // namespace

MainMenu MainWindowMenu() {
  MainMenu menu;
  menu.push_back({std::string(Str(Text::kFilesMenu)),
                  {Item("afOuvrirFichiers"), Item("afCollerFichiers"), Item("afOuvrirunDossier"),
                   Item("afOuvrirDossierPrefere"), Item("afOuvrirTout"), Separator(), Item("afOuvrirPlayList"),
                   Item("afSauverListe"), Item("afOuvrirDefaultPlayList"), Separator(), Item("afBasculerListe"),
                   SortMenu(), Separator(), Item("afQuitter")}});
  menu.push_back({std::string(Str(Text::kVideoMenu)),
                  {Item("avPlayStop"), Item("avFullscreen"), Item("avMute"), Separator(), Item("amDefaultPlayer"),
                   Item("afPictrel"), Item("amRiffHeader"), Item("amCorrigerFps"), Item("amCorrigerCodec"),
                   Separator(), Item("amDossierParent"), Item("amOterFichier"), Item("amSupprimerFichier")}});
  menu.push_back({std::string(Str(Text::kRenameMenu)),
                  {Item("amAjouterDatecode"), Item("amAjouterTimecode"), Item("amRenameScAn"), Separator(),
                   Item("amPurgerNom"), Item("amFileDate")}});
  menu.push_back({std::string(Str(Text::kConvertMenu)),
                  {Item("amDVType1"), Item("amDVType2"), Item("amConvertirDV"), Separator(), Item("amNTSC"),
                   Item("amPal"), Separator(), Item("amIncrusterDatecode"), Item("amDecalerHoraire"),
                   Item("amExtraireAudio")}});
  menu.push_back(
      {std::string(Str(Text::kScenesMenu)), {Item("amCreerScenes"), Item("amSupprimerScenes"), Item("amScenesText")}});
  menu.push_back({std::string(Str(Text::kHelpMenu)), {Item("afOptions"), Item("afApropos")}});
  return menu;
}

}  // namespace korvid::commands
