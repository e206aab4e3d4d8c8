#include "list/video_list.h"

#include <algorithm>
#include <exception>
#include <system_error>

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

void VideoList::InsertRow(int row, ListEntry entry) {
  entries_.insert(entries_.begin() + row, std::move(entry));
  if (focus_ >= row) ++focus_;
  view_.RowInserted(row, entries_[static_cast<std::size_t>(row)].id);
}

void VideoList::TakeRow(int row) {
  const EntryId id = entries_[static_cast<std::size_t>(row)].id;
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
    entries_[static_cast<std::size_t>(b)].record = std::move(record);
    view_.RowChanged(b);
  }
  RefreshListStatus();
  return b;
}

int VideoList::FindEntry(const std::string& path) const {
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<std::size_t>(i)].record->fullName == path) return i;
  return -1;
}

int VideoList::IndexOfId(EntryId id) const {
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<std::size_t>(i)].id == id) return i;
  return -1;
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
  ListEntry& entry = entries_[static_cast<std::size_t>(index)];
  entry.record = Analyse(entry.record->fullName);
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
    MoveRow(index, n);
    ListEntry& moved = entries_[static_cast<std::size_t>(n)];
    moved.name = record->name;
    moved.record = std::move(record);
    view_.RowChanged(n);
  } else {
    // The new path is already listed with the same data: that entry takes
    // the fresh record and the renamed line goes, keeping lines and keys
    // one to one.
    const bool focused = focus_ == index;
    TakeRow(index);
    entries_[static_cast<std::size_t>(n)].record = std::move(record);
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
  keys_.Clear();
  while (!entries_.empty()) TakeRow(Count() - 1);
  RefreshListStatus();
  view_.RefreshActions();
}

void VideoList::SortList(int order) {
  if (entries_.empty()) return;
  order = ValidListOrder(order);

  // The new order as ids; of two entries of one file that differed only
  // in the old order's data the first one stays.
  std::vector<EntryId> sorted;
  std::vector<EntryId> dropped;
  keys_.Clear();
  for (const ListEntry& entry : entries_) {
    const SortKeyList::AddResult added = keys_.Add(SortKeyOf(*entry.record, order));
    if (added.inserted)
      sorted.insert(sorted.begin() + added.index, entry.id);
    else
      dropped.push_back(entry.id);
  }
  order_ = order;

  // Entries keep their selection and focus as they move.
  for (const EntryId id : dropped) TakeRow(IndexOfId(id));
  for (int row = 0; row < Count(); ++row) MoveRow(IndexOfId(sorted[static_cast<std::size_t>(row)]), row);
  RefreshListStatus();
}

void VideoList::SelectAll() {
  int first = -1, last = -1;
  for (int row = 0; row < Count(); ++row) {
    ListEntry& entry = entries_[static_cast<std::size_t>(row)];
    if (entry.selected) continue;
    entry.selected = true;
    if (first < 0) first = row;
    last = row;
  }
  if (first >= 0) view_.SelectionChanged(first, last);
  RefreshListStatus();
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

void VideoList::CurrentEntryChanged() {
  RefreshListStatus();
  view_.ShowCurrentEntry(Current());
  view_.RefreshActions();
}

const media::TAfficherFichier* VideoList::Current() const {
  if (focus_ < 0 || focus_ >= Count()) return nullptr;
  return entries_[static_cast<std::size_t>(focus_)].record.get();
}

int VideoList::SelectedCount() const {
  return static_cast<int>(
      std::count_if(entries_.begin(), entries_.end(), [](const ListEntry& entry) { return entry.selected; }));
}

std::vector<int> VideoList::SelectedIndexes() const {
  std::vector<int> indexes;
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<std::size_t>(i)].selected) indexes.push_back(i);
  return indexes;
}

}  // namespace korvid::list
