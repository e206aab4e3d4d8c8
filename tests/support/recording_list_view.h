#pragma once
// A video list view for tests: keeps what the list told it and can run a
// hook whenever the list lets events run. Once it watches a list it plays
// the row notifications onto its own copy of the rows, as an item model
// would, and notes every notification after which that copy and the list
// differ.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "list/video_list.h"
#include "list/video_list_view.h"

namespace korvid::test {

class RecordingListView : public list::VideoListView {
 public:
  struct Row {
    list::EntryId id = 0;
    std::string name;
    std::string datecodeText;
    bool selected = false;
    bool operator==(const Row&) const = default;
  };

  // Starts the copy from the list as it stands.
  void Watch(const list::VideoList& list);
  // The list's own rows and focused entry, read directly.
  std::vector<Row> ListRows() const;
  list::EntryId ListFocused() const;

  void RowInserted(int row, list::EntryId id) override;
  void RowRemoved(int row, list::EntryId id) override;
  void RowChanged(int row) override;
  void RowMoved(int from, int to) override;
  void RowsReordered(const std::vector<int>& from) override;
  void SelectionChanged(int first, int last) override;
  void FocusChanged(int row) override;

  void StatusRefreshed(const list::ListStatus& status) override { last_status = status; ++refreshes; }
  void BatchStarted(const std::string& message) override { batch_messages.push_back(message); }
  void BatchEnded() override { ++batches_ended; }
  void SetStatusText(const std::string& text) override { status_texts.push_back(text); }
  void ShowCurrentEntry(const media::TAfficherFichier* record) override {
    shown.push_back(record != nullptr ? record->fullName : std::string());
  }
  void StopPlayback() override { ++playback_stops; }
  void ProcessEvents() override {
    ++events_processed;
    if (on_events) on_events();
  }

  // The copy made from the notifications alone.
  std::vector<Row> rows;
  list::EntryId focused = 0;
  // "RowMoved(2, 0)" and the like: the calls after which the copy was wrong.
  std::vector<std::string> mismatches;
  int inserted = 0, removed = 0, changed = 0, moved = 0, reordered = 0;
  std::vector<std::pair<int, int>> selection_changes;
  std::vector<int> focus_changes;

  list::ListStatus last_status;
  int refreshes = 0;
  std::vector<std::string> batch_messages;
  int batches_ended = 0;
  std::vector<std::string> status_texts;
  std::vector<std::string> shown;
  int playback_stops = 0;
  int events_processed = 0;
  std::function<void()> on_events;

 private:
  Row ListRow(int row) const;
  bool InCopy(int row, const std::string& call);
  void Check(const std::string& call);

  const list::VideoList* list_ = nullptr;
};

}  // namespace korvid::test
