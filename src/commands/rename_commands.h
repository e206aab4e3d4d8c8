#pragma once
// The naming commands: add the datecode or the timecode to a file's name,
// shorten a name back, rename after the datecode, and set the file's date
// from the datecode. Each renaming takes the scene file along.
//
// A rename never replaces a file: the move itself refuses an existing
// target, and a target that appeared after the name was chosen makes the
// move take the next free "(n)" counter.

#include <string>
#include <string_view>

#include "commands/command_host.h"
#include "commands/update_type.h"
#include "media/video_record.h"
#include "settings/date_time_format.h"
#include "settings/preferences.h"

namespace korvid::commands {

struct RenameServices {
  const settings::Preferences& preferences;
  settings::LocaleFormats locale;
  // The player lets go of the file while its dates are set.
  CommandHost& host;
};

// The path without its last four characters (".avi" in any case).
std::string StemOf(std::string_view fullName);
// Those four characters as the path writes them: a rename keeps them.
std::string ExtensionOf(std::string_view fullName);
// The first of base, base(1), base(2)... for which neither base + extension,
// nor a video under any case of ".avi", nor base + ".scn" exists, so that a
// renamed video never meets a stale scene file or shares one. Throws
// FileError when the counters run out.
std::string UniqueTargetName(std::string_view base, std::string_view extension);

enum class MoveOutcome { kMoved, kTargetExists, kFailed };
// Moves `from` to `to` unless something already exists at `to`; errno
// tells why a move failed.
MoveOutcome MoveNoReplace(const std::string& from, const std::string& to);

struct RenameOutcome {
  TchUpdateType update = utNone;
  std::string newfichier;
};
// Moves the video at `fullName` to target + its extension, then its scene
// file to target.scn when there is one. When a target name has appeared
// since it was chosen, the next free name after `base` is taken instead.
// Throws FileError when the video cannot be moved.
RenameOutcome RenameWithCompanion(const std::string& fullName, const std::string& base, std::string target);

// Offered for files with a datecode (AjouterDateCode, RenameScAn, FileDate).
void DatecodeFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
void AjouterTimecodeFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
void PurgerNomFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);

// The base names before UniqueTargetName; empty when the command cannot
// name the file (no datecode, a name part from the preferences that would
// leave the folder or holds a control character: the executions then
// refuse with the reason).
std::string AjouterDateCodeBase(const media::TAfficherFichier& entry, const RenameServices& services);
std::string AjouterTimecodeBase(const media::TAfficherFichier& entry);
// The stem with its removable "_" segments cut from the end; never cuts
// into a folder name nor leaves an empty file name.
std::string PurgedStem(std::string_view stem);
std::string RenameScAnBase(const media::TAfficherFichier& entry, const RenameServices& services);

// A segment the shortening removes: a suffix of ours, or no ASCII letter.
bool IsRemovableSegment(std::string_view segment);

std::string AjouterDateCodeConfirmation(const media::TAfficherFichier& entry, const RenameServices& services);
std::string AjouterTimecodeConfirmation(const media::TAfficherFichier& entry);
std::string PurgerNomConfirmation(const media::TAfficherFichier& entry);
std::string RenameScAnConfirmation(const media::TAfficherFichier& entry, const RenameServices& services);
std::string FileDateConfirmation(const media::TAfficherFichier& entry, const settings::LocaleFormats& locale);

// The renames throw FileError when the move fails, and CommandSkipped when
// no name can be made for the file.
TchUpdateType AjouterDateCodeExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                       const RenameServices& services);
TchUpdateType AjouterTimecodeExecution(const media::TAfficherFichier& entry, std::string& newfichier);
TchUpdateType PurgerNomExecution(const media::TAfficherFichier& entry, std::string& newfichier);
TchUpdateType RenameScAnExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                  const RenameServices& services);
// Sets the last-write time to the datecode, read as local time of the
// preferences' zone (LocalToEpoch); the last-access time stays. This platform
// keeps no settable creation time. Always utModify, so that the entry
// shows its dates again. Throws FileError when the date cannot be set.
TchUpdateType FileDateExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                const RenameServices& services);

// Sets the last-write time of `path` to `seconds` since the epoch, the
// last-access time left as it is; 0, or the errno of the failure.
int ChangeLastWriteTime(const std::string& path, long long seconds);

// Seconds since the epoch of a local date and time in `timeZone` (an IANA
// name, empty for the system's; the run's --time-zone goes first), with the
// offset in force at that moment. A time that occurs twice is taken the
// first time, one skipped by the clocks is moved forward; false only for a
// value that is no date. Throws settings::UnknownTimeZone for a wrong name.
bool LocalToEpoch(const settings::DateTimeValue& local, long long& seconds, const std::string& timeZone = {});

}  // namespace korvid::commands
