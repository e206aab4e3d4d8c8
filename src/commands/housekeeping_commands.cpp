#include "commands/housekeeping_commands.h"

#include <system_error>

#include "commands/file_action.h"
#include "commands/recycle_bin.h"
#include "commands/scene_files.h"
#include "media/binary_file.h"
#include "settings/preference_table.h"
#include "settings/system_locale.h"
#include "resources/product.h"
#include "resources/string_table.h"

namespace korvid::commands {
TchUpdateType oterfichierExecution() { return utDelete; }

void SupprimerFichierFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  visible = enabled = !entry.IsReadOnly();
}

std::string SupprimerFichierConfirmation(const media::TAfficherFichier& entry) {
  std::string full = resources::Fill(resources::Text::kDeleteFile, {entry.name});
  if (FitsConfirmation(full)) return full;
  return std::string(resources::Str(resources::Text::kDeleteThisFile));
}

TchUpdateType SupprimerFichierExecution(const media::TAfficherFichier& entry, HousekeepingServices& services) {
  const bool trashed = services.trash ? services.trash(entry.fullName) : MoveToRecycleBin(entry.fullName);
  if (!trashed) throw media::FileError(resources::Fill(resources::Text::kDeleteFailed, {entry.fullName}));
  return utDelete;
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
    const media::RiffReportStamp stamp = services.reportStamp ? services.reportStamp() : media::CurrentRiffReportStamp();
    const media::RiffReport report =
        media::BuildRiffReport(entry.fullName, stamp, [&] { return services.riffView.KeepGoing(); });
    services.riffView.EndReport(report);
  } catch (const media::FileError&) {
    services.host.Ask(MessageKind::kWarning,
                      resources::Fill(resources::Text::kFileBusy, {entry.fullName}),
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
