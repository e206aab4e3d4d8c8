#include "list/video_list.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "settings/process_flags.h"
#include "media/stream_analysis.h"
#include "resources/user_error.h"

namespace korvid::list {

namespace fs = std::filesystem;

int ValidListOrder(int stored) { return stored >= 0 && stored <= 3 ? stored : 0; }

std::string SortKeyOf(const media::TAfficherFichier& record, int order) {
  const std::string* key = &record.datecodeNameKey;
  switch (order) {
    case 1: key = &record.nameKey; break;
    case 2: key = &record.sizeKey; break;
    case 3: key = &record.dateKey; break;
    default: break;
  }
  // A record without directory facts has no size or date key; its path
  // still tells it apart from every other file.
  std::string sortKey = key->empty() ? media::AsciiLower(record.fullName) : *key;
  // The keys hold the path in lower case, but clip.avi and clip.AVI are two
  // files here: the exact path keeps them two entries.
  if (media::AsciiLower(record.fullName) != record.fullName) sortKey += record.fullName;
  return sortKey;
}

bool IsAdmissiblePath(const fs::path& path) {
  return media::AsciiLower(path.extension().string()) == ".avi";
}

std::string FullPathOf(const fs::path& path) {
  media::TBaseFichier names;
  media::SetNameFields(path, names);
  return names.fullName;
}

VideoList::VideoList(VideoListView& view, Analyser analyser, media::DatecodeFormat datecodeFormat,
                     const QLocale& locale, int order, bool selectOnOpen, settings::ProcessFlags& flags)
    : view_(view),
      flags_(flags),
      analyser_(std::move(analyser)),
      datecodeFormat_(std::move(datecodeFormat)),
      keys_(locale),
      order_(ValidListOrder(order)),
      selectOnOpen_(selectOnOpen) {}

std::unique_ptr<media::TAfficherFichier> VideoList::Analyse(const std::string& path) const {
  try {
    return std::make_unique<media::TAfficherFichier>(analyser_(path, datecodeFormat_));
  } catch (const UserError&) {
    // The file stays listed, shown as failed and sorted last.
    auto record = std::make_unique<media::TAfficherFichier>();
    media::SetNameFields(path, *record);
    media::SetFileFacts(*record);
    record->datecodeText = std::string(media::kErrorText);
    record->timecodeText = std::string(media::kErrorText);
    record->datecodeKey = std::string(media::kFailedDatecodeKey);
    record->datecodeNameKey = record->datecodeKey + media::AsciiLower(record->name + record->fullName);
    return record;
  }
}

void VideoList::IndexPath(const std::string& path, EntryId id) {
  idsOfPath_.emplace(path, id);
}

void VideoList::UnindexPath(const std::string& path, EntryId id) {
  const auto [first, last] = idsOfPath_.equal_range(path);
  for (auto it = first; it != last; ++it) {
    if (it->second != id) continue;
    idsOfPath_.erase(it);
    return;
  }
}

void VideoList::SetRecord(int row, std::unique_ptr<media::TAfficherFichier> record) {
  ListEntry& entry = entries_[static_cast<std::size_t>(row)];
  if (entry.record->fullName != record->fullName) {
    UnindexPath(entry.record->fullName, entry.id);
    IndexPath(record->fullName, entry.id);
  }
  entry.record = std::move(record);
}

void VideoList::InsertRow(int row, ListEntry entry) {
  entries_.insert(entries_.begin() + row, std::move(entry));
  const ListEntry& inserted = entries_[static_cast<std::size_t>(row)];
  keyOfId_[inserted.id] = keys_.At(row);
  IndexPath(inserted.record->fullName, inserted.id);
  if (inserted.selected) selectedIds_.insert(inserted.id);
  if (focus_ >= row) ++focus_;
  view_.RowInserted(row, inserted.id);
}

void VideoList::TakeRow(int row) {
  const EntryId id = entries_[static_cast<std::size_t>(row)].id;
  UnindexPath(entries_[static_cast<std::size_t>(row)].record->fullName, id);
  keyOfId_.erase(id);
  selectedIds_.erase(id);
  entries_.erase(entries_.begin() + row);
  if (focus_ == row)
    focus_ = -1;
  else if (focus_ > row)
    --focus_;
  view_.RowRemoved(row, id);
}

void VideoList::MoveRow(int from, int to) {
  if (from == to) return;
  const auto first = entries_.begin();
  if (from < to)
    std::rotate(first + from, first + from + 1, first + to + 1);
  else
    std::rotate(first + to, first + from, first + from + 1);
  if (focus_ == from)
    focus_ = to;
  else if (focus_ > from && focus_ <= to)
    --focus_;
  else if (focus_ < from && focus_ >= to)
    ++focus_;
  view_.RowMoved(from, to);
}

void VideoList::SelectRow(int row, bool selected) {
  if (row < 0 || row >= Count()) return;
  ListEntry& entry = entries_[static_cast<std::size_t>(row)];
  if (entry.selected == selected) return;
  entry.selected = selected;
  if (selected)
    selectedIds_.insert(entry.id);
  else
    selectedIds_.erase(entry.id);
  view_.SelectionChanged(row, row);
}

void VideoList::FocusRow(int row) {
  const EntryId before = CurrentId();
  focus_ = row >= 0 && row < Count() ? row : -1;
  if (CurrentId() != before) view_.FocusChanged(focus_);
}

EntryId VideoList::CurrentId() const { return focus_ >= 0 && focus_ < Count() ? Entry(focus_).id : 0; }

int VideoList::AddFile(const std::string& path) { return Admit(path, 0); }

int VideoList::Admit(const std::string& path, EntryId id) {
  std::error_code error;
  const fs::path file(path);
  if (path.empty() || !fs::is_regular_file(file, error) || !IsAdmissiblePath(file)) return -1;

  auto record = Analyse(path);
  const SortKeyList::AddResult added = keys_.Add(SortKeyOf(*record, order_));
  const int b = added.index;
  if (added.inserted) {
    ListEntry entry;
    entry.id = id != 0 ? id : ++lastId_;
    entry.name = record->name;
    entry.record = std::move(record);
    entry.selected = selectOnOpen_;
    InsertRow(b, std::move(entry));
  } else {
    // Same file, same ordering data: only the record is renewed.
    SetRecord(b, std::move(record));
    view_.RowChanged(b);
  }
  RefreshListStatus();
  return b;
}

int VideoList::FindEntry(const std::string& path) const {
  int first = -1;
  const auto [from, to] = idsOfPath_.equal_range(path);
  for (auto it = from; it != to; ++it) {
    const int index = IndexOfId(it->second);
    if (index >= 0 && (first < 0 || index < first)) first = index;
  }
  return first;
}

int VideoList::LinearIndexOfId(EntryId id) const {
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<std::size_t>(i)].id == id) return i;
  return -1;
}

int VideoList::IndexOfId(EntryId id) const {
  if (sorting_) return LinearIndexOfId(id);
  const auto key = keyOfId_.find(id);
  if (key == keyOfId_.end()) return -1;
  // Keys and rows go one to one, and no two entries share a key.
  return keys_.Find(key->second);
}

void VideoList::RemoveEntry(int index) {
  if (index < 0 || index >= Count()) return;
  const int oldFocus = focus_;
  keys_.RemoveAt(index);
  TakeRow(index);
  if (index == oldFocus) FocusRow(oldFocus > 0 ? oldFocus - 1 : (Count() > 0 ? 0 : -1));
  RefreshListStatus();
}

int VideoList::ReplaceEntry(const std::string& newPath) {
  const int listed = FindEntry(FullPathOf(newPath));
  const EntryId id = listed >= 0 ? Entry(listed).id : 0;
  RemoveEntry(listed);
  return Admit(newPath, id);
}

void VideoList::ReanalyseEntry(int index) {
  if (index < 0 || index >= Count()) return;
  SetRecord(index, Analyse(Entry(index).record->fullName));
  view_.RowChanged(index);
  RefreshListStatus();
}

int VideoList::RenameEntry(int index, const std::string& newPath) {
  if (index < 0 || index >= Count()) return -1;
  auto record = Analyse(newPath);
  keys_.RemoveAt(index);
  const SortKeyList::AddResult added = keys_.Add(SortKeyOf(*record, order_));
  const int n = added.index;

  if (added.inserted) {
    ListEntry& renamed = entries_[static_cast<std::size_t>(index)];
    keyOfId_[renamed.id] = keys_.At(n);
    MoveRow(index, n);
    entries_[static_cast<std::size_t>(n)].name = record->name;
    SetRecord(n, std::move(record));
    view_.RowChanged(n);
  } else {
    // The new path is already listed with the same data: that entry takes
    // the fresh record and the renamed line goes, keeping lines and keys
    // one to one.
    const bool focused = focus_ == index;
    TakeRow(index);
    SetRecord(n, std::move(record));
    view_.RowChanged(n);
    if (focused) FocusRow(n);
  }
  SelectRow(n, true);
  RefreshListStatus();
  return n;
}

void VideoList::ApplyUpdate(TchUpdateType update, int index, const std::string& newPath) {
  switch (update) {
    case utAdd: ReplaceEntry(newPath); break;
    case utDelete: RemoveEntry(index); break;
    case utModify: ReanalyseEntry(index); break;
    case utRename: RenameEntry(index, newPath); break;
    case utNone: break;
  }
}

void VideoList::ClearList() {
  view_.StopPlayback();
  while (!entries_.empty()) {
    keys_.RemoveAt(Count() - 1);
    TakeRow(Count() - 1);
  }
  RefreshListStatus();
  view_.RefreshActions();
}

void VideoList::SortList(int order) {
  if (entries_.empty()) return;
  order = ValidListOrder(order);

  std::vector<std::string> keys;
  keys.reserve(entries_.size());
  for (const ListEntry& entry : entries_) keys.push_back(SortKeyOf(*entry.record, order));
  // Of two entries of one file that differed only in the old order's data
  // the first one stays.
  std::vector<int> placed = keys_.Assign(keys);
  order_ = order;

  sorting_ = true;
  for (int row = Count() - 1; row >= 0; --row) {
    if (placed[static_cast<std::size_t>(row)] >= 0) continue;
    TakeRow(row);
    placed.erase(placed.begin() + row);
  }
  // One reorder for the whole sort: a view told of each move would redo
  // its rows once per entry.
  std::vector<int> from(placed.size());
  bool moved = false;
  for (int row = 0; row < Count(); ++row) {
    const int to = placed[static_cast<std::size_t>(row)];
    from[static_cast<std::size_t>(to)] = row;
    moved = moved || to != row;
  }
  if (moved) {
    std::vector<ListEntry> sorted;
    sorted.reserve(entries_.size());
    for (const int row : from) sorted.push_back(std::move(entries_[static_cast<std::size_t>(row)]));
    entries_ = std::move(sorted);
    if (focus_ >= 0) focus_ = placed[static_cast<std::size_t>(focus_)];
  }
  for (int row = 0; row < Count(); ++row) keyOfId_[entries_[static_cast<std::size_t>(row)].id] = keys_.At(row);
  sorting_ = false;
  if (moved) view_.RowsReordered(from);
  RefreshListStatus();
}

void VideoList::SelectAll() {
  int first = -1, last = -1;
  for (int row = 0; row < Count(); ++row) {
    ListEntry& entry = entries_[static_cast<std::size_t>(row)];
    if (entry.selected) continue;
    entry.selected = true;
    selectedIds_.insert(entry.id);
    if (first < 0) first = row;
    last = row;
  }
  if (first >= 0) view_.SelectionChanged(first, last);
  RefreshListStatus();
}

void VideoList::DeselectAll() {
  int first = Count(), last = -1;
  for (const EntryId id : selectedIds_) {
    const int row = IndexOfId(id);
    entries_[static_cast<std::size_t>(row)].selected = false;
    first = std::min(first, row);
    last = std::max(last, row);
  }
  selectedIds_.clear();
  if (last >= 0) view_.SelectionChanged(first, last);
}

void VideoList::RefreshListStatus() {
  const int total = Count();
  SelectRow(focus_, true);

  ListStatus status;
  status.showListDuringBatch = busy_ && total >= 2;
  status.emptyHelpVisible = total == 0;
  status.viewState = ChooseViewState(view_.PanelShown(), total);
  const int selected = SelectedCount();
  status.caption = ListCaption(selected, total, order_);
  status.hint = ListHint(selected, total);
  view_.StatusRefreshed(status);
}

void VideoList::SetDatecodeFormat(const media::DatecodeFormat& format) {
  datecodeFormat_ = format;
  for (int row = 0; row < Count(); ++row) {
    media::TAfficherFichier& record = *entries_[static_cast<std::size_t>(row)].record;
    if (!record.datecode) continue;
    std::string text = media::DatecodeText(*record.datecode, datecodeFormat_);
    if (text == record.datecodeText) continue;
    record.datecodeText = std::move(text);
    view_.RowChanged(row);
  }
}

void VideoList::BeginBatch(const std::string& message) {
  if (flags_.AbortCommand) return;
  hadCurrentAtBatchStart_ = Current() != nullptr;
  view_.BatchStarted(message);
  busy_ = true;
}

void VideoList::EndBatch() {
  view_.BatchEnded();
  if (!hadCurrentAtBatchStart_ && !entries_.empty()) {
    // The entry the information panel shows is one of those selected.
    const std::vector<int> selected = SelectedIndexes();
    FocusRow(selected.empty() ? 0 : selected.front());
    SelectRow(Focus(), true);
    RefreshListStatus();
    view_.RefreshActions();
    view_.ShowCurrentEntry(Current());
  }
  busy_ = false;
  hadCurrentAtBatchStart_ = true;
  flags_.AbortCommand = false;
}

void VideoList::SetFocus(int index) { FocusRow(index); }

void VideoList::SetSelected(int index, bool selected) { SelectRow(index, selected); }

void VideoList::SelectOnly(int index) {
  const std::vector<EntryId> selected(selectedIds_.begin(), selectedIds_.end());
  for (const EntryId id : selected)
    if (const int row = IndexOfId(id); row != index) SelectRow(row, false);
  SelectRow(index, true);
}

void VideoList::CurrentEntryChanged() {
  RefreshListStatus();
  view_.ShowCurrentEntry(Current());
  view_.RefreshActions();
}

const media::TAfficherFichier* VideoList::Current() const {
  if (focus_ < 0 || focus_ >= Count()) return nullptr;
  return entries_[static_cast<std::size_t>(focus_)].record.get();
}

std::vector<int> VideoList::SelectedIndexes() const {
  std::vector<int> indexes;
  // A few selected among many are found by id; most of the list, by a scan.
  if (selectedIds_.size() < static_cast<std::size_t>(Count()) / 16) {
    for (const EntryId id : selectedIds_) indexes.push_back(IndexOfId(id));
    std::sort(indexes.begin(), indexes.end());
    return indexes;
  }
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<std::size_t>(i)].selected) indexes.push_back(i);
  return indexes;
}

void VideoList::VisitSelected(const std::function<bool(const ListEntry&)>& visit) const {
  for (const EntryId id : selectedIds_)
    if (!visit(Entry(IndexOfId(id)))) return;
}

}  // namespace korvid::list
