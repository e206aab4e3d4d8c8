#include "support/recording_list_view.h"

#include <algorithm>

namespace korvid::test {

namespace {
std::string Call(const char* name, int a, long long b) {
  return std::string(name) + "(" + std::to_string(a) + ", " + std::to_string(b) + ")";
}
}  // namespace

void RecordingListView::Watch(const list::VideoList& list) {
  list_ = &list;
  rows = ListRows();
  focused = ListFocused();
  mismatches.clear();
}

RecordingListView::Row RecordingListView::ListRow(int row) const {
  const list::ListEntry& entry = list_->Entry(row);
  return {entry.id, entry.name, entry.record->datecodeText, entry.selected};
}

std::vector<RecordingListView::Row> RecordingListView::ListRows() const {
  std::vector<Row> out;
  for (int i = 0; list_ != nullptr && i < list_->Count(); ++i) out.push_back(ListRow(i));
  return out;
}

list::EntryId RecordingListView::ListFocused() const {
  if (list_ == nullptr || list_->Focus() < 0) return 0;
  return list_->Entry(list_->Focus()).id;
}

bool RecordingListView::InCopy(int row, const std::string& call) {
  if (row >= 0 && row < static_cast<int>(rows.size())) return true;
  mismatches.push_back(call + ": row outside the copy");
  return false;
}

void RecordingListView::Check(const std::string& call) {
  if (rows != ListRows() || focused != ListFocused()) mismatches.push_back(call);
}

void RecordingListView::RowInserted(int row, list::EntryId id) {
  ++inserted;
  if (list_ == nullptr) return;
  const std::string call = Call("RowInserted", row, static_cast<long long>(id));
  if (row < 0 || row > static_cast<int>(rows.size()) || row >= list_->Count()) {
    mismatches.push_back(call + ": row outside the copy");
    return;
  }
  Row added = ListRow(row);
  added.id = id;
  rows.insert(rows.begin() + row, added);
  Check(call);
}

void RecordingListView::RowRemoved(int row, list::EntryId id) {
  ++removed;
  if (list_ == nullptr) return;
  const std::string call = Call("RowRemoved", row, static_cast<long long>(id));
  if (!InCopy(row, call)) return;
  if (rows[static_cast<std::size_t>(row)].id != id) mismatches.push_back(call + ": another id at that row");
  rows.erase(rows.begin() + row);
  if (focused == id) focused = 0;
  Check(call);
}

void RecordingListView::RowChanged(int row) {
  ++changed;
  if (list_ == nullptr) return;
  const std::string call = Call("RowChanged", row, 0);
  if (!InCopy(row, call) || row >= list_->Count()) return;
  Row& copy = rows[static_cast<std::size_t>(row)];
  const Row now = ListRow(row);
  // A change of texts, never of which entry stands there or of its selection.
  copy.name = now.name;
  copy.datecodeText = now.datecodeText;
  Check(call);
}

void RecordingListView::RowMoved(int from, int to) {
  ++moved;
  if (list_ == nullptr) return;
  const std::string call = Call("RowMoved", from, to);
  if (!InCopy(from, call) || !InCopy(to, call)) return;
  const auto first = rows.begin();
  if (from < to)
    std::rotate(first + from, first + from + 1, first + to + 1);
  else
    std::rotate(first + to, first + from, first + from + 1);
  Check(call);
}

void RecordingListView::RowsReordered(const std::vector<int>& from) {
  ++reordered;
  if (list_ == nullptr) return;
  const std::string call = Call("RowsReordered", static_cast<int>(from.size()), 0);
  std::vector<Row> sorted;
  std::vector<bool> taken(rows.size(), false);
  for (const int row : from) {
    if (!InCopy(row, call)) return;
    if (taken[static_cast<std::size_t>(row)]) {
      mismatches.push_back(call + ": row " + std::to_string(row) + " given twice");
      return;
    }
    taken[static_cast<std::size_t>(row)] = true;
    sorted.push_back(rows[static_cast<std::size_t>(row)]);
  }
  if (sorted.size() != rows.size()) mismatches.push_back(call + ": not every row placed");
  rows = std::move(sorted);
  Check(call);
}

void RecordingListView::SelectionChanged(int first, int last) {
  selection_changes.emplace_back(first, last);
  if (list_ == nullptr) return;
  const std::string call = Call("SelectionChanged", first, last);
  if (first > last || !InCopy(first, call) || !InCopy(last, call) || last >= list_->Count()) return;
  for (int i = first; i <= last; ++i) rows[static_cast<std::size_t>(i)].selected = list_->Entry(i).selected;
  Check(call);
}

void RecordingListView::FocusChanged(int row) {
  focus_changes.push_back(row);
  if (list_ == nullptr) return;
  const std::string call = Call("FocusChanged", row, 0);
  if (row != -1 && !InCopy(row, call)) return;
  focused = row < 0 ? 0 : rows[static_cast<std::size_t>(row)].id;
  Check(call);
}

}  // namespace korvid::test
