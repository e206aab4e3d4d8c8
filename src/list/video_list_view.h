#pragma once
// What the video list needs from whatever shows it. The window implements
// it; tests implement it to watch the list. Every call has a do-nothing
// default so that a view overrides only what it shows.

#include <cstdint>
#include <string>
#include <vector>

#include "list/list_status.h"
#include "media/video_record.h"

namespace korvid::list {

// Names one entry for as long as it is listed: kept through sorting,
// re-analysis, renaming and the rewrite of its file; never given to
// another entry. 0 names none.
using EntryId = std::uint64_t;

class VideoListView {
 public:
  virtual ~VideoListView() = default;

  // Row changes. Each is sent right after the list made it, one row at a
  // time but for a sort's reorder, so a view that applies them in order to
  // its own copy of the rows holds the list's rows after every call; the
  // rows named are those of the list as it stands when the call arrives.
  // An item model keeps the ids as its rows and brackets applying each call
  // with its begin/end calls; texts and selection it reads from the list's
  // entry at the row.
  //
  // A new entry, now at `row`.
  virtual void RowInserted(int /*row*/, EntryId /*id*/) {}
  // The entry `id`, which was at `row`, has left the list. When it was the
  // focused one the list has no focus until a FocusChanged follows.
  virtual void RowRemoved(int /*row*/, EntryId /*id*/) {}
  // The entry at `row` has other texts or another record.
  virtual void RowChanged(int /*row*/) {}
  // The entry at `from` now stands at `to`, counted with it in its new
  // place (a Qt move's destination is to + 1 when to > from).
  virtual void RowMoved(int /*from*/, int /*to*/) {}
  // The same entries stand in a new order, all at once (a sort): the entry
  // now at row r stood at row `from[r]`. Selection and focus go with their
  // entries; a view that keeps its own selection moves it along too.
  virtual void RowsReordered(const std::vector<int>& /*from*/) {}
  // The selection of rows first..last may have changed.
  virtual void SelectionChanged(int /*first*/, int /*last*/) {}
  // Another entry is focused (-1: none), and so is current. Not sent when
  // the focused entry only changes row.
  virtual void FocusChanged(int /*row*/) {}

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
