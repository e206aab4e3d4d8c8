#include "resources/string_table.h"

#include <array>
#include <cstddef>

namespace korvid::resources {
namespace {

struct Entry {
  Text id;
  std::string_view text;
};

constexpr std::size_t kTextCount = static_cast<std::size_t>(Text::kCount);

// Listed in the order of `Text`; the check below keeps the two in step.
constexpr std::array<Entry, kTextCount> kTexts = {{
    {Text::kReplaceExistingFile, "Do you want to replace the existing file %s ?"},
    {Text::kReplaceExistingFileShort, "Do you want to replace the existing file ?"},
    {Text::kReplaceExistingScnFile, "Do you want to replace the existing scn-file ?"},
    {Text::kChangeFramerateOfReadOnly, "The file %s\n is ReadOnly. Do you really want to change its framerate?"},
    {Text::kChangeCodecOfReadOnly, "The file %s\nDo you really want to chnage the codec?"},
    {Text::kDeleteFile, "Do you really want to delete %s ?\r\nIf yes, it will be sent to the Recycle bin."},
    {Text::kDeleteThisFile, "Do you really want to delete this file?\r\nIf yes, it will be sent to the Recycle bin."},
    {Text::kMoveScnFileToRecycleBin, "Do you really want to move the file %s to the recycle bin?"},
    {Text::kMoveThisScnFileToRecycleBin, "Do you really want to move this scn-file to the recycle bin?"},
    {Text::kAddDatecodeAndRename, "Do you want to add a datecode to '%s'\r\nand rename it to '%s'?"},
    {Text::kAddDatecodeAndRenameShort, "Do you want to add a datecode to this filename and rename it to\r\n'%s'?"},
    {Text::kAddDatecodeToThisFile, "Do you want to add a datecode to this file?"},
    {Text::kAddTimecodeAndRename, "Do you really want to add its timecode to the file '%s'\r\nand rename it to '%s'?"},
    {Text::kAddTimecodeAndRenameShort, "Do you really want to add its timecode to the file \r\nand rename it to '%s'?"},
    {Text::kAddTimecodeToThisFile, "Do you really want to add its timecode to the file?"},
    {Text::kShortenNameAndRename, "Do you want to shorten the name of '%s'\r\nand rename it to '%s'?"},
    {Text::kShortenNameAndRenameShort, "Do you want to shorten the name of this file and rename it to\r\n'%s'?"},
    {Text::kShortenThisName, "Do you want to shorten the name of this file?"},
    {Text::kRenameFileTo, "Do you want to rename the file  '%s' in '%s'?"},
    {Text::kRenameThisFileTo, "Do you want to rename this file in '%s'?"},
    {Text::kRenameThisFile, "Do you want to rename this file?"},
    {Text::kModifyDatesOfFile, "Do you really want to modify the dates of the file '%s'"},
    {Text::kModifyDatesOfThisFile, "Do you really want to modify the dates of this file?"},
    {Text::kFileDateDetails, "\r\n\r\nOld creation date: %s\r\nOld modified date:  %s\r\nNew date : %s"},

    {Text::kDeleteFailed, "Impossible to delete %s\r\nIt is perhaps in use or read only"},
    {Text::kDeleteScnFileFailed, "Impossible to delete %s\nThe file may be presently in use or may be read only"},
    {Text::kFileBusy, "The file %s is busy. It may be used by another process. Please wait."},
    {Text::kScnPathTooLong,
     "Impossible to create a scn file for %s\nIts path has %s bytes; a scn file holds paths of at most %s bytes."},

    {Text::kDeletePreferencesQuestion, "Do you really want to delete the preferences of %s\nfrom your registry?"},
    {Text::kPreferencesNotFound, "The preferences of %s were not found in the registry."},
    {Text::kPreferencesDeleted, "%s has been completely deleted from your registry."},
    {Text::kPreferencesDeleteFailed, "The preferences of %s could not be deleted."},

    {Text::kConversionFiltersAvailable, "All filters needed for conversion are available."},
    {Text::kConversionFiltersMissing, "Some fiilters needed for conversion are missing."},
    {Text::kListingFiltersAvailable, "All filters needed to list videos are available."},
    {Text::kListingFiltersMissing, "Some filters needed to list videos are missing."},
    {Text::kDisplayFiltersAvailable, "All filters needed to display videos are available."},
    {Text::kDisplayFiltersMissing, "Some filters needed to display videos are missing."},
    {Text::kScenesFiltersAvailable, "All filters needed to scan scenes are available."},
    {Text::kScenesFiltersMissing, "Some filters needed to scan scenes are missing."},
    {Text::kInlayFiltersAvailable, "All filters needed for inlay are available."},
    {Text::kInlayFiltersMissing, "Some filters needed for inlay are missing."},
    {Text::kDeinterlacerFilterAvailable, "The filter Pinnacle Video Deinterlacer is available."},
    {Text::kDeinterlacerFilterMissing, "The filter Pinnacle Video Deinterlacer is missing."},
    {Text::kLayrinFilterAvailable, "The filter Marovec Layrin3 is available."},
    {Text::kLayrinFilterMissing, "The filter Marovec Layrin3 is missing."},
    {Text::kCalenoxFilterAvailable, "The filter Marovec Calenox2 is available."},
    {Text::kCalenoxFilterMissing, "The filter Marovec Calenox2 is missing."},
    {Text::kDixmarkFilterAvailable, "The filter Marovec Dixmark is available."},
    {Text::kDixmarkFilterMissing, "The filter Marovec Dixmark is missing."},
    {Text::kHorolanFilterAvailable, "The filter Marovec Horolan is available."},
    {Text::kHorolanFilterMissing, "The filter Marovec Horolan is missing."},
    {Text::kWavDestFilterAvailable, "The filter WavDest is available."},
    {Text::kWavDestFilterMissing, "The filter WavDest is missing."},

    {Text::kLoadingFiles, "Loading files"},
    {Text::kPasteFiles, "Paste files"},
    {Text::kOpenDroppedFiles, "Open drag-and-dropped files"},
    {Text::kBrowsingFolder, "Browsing %s"},
    {Text::kLoadingAllAviFiles, "Loading all AVI files"},
    {Text::kOpenPlaylist, "Open the playlist %s"},

    {Text::kListCaptionOne, "%s file of %s"},
    {Text::kListCaptionMany, "%s files of %s"},
    {Text::kSortedAlphabetically, " - sorted alphabetically"},
    {Text::kSortedByFilesize, " - sorted by filesize"},
    {Text::kSortedByFiledate, " - sorted by filedate"},
    {Text::kSortedByDatecode, " - sorted by datecode"},
    {Text::kListHintOne, "%s file selected of %s\r\nType F6 to hide the list."},
    {Text::kListHintMany, "%s files selecteds of %s\r\nType F6 to hide the list."},

    {Text::kPlaylistTitle, "# Playlist of Korvid version %s En"},
    {Text::kPlaylistWebSite, "# Visit my website : %s"},
    {Text::kPlaylistCountOne, "# %s file sorted"},
    {Text::kPlaylistCountMany, "# %s files sorteds"},
    {Text::kPlaylistByAlphabet, " by alphabetical order"},
    {Text::kPlaylistByFilesize, " by filesize"},
    {Text::kPlaylistByFiledate, " by filedate"},
    {Text::kPlaylistByDatecode, " by datecode"},
    {Text::kPlaylistDoneOn, "# Done on %s"},
    {Text::kPlaylistCannotCreate, "Cannot create the playlist %s: %s"},
    {Text::kPlaylistCannotWrite, "Cannot write the playlist %s: %s"},

    {Text::kDossierParentCaption, "Parent folder"},
    {Text::kSupprimerFichierCaption, "Delete the file"},
    {Text::koterfichierCaption, "Remove the file"},
    {Text::kRiffHeaderCaption, "Display the RIFF header"},
    {Text::kDefaultPlayerCaption, "Play with the default player"},
    {Text::kAjouterTimecodeCaption, "Add the timecode"},
    {Text::kAjouterDateCodeCaption, "Add the datecode"},
    {Text::kPurgerNomCaption, "Shorten the filename"},
    {Text::kFileDateCaption, "Modify the filedate"},
    {Text::kRenameScAnCaption, "Rename "},
    {Text::kDVtype1Caption, "Converting into DV type 1"},
    {Text::kDVType2Caption, "Converting into DV type 2"},
    {Text::kNtscCaption, "Convert into NTSC"},
    {Text::kPalCaption, "Convert into Pal"},
    {Text::kIncrusterDatecodeCaption, "Inlay the datecode"},
    {Text::kConvertirDVCaption, "Recompress into DV type 2"},
    {Text::kCreerScenesCaption, "Create a scn file"},
    {Text::kSupprimerScenesCaption, "Delete the scn file"},
    {Text::kExtraireAudioCaption, "Extract audio"},
    {Text::kCorrigerFpsCaption, "Fix the framerate"},
    {Text::kScenesTextCaption, "Export the list of scenes"},
    {Text::kAfficherDatecodeCaption, "Display the datecode"},
    {Text::kAfficherSlidersCaption, "Modify the position of Inlay"},
    {Text::kDecalerHoraireCaption, "Fix the time difference"},
    {Text::kCorrigerCodecCaption, "Change the codec"},

    {Text::kSupprimerFichierProgress, "Deleting..."},
    {Text::kDVtype1Progress, "Converting \"%s\" into type 1"},
    {Text::kDVType2Progress, "Converting \"%s\" into type 2"},
    {Text::kNtscProgress, "Converting \"%s\" into NTSC"},
    {Text::kPalProgress, "Converting \"%s\" into Pal"},
    {Text::kIncrusterDatecodeProgress, "Inlaying the datecode into \"%s\""},
    {Text::kConvertirDVProgress, "Converting \"%s\" into DV type 2"},
    {Text::kCreerScenesProgress, "Creating a scn file for \"%s\""},
    {Text::kExtraireAudioProgress, "Extracting audio from \"%s\""},
    {Text::kScenesTextProgress, "Exporting the list of scenes of \"%s\" into text"},
    {Text::kDecalerHoraireProgress, "Fixing the time difference in \"%s\""},

    {Text::kWindowCaption, "Korvid by Marovec"},
    {Text::kFilesMenu, "Files"},
    {Text::kVideoMenu, "Video"},
    {Text::kRenameMenu, "Rename"},
    {Text::kConvertMenu, "Convert"},
    {Text::kScenesMenu, "Scenes"},
    {Text::kHelpMenu, "?"},
    {Text::kSortTheListMenu, "Sort the list"},

    {Text::kafQuitterCaption, "Quit"},
    {Text::kafBasculerListeCaption, "Hide the list"},
    {Text::kafInterrompreCaption, "Abort"},
    {Text::kafAproposCaption, "About..."},
    {Text::kafOptionsCaption, "Settings"},
    {Text::kafInterrompreTousCaption, "Abort all"},
    {Text::kafCollerFichiersCaption, "Paste"},
    {Text::kafOuvrirFichiersCaption, "Open..."},
    {Text::kafOuvrirDossierPrefereCaption, "Open the preferred folder"},
    {Text::kafOuvrirToutCaption, "Open all"},
    {Text::kafOuvrirunDossierCaption, "Open a folder..."},
    {Text::kafOuvrirPlayListCaption, "Open the playlist..."},
    {Text::kafOuvrirDefaultPlayListCaption, "Open the default playlist"},
    {Text::kafOrdreAlphaCaption, "Alphabetical order"},
    {Text::kalTriDatecodeCaption, "Sort by datecode"},
    {Text::kalTriTailleCaption, "Sort by size"},
    {Text::kalTrierModifyCaption, "Sort by filedate"},
    {Text::kafViderListeCaption, "Empty the list"},
    {Text::kafSelectionnerToutCaption, "Select all"},
    {Text::kafSauverListeCaption, "Save the playlist as..."},
    {Text::kamDossierParentCaption, "Parent folder"},
    {Text::kamRiffHeaderCaption, "Display the RIFF header"},
    {Text::kamDefaultPlayerCaption, "Play with default player"},
    {Text::kafPictrelCaption, "Open with "},
    {Text::kamAfficherDatecodeCaption, "Display the datecode"},
    {Text::kamAfficherSlidersCaption, "Modify the position of inlay"},
    {Text::kavPlayStopCaption, "Play "},
    {Text::kavFullscreenCaption, "Fullscreen"},
    {Text::kavMuteCaption, "Sound off"},
    {Text::kavanceLowCaption, "One frame forward"},
    {Text::kreculeLowCaption, "One frame backward"},
    {Text::kavanceMediumCaption, "One second forward"},
    {Text::kReculeMediumCaption, "One second backward"},
    {Text::kavanceHighCaption, "One minute forward"},
    {Text::kReculeHighCaption, "One minute backward"},
    {Text::kAvanceSceneCaption, "One scene forward"},
    {Text::kReculeSceneCaption, "One scene backward"},
    {Text::kavAvanceFinCaption, "Go to end"},
    {Text::kavReculeDebutCaption, "Go to start"},
    {Text::kamSupprimerFichierCaption, "Delete the file"},
    {Text::kamOterFichierCaption, "Remove the file"},
    {Text::kamAjouterDatecodeCaption, "Add datecode"},
    {Text::kamAjouterTimecodeCaption, "Add timecode"},
    {Text::kamPurgerNomCaption, "Shorten the name"},
    {Text::kamFileDateCaption, "Modify the filedate"},
    {Text::kamRenameScAnCaption, "Rename"},
    {Text::kamDVType1Caption, "Convert to DV type 1"},
    {Text::kamDVType2Caption, "Convert to DV type 2"},
    {Text::kamNTSCCaption, "Convert to NTSC"},
    {Text::kamPalCaption, "Convert to Pal"},
    {Text::kamIncrusterDatecodeCaption, "Inlay datecode"},
    {Text::kamConvertirDVCaption, "Recompress to DV type 2"},
    {Text::kamCreerScenesCaption, "Create a scn file"},
    {Text::kamSupprimerScenesCaption, "Delete the scn file"},
    {Text::kamExtraireAudioCaption, "Extract audio to WAV"},
    {Text::kamCorrigerFpsCaption, "Modify the video FPS"},
    {Text::kamScenesTextCaption, "Export the scenes to text"},
    {Text::kamDecalerHoraireCaption, "Fix a time difference"},
    {Text::kamCorrigerCodecCaption, "Change the codec"},

    {Text::kafQuitterHint, "Quit Korvid"},
    {Text::kafAproposHint, "Help and About"},
    {Text::kafOptionsHint, "Change settings and preferences."},
    {Text::kafOuvrirDossierPrefereHint, "Add all avi files from the preferred folder."},
    {Text::kafViderListeHint, "Empty the list"},
    {Text::kafSelectionnerToutHint, "Select all files."},
    {Text::kamDossierParentHint, "Open the parent folder."},
    {Text::kOpenFilesHint, "Add files to the list of videos.\r\nOnly avi files will be processed."},
    {Text::kPasteFilesHint, "Paste avi files from the clipboard.\r\nOnly avi files will be processed."},
    {Text::kShowDatecodeHint, "Display the datecode on the video. \r\nUseful to change the positoin of the inlay."},
    {Text::kSoundOnHint, "Sound is On.\r\nClick to turn the sound Off."},

    {Text::kCancelButton, "Cancel"},
    {Text::kCodecDvsd, "dvsd (Microsoft)"},
    {Text::kCodecDsvd, "dsvd"},
    {Text::kCodecCdvc, "CDVC (Canopus)"},
    {Text::kPersonalizedItem, "personalized"},
    {Text::kCodecFormTitle, "Chnage the video codec"},
    {Text::kCodecFormPrompt, "Choose the codec"},
    {Text::kCodecFormEditLabel, "Personalized Codec"},
    {Text::kCodecFormUnit, "(4 characters)"},
    {Text::kRatePal, "25 frames/sec (Pal)"},
    {Text::kRateNtsc, "29.97 frames/sec (NTSC)"},
    {Text::kRateFormTitle, "Fix the framerate"},
    {Text::kRateFormPrompt, "Indicate the framerate in frames per seconds.\nThe audio frequency remains inchanged."},
    {Text::kRateFormEditLabel, "Personalized frequency"},
    {Text::kRateFormEditHint, "Indicate the framerate by a decimal number\n(using your local representation)."},
    {Text::kRateFormUnit, "frames/sec"},
    {Text::kRateFormOkHint, "Apply the new framerate."},
    {Text::kRateFormCancelHint, "Cancel the command \"Fix the framerate\" \nwithout applying the modification."},

    {Text::kCommandLineTitle, "Command Line"},
    {Text::kSwitchCloseAfterCommands, "Close after commands"},
    {Text::kSwitchHideWindow, "Hide the window"},
    {Text::kSwitchNoConfirmation, "No confirmation"},
    {Text::kSwitchHelp, "Help"},
    {Text::kStepDone, ": done"},
    {Text::kStepMade, ": made %s"},
    {Text::kStepSkipped, ": skipped, %s"},
    {Text::kStepRenamed, ": renamed to %s"},
    {Text::kStepRemoved, ": removed from the list"},
    {Text::kStepTrashed, ": moved to the trash"},
    {Text::kStepFailed, ": failed, %s"},
    {Text::kSkipNotApplicable, "the command does not apply to this file"},
    {Text::kSkipReadOnly, "the file is read-only"},
    {Text::kSkipNoDatecode, "the file has no datecode"},
    {Text::kSkipNoTimecode, "the file has no timecode"},
    {Text::kSkipNothingToShorten, "the name has nothing to shorten"},
    {Text::kSkipNotDvType2, "the file is not DV type 2"},
    {Text::kSkipNotDvType1, "the file is not DV type 1 (dvsd)"},
    {Text::kSkipNotPalDv, "the file is not PAL DV"},
    {Text::kSkipNotNtscDv, "the file is not NTSC DV"},
    {Text::kSkipAlreadyDv, "the file is DV already"},
    {Text::kSkipNoDvToInlay, "the file is not DV type 2 nor DV type 1 (dvsd)"},
    {Text::kSkipNoSound, "the file has no sound"},
    {Text::kSkipNoScnFile, "the file has no scn file"},
    {Text::kSkipAnsweredNo, "the question was answered No"},
    {Text::kSkipFoundByScan, "found by scanning a folder: only files named on the command line are deleted"},
    {Text::kPathNotFound, "%s: skipped, no such file or folder"},
    {Text::kUnknownSwitch, "korvid: '%s' in '%s' is no switch; nothing was run (korvid /? lists the switches)\n"},
    {Text::kRenameFailed, "Impossible to rename %s to %s: %s"},
    {Text::kFileDateFailed, "Impossible to set the date of %s: %s"},
    {Text::kDefaultPlaylistNotSaved, "korvid: the default playlist was not saved: %s\n"},
    {Text::kNoWindowInThisBuild, "korvid: the window is not available in this build; the command line runs without it\n"},
    {Text::kPluginLoadFailed, "the library does not load: %s"},
    {Text::kPluginTextUnterminated, "its %s text does not end within the buffer"},
    {Text::kPluginWrongType, "its type \"%s\" is not korvid_0005"},
    {Text::kPluginActionCount, "it reports %s actions (at most %s are allowed)"},
    {Text::kPluginBadAction, "its action number %s is not usable: %s"},
    {Text::kPluginActionMissing, "it gives no action"},
    {Text::kPluginActionTooSmall, "its structure has %s bytes, fewer than %s"},
    {Text::kPluginActionNoName, "it has no name"},
    {Text::kPluginActionNoHandler, "it has neither a handler nor a model"},
    {Text::kPluginsUsed, "%s uses the following plug-ins:"},
    {Text::kPluginTitle, "%s (%s actions):"},
    {Text::kPluginNotNamed, "%s could not be named after its datecode: %s"},
    {Text::kPluginNameLeavesFolder, "the renaming format would move it into another folder"},
    {Text::kPluginSkipped, "korvid: the plug-in %s was skipped: %s\n"},
}};

constexpr bool InEnumOrder() {
  for (std::size_t i = 0; i < kTexts.size(); ++i) {
    if (static_cast<std::size_t>(kTexts[i].id) != i || kTexts[i].text.empty()) return false;
  }
  return true;
}
static_assert(InEnumOrder(), "every Text needs one entry, in the order of the enum");

}  // namespace

std::string_view Str(Text text) {
  const auto index = static_cast<std::size_t>(text);
  return index < kTexts.size() ? kTexts[index].text : std::string_view{};
}

std::string Fill(Text text, std::initializer_list<std::string_view> values) {
  const std::string_view pattern = Str(text);
  std::string out;
  out.reserve(pattern.size());
  const std::string_view* next = values.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
      if (next != values.end()) out += *next++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace korvid::resources
