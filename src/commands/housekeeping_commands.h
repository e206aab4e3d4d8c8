#pragma once
// The small commands on a file or on the list itself: take entries out of
// the list, delete to the trash, open the folder, play in the desktop's
// player, show the RIFF structure report, start the frame grabber.

#include <filesystem>
#include <functional>
#include <string>

#include "commands/command_host.h"
#include "commands/desktop_launcher.h"
#include "commands/update_type.h"
#include "media/riff_report.h"
#include "media/video_record.h"
#include "settings/preferences.h"

namespace korvid::commands {

// The window that shows the structure report. It opens with the caption
// "Header of the file <full name>" and Save disabled, lets events run
// while the report is built, and is closed again when the file is busy.
class RiffReportView {
 public:
  virtual ~RiffReportView() = default;
  virtual void BeginReport(const std::string& fullName) = 0;
  // False once the user closed the window or pressed Close.
  virtual bool KeepGoing() { return true; }
  // The finished report: its lines shown and Save enabled; a cancelled one closes.
  virtual void EndReport(const media::RiffReport& report) = 0;
  virtual void CloseReport() = 0;
};

using TrashMover = std::function<bool(const std::filesystem::path&)>;

struct HousekeepingServices {
  CommandHost& host;
  DesktopLauncher& launcher;
  RiffReportView& riffView;
  const settings::Preferences& preferences;
  // The stamp of a report made now (date, locale, program, web address).
  std::function<media::RiffReportStamp()> reportStamp;
  // MoveToRecycleBin when empty.
  TrashMover trash;
};

TchUpdateType oterfichierExecution();

void SupprimerFichierFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
std::string SupprimerFichierConfirmation(const media::TAfficherFichier& entry);
// utDelete once the file is in the trash; otherwise it stays, on disk and
// listed, and the FileError thrown names it. Never deletes outright.
TchUpdateType SupprimerFichierExecution(const media::TAfficherFichier& entry, HousekeepingServices& services);

// The folder part of the path, up to and including its last "/".
std::string ParentFolderOf(const std::string& fullName);
TchUpdateType DossierParentExecution(const media::TAfficherFichier& entry, HousekeepingServices& services);
TchUpdateType DefaultPlayerExecution(const media::TAfficherFichier& entry, HousekeepingServices& services);
TchUpdateType RiffHeaderExecution(const media::TAfficherFichier& entry, HousekeepingServices& services);

// Offered when the frame grabber named by "Fichier Pictrel" exists.
void PictrelGeneralCondition(const settings::Preferences& preferences, bool& visible);
// The grabber gets the video's full path as its one argument; no shell is
// in between, so the path needs no quotes to stay one argument.
TchUpdateType PictrelExecution(const media::TAfficherFichier& entry, HousekeepingServices& services);

}  // namespace korvid::commands
