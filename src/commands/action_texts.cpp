// The English texts of the built-in file actions: one table, in the
// actions' component order.

#include "commands/builtin_actions.h"

namespace korvid::commands {
namespace {

using enum ActionRunner;

constexpr std::array<BuiltInActionText, kBuiltInActionCount> kTexts{{
    {"DossierParent", "Parent folder", "", "", "", kCurrentEntry},
    {"SupprimerFichier", "Delete the file", "Deleting...", "", "e", kSelection},
    {"oterfichier", "Remove the file", "", "", "", kSelection},
    {"RiffHeader", "Display the RIFF header", "", "Ctrl+H", "", kCurrentEntry},
    {"DefaultPlayer", "Play with the default player", "", "F5", "", kCurrentEntry},
    {"AjouterTimecode", "Add the timecode", "", "Ctrl+T", "t", kSelection},
    {"AjouterDateCode", "Add the datecode", "", "Ctrl+D", "d", kSelection},
    {"PurgerNom", "Shorten the filename", "", "Ctrl+Q", "q", kSelection},
    {"FileDate", "Modify the filedate", "", "Ctrl+B", "b", kSelection},
    {"RenameScAn", "Rename ", "", "Ctrl+R", "r", kSelection},
    {"DVtype1", "Converting into DV type 1", "Converting \"%s\" into type 1", "Ctrl+1", "1", kSelectionLocked},
    {"DVType2", "Converting into DV type 2", "Converting \"%s\" into type 2", "Ctrl+2", "2", kSelectionLocked},
    {"Ntsc", "Convert into NTSC", "Converting \"%s\" into NTSC", "", "N", kSelectionLocked},
    {"Pal", "Convert into Pal", "Converting \"%s\" into Pal", "", "p", kSelectionLocked},
    {"IncrusterDatecode", "Inlay the datecode", "Inlaying the datecode into \"%s\"", "Ctrl+I", "i",
     kSelectionLocked},
    {"ConvertirDV", "Recompress into DV type 2", "Converting \"%s\" into DV type 2", "Ctrl+G", "g",
     kSelectionLocked},
    {"CreerScenes", "Create a scn file", "Creating a scn file for \"%s\"", "", "s", kSelectionLocked},
    {"SupprimerScenes", "Delete the scn file", "", "Ctrl+Z", "z", kSelection},
    {"ExtraireAudio", "Extract audio", "Extracting audio from \"%s\"", "Ctrl+W", "w", kSelectionLocked},
    {"CorrigerFps", "Fix the framerate", "", "Ctrl+Y", "", kSelectionLocked},
    {"ScenesText", "Export the list of scenes", "Exporting the list of scenes of \"%s\" into text", "Ctrl+X", "x",
     kSelectionLocked},
    // The window names the frame grabber's command after the program.
    {"Pictrel", "", "", "F3", "", kCurrentEntry},
    {"AfficherDatecode", "Display the datecode", "", "F12", "", kCurrentEntry},
    {"AfficherSliders", "Modify the position of Inlay", "", "", "", kCurrentEntry},
    {"DecalerHoraire", "Fix the time difference", "Fixing the time difference in \"%s\"", "", "", kSelectionLocked},
    {"CorrigerCodec", "Change the codec", "", "", "", kSelectionLocked},
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
