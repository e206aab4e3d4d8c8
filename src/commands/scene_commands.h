#pragma once
// The three scene commands as plain handlers, ready to be bound to their
// file actions: create the scene file, export the scene list as text (the
// same scan with the other writer), and delete the scene file.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "commands/command_host.h"
#include "commands/scene_files.h"
#include "commands/update_type.h"
#include "graphs/scene_detector.h"
#include "media/video_record.h"

namespace korvid::graphs {
class SceneScanJob;
}

namespace korvid::commands {

// What a scan needs from its surroundings.
struct SceneScanServices {
  CommandHost& host;
  // Escape: the scan stops at once, scenes already finished stay written.
  const std::atomic<bool>& abort;
  // Kept from scan to scan (it remembers the last frame's time).
  graphs::SceneDetector& detector;
  media::DatecodeFormat datecodeFormat;
  // The player shows the frame where each new scene begins; called on the
  // calling thread while the scan runs.
  std::function<void(std::int32_t frame)> showSceneStart;
  // Marks the main window busy for the length of the scan.
  std::function<void(bool busy)> setBusy;
  // The pace at which the gauge and the scene start follow the scan.
  int tickMs = 100;
};

// Clears the busy mark however the scan ends.
class BusyMark {
 public:
  explicit BusyMark(const std::function<void(bool)>& set) : set_(set) {
    if (set_) set_(true);
  }
  ~BusyMark() {
    if (set_) set_(false);
  }
  BusyMark(const BusyMark&) = delete;
  BusyMark& operator=(const BusyMark&) = delete;

 private:
  const std::function<void(bool)>& set_;
};

// Runs the job, keeping the window alive, feeding the gauge and showing
// where new scenes begin.
void RunScan(graphs::SceneScanJob& job, std::size_t frames, SceneScanServices& services);

enum class SceneScanOutcome {
  kCompleted,     // every frame scanned, the last scene written
  kAborted,       // stopped by the user; finished scenes written
  kRefused,       // the writer cannot serve this file; nothing touched
  kNotScannable,  // not AVI, no video, no frames: no output
};

// Scans the entry's file into `writer`. A completed or aborted scan puts
// its output under its name; otherwise the name keeps what it held. A file
// with nothing to scan gives kNotScannable, with the reason in `nothing`
// when given; a failure to read or write throws its UserError.
SceneScanOutcome ScanScenes(SceneWriter& writer, const media::TAfficherFichier& entry, SceneScanServices& services,
                            std::string* nothing = nullptr);

// The execution of both scan commands: utModify after a scan (the entry is
// analysed again). A refused file or one with nothing to scan throws
// CommandSkipped and is left alone; failures throw their UserError.
TchUpdateType CreerScenesExecution(SceneWriter& writer, const media::TAfficherFichier& entry,
                                   std::string& newfichier, SceneScanServices& services);

// Questions of at most this many bytes are asked as they are.
inline constexpr std::size_t kMaxQuestionBytes = 254;

std::string CreerScenesConfirmation(const media::TAfficherFichier& entry);
std::string ScenesTextConfirmation(const media::TAfficherFichier& entry);

void SupprimerScenesFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
std::string SupprimerScenesConfirmation(const media::TAfficherFichier& entry);

using RecycleBinMover = std::function<bool(const std::filesystem::path&)>;
// Moves the entry's scene file to the trash with `mover` (MoveToRecycleBin
// when empty); throws media::FileError, whose text the user sees, when the
// file stays where it was.
TchUpdateType SupprimerScenesExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                       const RecycleBinMover& mover = {});

}  // namespace korvid::commands
