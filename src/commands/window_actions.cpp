#include "commands/window_actions.h"


#include "media/video_record.h"

namespace korvid::commands {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

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

std::string Lines(std::string_view first, std::string_view second) {
  return std::string(first) + std::string(kLineBreak) + std::string(second);
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

std::string WindowCaption() { return "Korvid by Marovec"; }

ActionList MainWindowActions() {
  const std::string onlyAvi = "Only avi files will be processed.";
  const std::string openHint = Lines("Add files to the list of videos.", onlyAvi);
  const std::string pasteHint = Lines("Paste avi files from the clipboard.", onlyAvi);
  const std::string datecodeHint =
      Lines("Display the datecode on the video. ", "Useful to change the positoin of the inlay.");
  const std::string muteHint = Lines("Sound is On.", "Click to turn the sound Off.");

  const Row rows[] = {
      // "permanent"
      {"afQuitter", "Quit", kPermanent, "Alt+F4", "Ctrl+Q", "Quit Korvid"},
      {"afBasculerListe", "Hide the list", kPermanent, "F6"},
      {"afInterrompre", "Abort", kPermanent, "Esc"},
      {"afApropos", "About...", kPermanent, "F1", {}, "Help and About"},
      {"afOptions", "Settings", kPermanent, "F10", {}, "Change settings and preferences."},
      {"afInterrompreTous", "Abort all", kPermanent, "Shift+Esc"},
      // "vide"
      {"afCollerFichiers", "Paste", kVide, "Ctrl+V", {}, pasteHint},
      {"afOuvrirFichiers", "Open...", kVide, "Ctrl+O", {}, openHint},
      {"afOuvrirDossierPrefere", "Open the preferred folder", kVide, "F7", {},
       "Add all avi files from the preferred folder."},
      {"afOuvrirTout", "Open all", kVide, "Ctrl+F7"},
      {"afOuvrirunDossier", "Open a folder...", kVide, "Ctrl+L"},
      {"afOuvrirPlayList", "Open the playlist...", kVide, "Ctrl+U"},
      {"afOuvrirDefaultPlayList", "Open the default playlist", kVide, "Shift+F7"},
      // "liste"
      {"afOrdreAlpha", "Alphabetical order", kListe, "Alt+A"},
      {"alTriDatecode", "Sort by datecode", kListe, "Alt+D"},
      {"alTriTaille", "Sort by size", kListe, "Alt+S"},
      {"alTrierModify", "Sort by filedate", kListe, "Alt+F"},
      {"afViderListe", "Empty the list", kListe, "Ctrl+Del", {}, "Empty the list"},
      {"afSelectionnerTout", "Select all", kListe, "Ctrl+A", {}, "Select all files."},
      {"afSauverListe", "Save the playlist as...", kListe, "Ctrl+J"},
      // "mono"
      {"amDossierParent", "Parent folder", kMono, "Ctrl+F", {}, "Open the parent folder."},
      {"amRiffHeader", "Display the RIFF header", kMono, "Ctrl+H"},
      {"amDefaultPlayer", "Play with default player", kMono, "F5"},
      {"afPictrel", "Open with ", kMono, "F2"},
      {"amAfficherDatecode", "Display the datecode", kMono, "F12", {}, datecodeHint},
      {"amAfficherSliders", "Modify the position of inlay", kMono, ""},
      {"avPlayStop", "Play ", kMono, "Space"},
      {"avFullscreen", "Fullscreen", kMono, "Alt+Return"},
      {"avMute", "Sound off", kMono, "Ctrl+M", {}, muteHint},
      {"avanceLow", "One frame forward", kMono, "Ctrl+Right"},
      {"reculeLow", "One frame backward", kMono, "Ctrl+Left"},
      {"avanceMedium", "One second forward", kMono, "Ctrl+Down"},
      {"ReculeMedium", "One second backward", kMono, "Ctrl+Up"},
      {"avanceHigh", "One minute forward", kMono, "Ctrl+PgDown"},
      {"ReculeHigh", "One minute backward", kMono, "Ctrl+PgUp"},
      {"AvanceScene", "One scene forward", kMono, "F9", "Ctrl+F9"},
      {"ReculeScene", "One scene backward", kMono, "F8", "Ctrl+F8"},
      {"avAvanceFin", "Go to end", kMono, "Ctrl+End"},
      {"avReculeDebut", "Go to start", kMono, "Ctrl+Home"},
      // "multi"; the empty shortcuts come from the file actions when bound.
      {"amSupprimerFichier", "Delete the file", kMulti, "Shift+Del"},
      {"amOterFichier", "Remove the file", kMulti, "Del"},
      {"amAjouterDatecode", "Add datecode", kMulti, "Ctrl+D"},
      {"amAjouterTimecode", "Add timecode", kMulti, "Ctrl+T"},
      {"amPurgerNom", "Shorten the name", kMulti, ""},
      {"amFileDate", "Modify the filedate", kMulti, ""},
      {"amRenameScAn", "Rename", kMulti, "Ctrl+R"},
      {"amDVType1", "Convert to DV type 1", kMulti, "Ctrl+Num+1"},
      {"amDVType2", "Convert to DV type 2", kMulti, "Ctrl+Num+2"},
      {"amNTSC", "Convert to NTSC", kMulti, "Ctrl+N"},
      {"amPal", "Convert to Pal", kMulti, "Ctrl+P"},
      {"amIncrusterDatecode", "Inlay datecode", kMulti, "Ctrl+I"},
      {"amConvertirDV", "Recompress to DV type 2", kMulti, "Ctrl+G"},
      {"amCreerScenes", "Create a scn file", kMulti, "Ctrl+S"},
      {"amSupprimerScenes", "Delete the scn file", kMulti, ""},
      {"amExtraireAudio", "Extract audio to WAV", kMulti, "Ctrl+W"},
      {"amCorrigerFps", "Modify the video FPS", kMulti, "Ctrl+Y"},
      {"amScenesText", "Export the scenes to text", kMulti, ""},
      {"amDecalerHoraire", "Fix a time difference", kMulti, ""},
      {"amCorrigerCodec", "Change the codec", kMulti, "Ctrl+K"},
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
  item.caption = "Sort the list";
  item.children = {Item("afOrdreAlpha"), Item("alTriDatecode"), Item("alTriTaille"), Item("alTrierModify")};
  return item;
}

}  // namespace

MainMenu MainWindowMenu() {
  MainMenu menu;
  menu.push_back({"Files",
                  {Item("afOuvrirFichiers"), Item("afCollerFichiers"), Item("afOuvrirunDossier"),
                   Item("afOuvrirDossierPrefere"), Item("afOuvrirTout"), Separator(), Item("afOuvrirPlayList"),
                   Item("afSauverListe"), Item("afOuvrirDefaultPlayList"), Separator(), Item("afBasculerListe"),
                   SortMenu(), Separator(), Item("afQuitter")}});
  menu.push_back({"Video",
                  {Item("avPlayStop"), Item("avFullscreen"), Item("avMute"), Separator(), Item("amDefaultPlayer"),
                   Item("afPictrel"), Item("amRiffHeader"), Item("amCorrigerFps"), Item("amCorrigerCodec"),
                   Separator(), Item("amDossierParent"), Item("amOterFichier"), Item("amSupprimerFichier")}});
  menu.push_back({"Rename",
                  {Item("amAjouterDatecode"), Item("amAjouterTimecode"), Item("amRenameScAn"), Separator(),
                   Item("amPurgerNom"), Item("amFileDate")}});
  menu.push_back({"Convert",
                  {Item("amDVType1"), Item("amDVType2"), Item("amConvertirDV"), Separator(), Item("amNTSC"),
                   Item("amPal"), Separator(), Item("amIncrusterDatecode"), Item("amDecalerHoraire"),
                   Item("amExtraireAudio")}});
  menu.push_back(
      {"Scenes", {Item("amCreerScenes"), Item("amSupprimerScenes"), Item("amScenesText")}});
  menu.push_back({"?", {Item("afOptions"), Item("afApropos")}});
  return menu;
}

}  // namespace korvid::commands
