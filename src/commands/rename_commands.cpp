#include "commands/rename_commands.h"

#include "settings/recording_zone.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "commands/command_skipped.h"
#include "commands/file_action.h"
#include "commands/scene_files.h"
#include "media/binary_file.h"
#include "resources/printable_text.h"
#include "resources/string_table.h"
#include "settings/preference_checks.h"
#include "settings/recording_zone.h"

namespace korvid::commands {
namespace {

// Enough for any folder a person fills; a bound so that a hostile folder
// that keeps creating names cannot hold the command forever.
constexpr int kMaxMoveAttempts = 1000;
// The counters a free name is looked for with; a folder where all are
// taken ends the search instead of holding the command for ever.
constexpr long long kMaxNameCounter = 10000;

bool ExistsAt(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// A video under any case of ".avi" would share the scene file of the name.
bool AnyVideoAt(const std::string& name) {
  for (unsigned upper = 0; upper < 8; ++upper) {
    std::string extension = ".avi";
    for (unsigned letter = 0; letter < 3; ++letter)
      if ((upper & (1u << letter)) != 0) extension[letter + 1] = static_cast<char>(extension[letter + 1] - 'a' + 'A');
    if (ExistsAt(name + extension)) return true;
  }
  return false;
}

std::string FileNameOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

// The first text that fits, trying them in order; the last one always.
std::string FirstFitting(std::initializer_list<std::string> texts) {
  std::string last;
  for (const std::string& text : texts) {
    if (FitsConfirmation(text)) return text;
    last = text;
  }
  return last;
}

bool HasDatecode(const media::TAfficherFichier& entry) {
  return entry.datecodeText != media::kNotAvailableText && entry.datecodeText != media::kErrorText;
}

TchUpdateType RenameTo(const media::TAfficherFichier& entry, const std::string& base, std::string& newfichier) {
  if (base.empty()) throw CommandSkipped(std::string(resources::Str(resources::Text::kSkipNotApplicable)));
  const RenameOutcome outcome =
      RenameWithCompanion(entry.fullName, base, UniqueTargetName(base, ExtensionOf(entry.fullName)));
  newfichier = outcome.newfichier;
  return outcome.update;
}

// The new name a confirmation shows.
std::string ChosenName(const media::TAfficherFichier& entry, const std::string& base) {
  const std::string extension = ExtensionOf(entry.fullName);
  return UniqueTargetName(base, extension) + extension;
}

[[noreturn]] void ThrowFileError(resources::Text text, std::initializer_list<std::string_view> values) {
  throw media::FileError(resources::Fill(text, values));
}

// The name part "Rename" gives: the root and the formatted datecode.
std::string RenameScAnNamePart(const media::TAfficherFichier& entry, const RenameServices& services) {
  if (!entry.datecode) return {};
  return services.preferences.renameRoot +
         settings::FormatDateTime(services.preferences.renameFormat, *entry.datecode, services.locale);
}

// Why a name part made from the preferences cannot be part of a file name,
// or empty: a separator would move the file into another folder, and a
// control character (a NUL cuts the name the system sees) breaks the name.
std::string_view BuiltNameProblem(std::string_view part) {
  if (part.find('/') != std::string_view::npos) return resources::Str(resources::Text::kNameHoldsSeparator);
  if (settings::HasControlCharacter(part)) return resources::Str(resources::Text::kNameHoldsControl);
  return {};
}

// Refuses, with the reason, to rename to a name the preferences broke.
void RefuseBuiltName(const media::TAfficherFichier& entry, std::string_view part, const std::string& target) {
  const std::string_view why = BuiltNameProblem(part);
  if (!why.empty())
    ThrowFileError(resources::Text::kRenameFailed, {entry.fullName, resources::Printable(target), why});
}

}  // namespace

std::string StemOf(std::string_view fullName) {
  return std::string(fullName.substr(0, fullName.size() >= 4 ? fullName.size() - 4 : 0));
}

std::string ExtensionOf(std::string_view fullName) {
  return std::string(fullName.substr(fullName.size() >= 4 ? fullName.size() - 4 : 0));
}

std::string UniqueTargetName(std::string_view base, std::string_view extension) {
  std::string candidate(base);
  const auto taken = [&extension](const std::string& name) {
    return ExistsAt(name + std::string(extension)) || AnyVideoAt(name) || ExistsAt(name + ".scn");
  };
  for (long long n = 1; taken(candidate); ++n) {
    if (n > kMaxNameCounter)
      ThrowFileError(resources::Text::kNoFreeName,
                     {resources::Printable(std::string(base) + std::string(extension)), std::to_string(kMaxNameCounter)});
    candidate = std::string(base) + "(" + std::to_string(n) + ")";
  }
  return candidate;
}

MoveOutcome MoveNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return MoveOutcome::kMoved;
  if (errno == EEXIST) return MoveOutcome::kTargetExists;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return MoveOutcome::kFailed;
  // File systems without the no-replace rename: a hard link refuses an
  // existing target just the same.
  if (::link(from.c_str(), to.c_str()) != 0) return errno == EEXIST ? MoveOutcome::kTargetExists : MoveOutcome::kFailed;
  if (::unlink(from.c_str()) != 0) {
    const int why = errno;
    ::unlink(to.c_str());
    errno = why;
    return MoveOutcome::kFailed;
  }
  return MoveOutcome::kMoved;
}

RenameOutcome RenameWithCompanion(const std::string& fullName, const std::string& base, std::string target) {
  const std::string extension = ExtensionOf(fullName);
  // The system reads a name up to its first NUL: what follows, the
  // extension included, would be lost.
  if (target.find('\0') != std::string::npos)
    ThrowFileError(resources::Text::kRenameFailed,
                   {fullName, resources::Printable(target + extension),
                    resources::Fill(resources::Text::kNameLosesExtension, {extension})});
  for (int attempt = 0;; ++attempt) {
    const MoveOutcome moved = MoveNoReplace(fullName, target + extension);
    if (moved == MoveOutcome::kMoved) break;
    const std::string why = moved == MoveOutcome::kFailed ? std::strerror(errno) : std::strerror(EEXIST);
    if (moved == MoveOutcome::kFailed || attempt + 1 >= kMaxMoveAttempts)
      ThrowFileError(resources::Text::kRenameFailed, {fullName, target + extension, why});
    target = UniqueTargetName(base, extension);
  }
  const std::string oldScene = SceneFilePath(fullName);
  if (ExistsAt(oldScene)) MoveNoReplace(oldScene, target + ".scn");
  return {utRename, target + extension};
}

void DatecodeFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  visible = enabled = HasDatecode(entry);
}

void AjouterTimecodeFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  visible = enabled = entry.timecodeText != media::kNotAvailableText && entry.timecodeText != media::kErrorText;
}

bool IsRemovableSegment(std::string_view segment) {
  // A segment across a folder boundary is never ours to cut.
  if (segment.find('/') != std::string_view::npos) return false;
  const std::string lower = media::AsciiLower(segment);
  for (const char* suffix : {"type2", "type1", "in", "ntsc", "pal", "am", "pm"})
    if (lower == suffix) return true;
  for (const char c : lower)
    if (c >= 'a' && c <= 'z') return false;
  return true;
}

std::string PurgedStem(std::string_view stem) {
  std::string_view rest = stem;
  for (;;) {
    const std::size_t underscore = rest.rfind('_');
    if (underscore == std::string_view::npos || !IsRemovableSegment(rest.substr(underscore + 1))) break;
    const std::string_view cut = rest.substr(0, underscore);
    // "_2005.avi" keeps its name: a bare ".avi" would be no name at all.
    if (cut.empty() || cut.back() == '/') break;
    rest = cut;
  }
  return std::string(rest);
}

void PurgerNomFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  const std::string stem = StemOf(entry.fullName);
  visible = enabled = PurgedStem(stem) != stem;
}

// The datecode text "Add datecode" appends, with the characters names
// should not hold replaced.
std::string AddedDatecodeText(const media::TAfficherFichier& entry, const RenameServices& services) {
  std::string text = settings::FormatDateTime(services.preferences.addDatecodeFormat, *entry.datecode, services.locale);
  for (char& c : text)
    if (std::string_view("<>:\"/\\|").find(c) != std::string_view::npos) c = '.';
  return text;
}

std::string AjouterDateCodeBase(const media::TAfficherFichier& entry, const RenameServices& services) {
  if (!entry.datecode) return {};
  const std::string text = AddedDatecodeText(entry, services);
  if (!BuiltNameProblem(text).empty()) return {};
  return StemOf(entry.fullName) + "_" + text;
}

std::string AjouterTimecodeBase(const media::TAfficherFichier& entry) {
  // The timecode text is digits and dots; anything else did not come from a frame.
  if (entry.timecodeText.find('/') != std::string::npos) return {};
  return StemOf(entry.fullName) + "_" + entry.timecodeText;
}

std::string RenameScAnBase(const media::TAfficherFichier& entry, const RenameServices& services) {
  const std::string namePart = RenameScAnNamePart(entry, services);
  if (namePart.empty() || !BuiltNameProblem(namePart).empty()) return {};
  return FolderOf(entry.fullName) + namePart;
}

std::string AjouterDateCodeConfirmation(const media::TAfficherFichier& entry, const RenameServices& services) {
  const std::string base = AjouterDateCodeBase(entry, services);
  if (base.empty()) return {};
  const std::string newName = FileNameOf(ChosenName(entry, base));
  return FirstFitting({
      resources::Fill(resources::Text::kAddDatecodeAndRename, {entry.name, newName}),
      resources::Fill(resources::Text::kAddDatecodeAndRenameShort, {newName}),
      std::string(resources::Str(resources::Text::kAddDatecodeToThisFile)),
  });
}

std::string AjouterTimecodeConfirmation(const media::TAfficherFichier& entry) {
  const std::string base = AjouterTimecodeBase(entry);
  if (base.empty()) return {};
  const std::string newPath = ChosenName(entry, base);
  return FirstFitting({
      resources::Fill(resources::Text::kAddTimecodeAndRename, {entry.fullName, newPath}),
      resources::Fill(resources::Text::kAddTimecodeAndRenameShort, {newPath}),
      std::string(resources::Str(resources::Text::kAddTimecodeToThisFile)),
  });
}

std::string PurgerNomConfirmation(const media::TAfficherFichier& entry) {
  const std::string newName = FileNameOf(ChosenName(entry, PurgedStem(StemOf(entry.fullName))));
  return FirstFitting({
      resources::Fill(resources::Text::kShortenNameAndRename, {entry.name, newName}),
      resources::Fill(resources::Text::kShortenNameAndRenameShort, {newName}),
      std::string(resources::Str(resources::Text::kShortenThisName)),
  });
}

std::string RenameScAnConfirmation(const media::TAfficherFichier& entry, const RenameServices& services) {
  const std::string base = RenameScAnBase(entry, services);
  if (base.empty()) return {};
  const std::string newName = FileNameOf(ChosenName(entry, base));
  return FirstFitting({
      resources::Fill(resources::Text::kRenameFileTo, {entry.name, newName}),
      resources::Fill(resources::Text::kRenameThisFileTo, {newName}),
      std::string(resources::Str(resources::Text::kRenameThisFile)),
  });
}

std::string FileDateConfirmation(const media::TAfficherFichier& entry, const settings::LocaleFormats& locale) {
  constexpr std::string_view kFormat = "ddddd hh:nn:ss";
  const std::string datecode = entry.datecode ? settings::FormatDateTime(kFormat, *entry.datecode, locale) : "";
  const std::string details = resources::Fill(resources::Text::kFileDateDetails,
                                              {settings::FormatDateTime(kFormat, entry.created, locale),
                                               settings::FormatDateTime(kFormat, entry.modified, locale), datecode});
  const std::string full = resources::Fill(resources::Text::kModifyDatesOfFile, {entry.name}) + details;
  if (FitsConfirmation(full)) return full;
  return CutUtf8(std::string(resources::Str(resources::Text::kModifyDatesOfThisFile)) + details,
                 kMaxConfirmationBytes + 1);
}

TchUpdateType AjouterDateCodeExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                       const RenameServices& services) {
  if (entry.datecode) {
    const std::string text = AddedDatecodeText(entry, services);
    RefuseBuiltName(entry, text, StemOf(entry.fullName) + "_" + text + ExtensionOf(entry.fullName));
  }
  return RenameTo(entry, AjouterDateCodeBase(entry, services), newfichier);
}

TchUpdateType AjouterTimecodeExecution(const media::TAfficherFichier& entry, std::string& newfichier) {
  return RenameTo(entry, AjouterTimecodeBase(entry), newfichier);
}

TchUpdateType PurgerNomExecution(const media::TAfficherFichier& entry, std::string& newfichier) {
  const std::string stem = StemOf(entry.fullName);
  const std::string base = PurgedStem(stem);
  if (base == stem) throw CommandSkipped(std::string(resources::Str(resources::Text::kSkipNothingToShorten)));
  return RenameTo(entry, base, newfichier);
}

TchUpdateType RenameScAnExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                  const RenameServices& services) {
  const std::string namePart = RenameScAnNamePart(entry, services);
  RefuseBuiltName(entry, namePart, FolderOf(entry.fullName) + namePart + ExtensionOf(entry.fullName));
  return RenameTo(entry, RenameScAnBase(entry, services), newfichier);
}

bool LocalToEpoch(const settings::DateTimeValue& local, long long& seconds, const std::string& timeZone) {
  const settings::RecordingZone zone(settings::ChosenTimeZone(timeZone));
  const auto instant = zone.ToUtc(local);
  if (!instant) return false;
  seconds = instant->utcSeconds;
  return true;
}

TchUpdateType FileDateExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                const RenameServices& services) {
  CommandHost& host = services.host;
  newfichier = entry.fullName;
  long long seconds = 0;
  if (!entry.datecode || !settings::IsValidDateTime(*entry.datecode) ||
      !LocalToEpoch(*entry.datecode, seconds, services.preferences.timeZone))
    throw CommandSkipped(std::string(resources::Str(resources::Text::kSkipNoDatecode)));
  host.ReleasePlayerFile();
  const int why = ChangeLastWriteTime(entry.fullName, seconds);
  host.RetakePlayerFile();
  if (why != 0) ThrowFileError(resources::Text::kFileDateFailed, {entry.fullName, std::strerror(why)});
  return utModify;
}

int ChangeLastWriteTime(const std::string& path, long long seconds) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  int why = fd < 0 ? errno : 0;
  if (fd >= 0) {
    struct timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    if (::futimens(fd, times) != 0) why = errno;
    ::close(fd);
  }
  return why;
}

}  // namespace korvid::commands
