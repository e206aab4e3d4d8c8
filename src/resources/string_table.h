#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Every text the user sees, in one place. Code names a text by its `Text`
// entry; `%s` marks where a caller's value goes.
namespace korvid::resources {

enum class Text {
  // Questions asked before a command runs.
  kReplaceExistingFile,
  kReplaceExistingFileShort,
  kReplaceExistingScnFile,
  kChangeFramerateOfReadOnly,
  kChangeCodecOfReadOnly,
  kDeleteFile,
  kDeleteThisFile,
  kMoveScnFileToRecycleBin,
  kMoveThisScnFileToRecycleBin,
  kAddDatecodeAndRename,
  kAddDatecodeAndRenameShort,
  kAddDatecodeToThisFile,
  kAddTimecodeAndRename,
  kAddTimecodeAndRenameShort,
  kAddTimecodeToThisFile,
  kShortenNameAndRename,
  kShortenNameAndRenameShort,
  kShortenThisName,
  kRenameFileTo,
  kRenameThisFileTo,
  kRenameThisFile,
  kModifyDatesOfFile,
  kModifyDatesOfThisFile,
  kFileDateDetails,

  // Message boxes.
  kDeleteFailed,
  kDeleteScnFileFailed,
  kFileBusy,
  kScnPathTooLong,

  // Removing the stored preferences; %s is the product name.
  kDeletePreferencesQuestion,
  kPreferencesNotFound,
  kPreferencesDeleted,
  kPreferencesDeleteFailed,

  // Filter availability report; the doubled letter is the wording users have always seen.
  kConversionFiltersAvailable,
  kConversionFiltersMissing,
  kListingFiltersAvailable,
  kListingFiltersMissing,
  kDisplayFiltersAvailable,
  kDisplayFiltersMissing,
  kScenesFiltersAvailable,
  kScenesFiltersMissing,
  kInlayFiltersAvailable,
  kInlayFiltersMissing,
  kDeinterlacerFilterAvailable,
  kDeinterlacerFilterMissing,
  kLayrinFilterAvailable,
  kLayrinFilterMissing,
  kCalenoxFilterAvailable,
  kCalenoxFilterMissing,
  kDixmarkFilterAvailable,
  kDixmarkFilterMissing,
  kHorolanFilterAvailable,
  kHorolanFilterMissing,
  kWavDestFilterAvailable,
  kWavDestFilterMissing,

  // Status texts of the list while it fills.
  kLoadingFiles,
  kPasteFiles,
  kOpenDroppedFiles,
  kBrowsingFolder,
  kLoadingAllAviFiles,
  kOpenPlaylist,

  // Caption and hint of the list; the first %s is the selected count, the second the total.
  kListCaptionOne,
  kListCaptionMany,
  kSortedAlphabetically,
  kSortedByFilesize,
  kSortedByFiledate,
  kSortedByDatecode,
  kListHintOne,
  kListHintMany,

  // Playlist files.
  kPlaylistTitle,
  kPlaylistWebSite,
  kPlaylistCountOne,
  kPlaylistCountMany,
  kPlaylistByAlphabet,
  kPlaylistByFilesize,
  kPlaylistByFiledate,
  kPlaylistByDatecode,
  kPlaylistDoneOn,
  kPlaylistCannotCreate,
  kPlaylistCannotWrite,

  // Captions of the built-in file actions.
  kDossierParentCaption,
  kSupprimerFichierCaption,
  koterfichierCaption,
  kRiffHeaderCaption,
  kDefaultPlayerCaption,
  kAjouterTimecodeCaption,
  kAjouterDateCodeCaption,
  kPurgerNomCaption,
  kFileDateCaption,
  kRenameScAnCaption,
  kDVtype1Caption,
  kDVType2Caption,
  kNtscCaption,
  kPalCaption,
  kIncrusterDatecodeCaption,
  kConvertirDVCaption,
  kCreerScenesCaption,
  kSupprimerScenesCaption,
  kExtraireAudioCaption,
  kCorrigerFpsCaption,
  kScenesTextCaption,
  kAfficherDatecodeCaption,
  kAfficherSlidersCaption,
  kDecalerHoraireCaption,
  kCorrigerCodecCaption,

  // Progress messages of the built-in file actions; %s is the file.
  kSupprimerFichierProgress,
  kDVtype1Progress,
  kDVType2Progress,
  kNtscProgress,
  kPalProgress,
  kIncrusterDatecodeProgress,
  kConvertirDVProgress,
  kCreerScenesProgress,
  kExtraireAudioProgress,
  kScenesTextProgress,
  kDecalerHoraireProgress,

  kCount
};

// The text itself, with its placeholders untouched.
std::string_view Str(Text text);

// The text with each `%s` replaced by the next of `values`, in order; a
// placeholder with no value left becomes empty.
std::string Fill(Text text, std::initializer_list<std::string_view> values);

}  // namespace korvid::resources
