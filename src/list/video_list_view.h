#pragma once
// What the video list needs from whatever shows it. The window implements
// it; tests implement it to watch the list. Every call has a do-nothing
// default so that a view overrides only what it shows.

#include <string>

#include "list/list_status.h"
#include "media/video_record.h"

namespace korvid::list {

class VideoListView {
 public:
  virtual ~VideoListView() = default;

  // The lines changed; the list itself holds names, selection and focus.
  virtual void LinesChanged() {}
  virtual void StatusRefreshed(const ListStatus& /*status*/) {}
  // The Settings or About panel covers the list.
  virtual bool PanelShown() const { return false; }

  // A batch of additions: tall window, hourglass, the message in the status bar.
  virtual void BatchStarted(const std::string& /*message*/) {}
  // Back to the default cursor.
  virtual void BatchEnded() {}
  virtual void SetStatusText(const std::string& /*text*/) {}

  // The current entry's information, or none; the player loads it when running.
  virtual void ShowCurrentEntry(const media::TAfficherFichier* /*record*/) {}
  // Enable and show the actions again (the view state may have changed).
  virtual void RefreshActions() {}
  // Emptying the list stops the player first.
  virtual void StopPlayback() {}

  // Let pending events run (Escape sets AbortCommand) during long loops.
  virtual void ProcessEvents() {}
};

}  // namespace korvid::list
