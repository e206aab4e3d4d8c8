#include "ui/window_list_view.h"

#include <QApplication>
#include <QListView>
#include <QScopedValueRollback>

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

#include "ui/main_window.h"
#include "ui/video_list_model.h"

namespace korvid::ui {

namespace {

// Rows first to last; kept sorted, apart and not touching.
using Runs = std::vector<std::pair<int, int>>;

// The control's selected rows as runs, read from its ranges at once:
// asking it row by row walks every range for each row, quadratic over a
// large selection.
Runs ShownRuns(const QItemSelectionModel& selection) {
  Runs ranges;
  for (const QItemSelectionRange& range : selection.selection()) ranges.emplace_back(range.top(), range.bottom());
  std::sort(ranges.begin(), ranges.end());
  Runs runs;
  for (const auto& range : ranges) {
    if (!runs.empty() && range.first <= runs.back().second + 1)
      runs.back().second = std::max(runs.back().second, range.second);
    else
      runs.push_back(range);
  }
  return runs;
}

// The run holding `row`, or null.
const std::pair<int, int>* RunAt(const Runs& runs, int row) {
  auto it = std::upper_bound(runs.begin(), runs.end(), std::pair<int, int>(row, std::numeric_limits<int>::max()));
  if (it == runs.begin()) return nullptr;
  --it;
  return it->second >= row ? &*it : nullptr;
}

void Append(Runs& runs, int row) {
  if (!runs.empty() && runs.back().second == row - 1)
    runs.back().second = row;
  else
    runs.emplace_back(row, row);
}

}  // namespace

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
// The selection model moves its selection and current row with the rows.
void WindowListView::RowsReordered(const std::vector<int>& from) {
  ApplyRowChange([this, &from] { model_->RowsReordered(from); }, 0, -1);
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
void WindowListView::ShowCurrentEntry(const media::TAfficherFichier* record) {
  window_.ShowInPlayer(record);
  window_.FollowInOverview(record);
}
void WindowListView::RefreshActions() { window_.RefreshActions(); }
void WindowListView::StopPlayback() { window_.StopPlayback(); }

void WindowListView::ProcessEvents() { QApplication::processEvents(QEventLoop::AllEvents); }

void WindowListView::SyncSelectionToView(int first, int last) {
  if (syncingSelection_ || list_ == nullptr) return;
  syncingSelection_ = true;
  const list::VideoList& list = *list_;
  QItemSelectionModel* selected = control_.selectionModel();
  const int begin = std::max(first, 0);
  const int end = std::min({last, list.Count() - 1, model_->rowCount() - 1});
  if (begin <= end) {
    const Runs shown = ShownRuns(*selected);
    Runs drop, add;
    for (int row = begin; row <= end; ++row) {
      const bool wanted = list.Entry(row).selected;
      if (wanted != (RunAt(shown, row) != nullptr)) Append(wanted ? add : drop, row);
    }
    const auto toSelection = [this](const Runs& runs) {
      QItemSelection selection;
      for (const auto& [top, bottom] : runs) selection.select(model_->index(top), model_->index(bottom));
      return selection;
    };
    // The control's cost of a change grows with its ranges times the runs
    // changed; past the list's length, saying the whole selection is cheaper.
    const std::size_t changed = drop.size() + add.size();
    if (changed * shown.size() > static_cast<std::size_t>(list.Count())) {
      Runs whole;
      for (int row = 0; row < list.Count(); ++row)
        if (list.Entry(row).selected) Append(whole, row);
      selected->select(toSelection(whole), QItemSelectionModel::ClearAndSelect);
    } else if (changed > 0) {
      // A run to select takes in the shown runs it touches, less the rows
      // dropped, so that the control keeps one range per run of the list's
      // however the rows were selected.
      Runs joined;
      auto nextDrop = drop.begin();
      for (const auto& [top, bottom] : add) {
        while (nextDrop != drop.end() && nextDrop->second < top) ++nextDrop;
        int from = top, to = bottom;
        if (const auto* before = RunAt(shown, top - 1); before != nullptr)
          from = std::max(before->first, nextDrop != drop.begin() ? std::prev(nextDrop)->second + 1 : before->first);
        if (const auto* after = RunAt(shown, bottom + 1); after != nullptr)
          to = std::min(after->second, nextDrop != drop.end() ? nextDrop->first - 1 : after->second);
        if (!joined.empty() && from <= joined.back().second + 1)
          joined.back().second = std::max(joined.back().second, to);
        else
          joined.emplace_back(from, to);
      }
      if (!drop.empty()) selected->select(toSelection(drop), QItemSelectionModel::Deselect);
      if (!joined.empty()) selected->select(toSelection(joined), QItemSelectionModel::Select);
    }
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
  const Runs shown = ShownRuns(*selected);
  auto run = shown.begin();
  for (int row = 0; row < list.Count(); ++row) {
    while (run != shown.end() && run->second < row) ++run;
    list.SetSelected(row, run != shown.end() && run->first <= row);
  }
  const QModelIndex current = selected->currentIndex();
  list.SetFocus(current.isValid() ? current.row() : -1);
  list.CurrentEntryChanged();
  syncingSelection_ = false;
  // The list keeps its focused entry selected, whatever the click did.
  SyncSelectionToView(0, list.Count() - 1);
}

}  // namespace korvid::ui
