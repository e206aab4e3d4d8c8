#include "commands/window_actions.h"

#include <optional>

#include "commands/builtin_actions.h"
#include "media/video_record.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

using resources::Str;
using resources::Text;

struct Row {
  std::string_view name;
  std::optional<Text> caption = {};
  std::string_view category = {};
  std::string_view shortcut = {};
  std::string_view secondShortcut = {};
  std::optional<Text> hint = {};
};

std::string TextOf(const std::optional<Text>& id) { return id ? std::string(Str(*id)) : std::string(); }

WindowAction Make(const Row& row) {
  WindowAction action;
  action.name = row.name;
  // An "am" row places the command of a built-in action; the rest of it
  // comes from the action's row.
  if (const BuiltInAction* builtIn = BuiltInActionOfCommand(row.name)) {
    const BuiltInCommand& command = builtIn->command;
    action.caption = TextOf(command.caption);
    action.hint = TextOf(command.hint);
    action.shortcut = command.shortcut;
    action.category = CategoryOf(builtIn->runner);
    action.handler = ExecuteHandler::kBuiltInRunner;
    return action;
  }
  action.caption = TextOf(row.caption);
  action.category = row.category;
  action.shortcut = row.shortcut;
  action.secondShortcut = row.secondShortcut;
  action.hint = TextOf(row.hint);
  action.handler = ExecuteHandler::kWindow;
  return action;
}

}  // namespace

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
      {"afQuitter", Text::kafQuitterCaption, kPermanent, "Alt+F4", "Ctrl+Q", Text::kafQuitterHint},
      {"afBasculerListe", Text::kafBasculerListeCaption, kPermanent, "F6"},
      {"afInterrompre", Text::kafInterrompreCaption, kPermanent, "Esc"},
      {"afApropos", Text::kafAproposCaption, kPermanent, "F1", {}, Text::kafAproposHint},
      {"afOptions", Text::kafOptionsCaption, kPermanent, "F10", {}, Text::kafOptionsHint},
      {"afInterrompreTous", Text::kafInterrompreTousCaption, kPermanent, "Shift+Esc"},
      // "vide"
      {"afCollerFichiers", Text::kafCollerFichiersCaption, kVide, "Ctrl+V", {}, Text::kPasteFilesHint},
      {"afOuvrirFichiers", Text::kafOuvrirFichiersCaption, kVide, "Ctrl+O", {}, Text::kOpenFilesHint},
      {"afOuvrirDossierPrefere", Text::kafOuvrirDossierPrefereCaption, kVide, "F7", {},
       Text::kafOuvrirDossierPrefereHint},
      {"afOuvrirTout", Text::kafOuvrirToutCaption, kVide, "Ctrl+F7"},
      {"afOuvrirunDossier", Text::kafOuvrirunDossierCaption, kVide, "Ctrl+L"},
      {"afOuvrirPlayList", Text::kafOuvrirPlayListCaption, kVide, "Ctrl+U"},
      {"afOuvrirDefaultPlayList", Text::kafOuvrirDefaultPlayListCaption, kVide, "Shift+F7"},
      // "liste"
      {"afOrdreAlpha", Text::kafOrdreAlphaCaption, kListe, "Alt+A"},
      {"alTriDatecode", Text::kalTriDatecodeCaption, kListe, "Alt+D"},
      {"alTriTaille", Text::kalTriTailleCaption, kListe, "Alt+S"},
      {"alTrierModify", Text::kalTrierModifyCaption, kListe, "Alt+F"},
      {"afViderListe", Text::kafViderListeCaption, kListe, "Ctrl+Del", {}, Text::kafViderListeHint},
      {"afSelectionnerTout", Text::kafSelectionnerToutCaption, kListe, "Ctrl+A", {}, Text::kafSelectionnerToutHint},
      {"afSauverListe", Text::kafSauverListeCaption, kListe, "Ctrl+J"},
      // "mono"; an "am" row places the command of a built-in action.
      {"amDossierParent"},
      {"amRiffHeader"},
      {"amDefaultPlayer"},
      {"afPictrel", Text::kafPictrelCaption, kMono, "F2"},
      {"amAfficherDatecode"},
      {"amAfficherSliders"},
      {"avPlayStop", Text::kavPlayStopCaption, kMono, "Space"},
      {"avFullscreen", Text::kavFullscreenCaption, kMono, "Alt+Return"},
      {"avMute", Text::kavMuteCaption, kMono, "Ctrl+M", {}, Text::kSoundOnHint},
      {"avanceLow", Text::kavanceLowCaption, kMono, "Ctrl+Right"},
      {"reculeLow", Text::kreculeLowCaption, kMono, "Ctrl+Left"},
      {"avanceMedium", Text::kavanceMediumCaption, kMono, "Ctrl+Down"},
      {"ReculeMedium", Text::kReculeMediumCaption, kMono, "Ctrl+Up"},
      {"avanceHigh", Text::kavanceHighCaption, kMono, "Ctrl+PgDown"},
      {"ReculeHigh", Text::kReculeHighCaption, kMono, "Ctrl+PgUp"},
      {"AvanceScene", Text::kAvanceSceneCaption, kMono, "F9", "Ctrl+F9"},
      {"ReculeScene", Text::kReculeSceneCaption, kMono, "F8", "Ctrl+F8"},
      {"avAvanceFin", Text::kavAvanceFinCaption, kMono, "Ctrl+End"},
      {"avReculeDebut", Text::kavReculeDebutCaption, kMono, "Ctrl+Home"},
      // "multi"
      {"amSupprimerFichier"},
      {"amOterFichier"},
      {"amAjouterDatecode"},
      {"amAjouterTimecode"},
      {"amPurgerNom"},
      {"amFileDate"},
      {"amRenameScAn"},
      {"amDVType1"},
      {"amDVType2"},
      {"amNTSC"},
      {"amPal"},
      {"amIncrusterDatecode"},
      {"amConvertirDV"},
      {"amExporterMp4"},
      {"amCreerScenes"},
      {"amSupprimerScenes"},
      {"amExtraireAudio"},
      {"amCorrigerFps"},
      {"amScenesText"},
      {"amDecalerHoraire"},
      {"amCorrigerCodec"},
      {"amDatecodeSubtitles"},
      {"amFrameLog"},
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
                   Item("amExtraireAudio"), Separator(), Item("amExporterMp4")}});
  menu.push_back(
      {std::string(Str(Text::kScenesMenu)),
       {Item("amCreerScenes"), Item("amSupprimerScenes"), Item("amScenesText"), Separator(),
        Item("amDatecodeSubtitles"), Item("amFrameLog")}});
  menu.push_back({std::string(Str(Text::kHelpMenu)), {Item("afOptions"), Item("afApropos")}});
  return menu;
}

}  // namespace korvid::commands
