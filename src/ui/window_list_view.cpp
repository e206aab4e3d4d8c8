#include "ui/window_list_view.h"

#include <QApplication>
#include <QListView>
#include <QScopedValueRollback>

#include <algorithm>

#include "ui/main_window.h"
#include "ui/video_list_model.h"

namespace korvid::ui {

WindowListView::WindowListView(TUIForm& window, QListView& control)
    : window_(window), control_(control), model_(std::make_unique<VideoListModel>()) {
  control_.setModel(model_.get());
  // The model is the connections' context: they end with it.
  QObject::connect(control_.selectionModel(), &QItemSelectionModel::selectionChanged, model_.get(),
                   [this] { SelectionFromView(); });
  QObject::connect(control_.selectionModel(), &QItemSelectionModel::currentChanged, model_.get(),
                   [this] { SelectionFromView(); });
}

// The control outlives the model here; it must not keep reading it.
WindowListView::~WindowListView() {
  list_ = nullptr;
  control_.setModel(nullptr);
}

void WindowListView::Attach(list::VideoList& list) {
  model_->Attach(&list);
  list_ = &list;
}

// While the model takes a row change the view may move its own focus; the
// list's rows differ from the view's until the change is made, so that
// move is not the user's and the list's selection and focus win after it.
void WindowListView::ApplyRowChange(const std::function<void()>& change, int first, int last) {
  {
    const QScopedValueRollback<bool> guard(syncingSelection_, true);
    change();
  }
  SyncSelectionToView(first, last);
}

// A new row may come in selected ("Select when opening").
void WindowListView::RowInserted(int row, list::EntryId id) {
  ApplyRowChange([this, row, id] { model_->RowInserted(row, id); }, row, row);
}
void WindowListView::RowRemoved(int row, list::EntryId) {
  ApplyRowChange([this, row] { model_->RowRemoved(row); }, 0, -1);
}
void WindowListView::RowChanged(int row) { model_->RowChanged(row); }
void WindowListView::RowMoved(int from, int to) {
  ApplyRowChange([this, from, to] { model_->RowMoved(from, to); }, to, to);
}
void WindowListView::SelectionChanged(int first, int last) { SyncSelectionToView(first, last); }
void WindowListView::FocusChanged(int) {
  SyncSelectionToView(0, -1);
  if (list_ != nullptr) window_.ShowInPlayer(list_->Current());
}

void WindowListView::StatusRefreshed(const list::ListStatus& status) { window_.StatusRefreshed(status); }
bool WindowListView::PanelShown() const { return window_.PanelShown(); }
void WindowListView::BatchStarted(const std::string& message) { window_.BatchStarted(message); }
void WindowListView::BatchEnded() { window_.BatchEnded(); }
void WindowListView::SetStatusText(const std::string& text) { window_.SetStatusText(text); }
void WindowListView::ShowCurrentEntry(const media::TAfficherFichier* record) { window_.ShowInPlayer(record); }
void WindowListView::RefreshActions() { window_.RefreshActions(); }
void WindowListView::StopPlayback() { window_.StopPlayback(); }

void WindowListView::ProcessEvents() { QApplication::processEvents(QEventLoop::AllEvents); }

void WindowListView::SyncSelectionToView(int first, int last) {
  if (syncingSelection_ || list_ == nullptr) return;
  syncingSelection_ = true;
  const list::VideoList& list = *list_;
  QItemSelectionModel* selected = control_.selectionModel();
  const int end = std::min({last, list.Count() - 1, model_->rowCount() - 1});
  for (int row = std::max(first, 0); row <= end; ++row) {
    const QModelIndex at = model_->index(row);
    if (selected->isSelected(at) != list.Entry(row).selected)
      selected->select(at, list.Entry(row).selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
  }
  const QModelIndex focus = list.Focus() >= 0 && list.Focus() < model_->rowCount() ? model_->index(list.Focus())
                                                                                    : QModelIndex();
  if (selected->currentIndex() != focus) selected->setCurrentIndex(focus, QItemSelectionModel::NoUpdate);
  syncingSelection_ = false;
}

void WindowListView::SelectionFromView() {
  if (syncingSelection_ || list_ == nullptr) return;
  syncingSelection_ = true;
  list::VideoList& list = *list_;
  const QItemSelectionModel* selected = control_.selectionModel();
  for (int row = 0; row < list.Count(); ++row) list.SetSelected(row, selected->isRowSelected(row));
  const QModelIndex current = selected->currentIndex();
  list.SetFocus(current.isValid() ? current.row() : -1);
  list.CurrentEntryChanged();
  syncingSelection_ = false;
  // The list keeps its focused entry selected, whatever the click did.
  SyncSelectionToView(0, list.Count() - 1);
}

}  // namespace korvid::ui
