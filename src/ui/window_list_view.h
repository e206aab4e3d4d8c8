#pragma once
// The main window's list control as the video list's view: it owns the
// item model of the control's rows and applies each row change of the list
// to it, and carries selection and focus both ways between the list and
// the control. What the list asks of the rest of the window (its status,
// the player, the actions) goes on to the window.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "list/video_list.h"
#include "list/video_list_view.h"

class QListView;

namespace korvid::ui {

class TUIForm;
class VideoListModel;

class WindowListView final : public list::VideoListView {
 public:
  // Gives `control` the model; the window keeps both alive together.
  WindowListView(TUIForm& window, QListView& control);
  ~WindowListView() override;
  WindowListView(const WindowListView&) = delete;
  WindowListView& operator=(const WindowListView&) = delete;

  // The list is built after the window: selection follows it from then on.
  void Attach(list::VideoList& list);

  void RowInserted(int row, list::EntryId id) override;
  void RowRemoved(int row, list::EntryId id) override;
  void RowChanged(int row) override;
  void RowMoved(int from, int to) override;
  void RowsReordered(const std::vector<int>& from) override;
  void SelectionChanged(int first, int last) override;
  void FocusChanged(int row) override;
  void StatusRefreshed(const list::ListStatus& status) override;
  bool PanelShown() const override;
  void BatchStarted(const std::string& message) override;
  void BatchEnded() override;
  void SetStatusText(const std::string& text) override;
  void ShowCurrentEntry(const media::TAfficherFichier* record) override;
  void RefreshActions() override;
  void StopPlayback() override;
  void ProcessEvents() override;

 private:
  void ApplyRowChange(const std::function<void()>& change, int first, int last);
  // Rows first..last take the list's selection; the current row its focus.
  void SyncSelectionToView(int first, int last);
  void SelectionFromView();

  TUIForm& window_;
  QListView& control_;
  std::unique_ptr<VideoListModel> model_;
  list::VideoList* list_ = nullptr;
  bool syncingSelection_ = false;
};

}  // namespace korvid::ui
