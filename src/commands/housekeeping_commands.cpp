#include "commands/housekeeping_commands.h"

#include <system_error>

#include "commands/file_action.h"
#include "commands/recycle_bin.h"
#include "commands/scene_files.h"
#include "media/binary_file.h"
#include "settings/preference_table.h"
#include "settings/system_locale.h"

namespace korvid::commands {
namespace {

constexpr std::string_view kVersionText = "5.3.6";

std::string Replace1(std::string_view pattern, std::string_view value) {
  const std::size_t at = pattern.find("%s");
  if (at == std::string_view::npos) return std::string(pattern);
  std::string out(pattern.substr(0, at));
  return out.append(value).append(pattern.substr(at + 2));
}

}  // namespace

media::RiffReportStamp CurrentRiffReportStamp() {
  media::RiffReportStamp stamp;
  stamp.now = LocalNow();
  stamp.locale = settings::SystemLocaleFormats();
  stamp.program = std::string(settings::kProductName);
  stamp.maker = std::string(settings::kMakerName);
  stamp.version = std::string(kVersionText);
  stamp.webAddress = std::string(kMakerWebAddress);
  return stamp;
}

TchUpdateType oterfichierExecution() { return utDelete; }

void SupprimerFichierFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  visible = enabled = !entry.IsReadOnly();
}

std::string SupprimerFichierConfirmation(const media::TAfficherFichier& entry) {
  constexpr std::string_view kTail = "\r\nIf yes, it will be sent to the Recycle bin.";
  std::string full = "Do you really want to delete ";
  full.append(entry.name).append(" ?").append(kTail);
  if (FitsConfirmation(full)) return full;
  std::string shorter = "Do you really want to delete this file?";
  return shorter.append(kTail);
}

TchUpdateType SupprimerFichierExecution(const media::TAfficherFichier& entry, HousekeepingServices& services) {
  const bool trashed = services.trash ? services.trash(entry.fullName) : MoveToRecycleBin(entry.fullName);
  if (trashed) return utDelete;
  std::string message = "Impossible to delete ";
  message.append(entry.fullName).append("\r\nIt is perhaps in use or read only");
  services.host.Ask(MessageKind::kError, message, Buttons::kOk);
  return utNone;
}

std::string ParentFolderOf(const std::string& fullName) {
  const std::size_t slash = fullName.rfind('/');
  return slash == std::string::npos ? std::string() : fullName.substr(0, slash + 1);
}

TchUpdateType DossierParentExecution(const media::TAfficherFichier& entry, HousekeepingServices& services) {
  const std::string folder = ParentFolderOf(entry.fullName);
  if (!folder.empty()) services.launcher.Open(folder);
  return utNone;
}

TchUpdateType DefaultPlayerExecution(const media::TAfficherFichier& entry, HousekeepingServices& services) {
  if (!entry.fullName.empty()) services.launcher.Open(entry.fullName);
  return utNone;
}

TchUpdateType RiffHeaderExecution(const media::TAfficherFichier& entry, HousekeepingServices& services) {
  services.riffView.BeginReport(entry.fullName);
  try {
    const media::RiffReportStamp stamp = services.reportStamp ? services.reportStamp() : CurrentRiffReportStamp();
    const media::RiffReport report =
        media::BuildRiffReport(entry.fullName, stamp, [&] { return services.riffView.KeepGoing(); });
    services.riffView.EndReport(report);
  } catch (const media::FileError&) {
    services.host.Ask(MessageKind::kWarning,
                      Replace1("The file %s is busy. It may be used by another process. Please wait.",
                               entry.fullName),
                      Buttons::kOk);
    services.riffView.CloseReport();
  }
  return utNone;
}

void PictrelGeneralCondition(const settings::Preferences& preferences, bool& visible) {
  std::error_code error;
  visible = !preferences.frameGrabProgram.empty() &&
            std::filesystem::is_regular_file(preferences.frameGrabProgram, error);
}

TchUpdateType PictrelExecution(const media::TAfficherFichier& entry, HousekeepingServices& services) {
  services.launcher.StartDetached(services.preferences.frameGrabProgram, {entry.fullName});
  return utNone;
}

}  // namespace korvid::commands
