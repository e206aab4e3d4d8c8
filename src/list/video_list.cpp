#include "list/video_list.h"

#include <algorithm>
#include <exception>
#include <set>
#include <system_error>

#include "commands/process_flags.h"

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
  return key->empty() ? media::AsciiLower(record.fullName) : *key;
}

bool IsAdmissiblePath(const fs::path& path) {
  return media::AsciiLower(path.extension().string()) == ".avi";
}

std::string FullPathOf(const fs::path& path) {
  media::TBaseFichier names;
  media::SetNameFields(path, names);
  return names.fullName;
}

VideoList::VideoList(VideoListView& view, Analyser analyser, const QLocale& locale, int order,
                     bool selectOnOpen)
    : view_(view),
      analyser_(std::move(analyser)),
      keys_(locale),
      order_(ValidListOrder(order)),
      selectOnOpen_(selectOnOpen) {}

std::unique_ptr<media::TAfficherFichier> VideoList::Analyse(const std::string& path) const {
  try {
    return std::make_unique<media::TAfficherFichier>(analyser_(path));
  } catch (const std::exception&) {
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

int VideoList::AddFile(const std::string& path) {
  std::error_code error;
  const fs::path file(path);
  if (path.empty() || !fs::is_regular_file(file, error) || !IsAdmissiblePath(file)) return -1;

  auto record = Analyse(path);
  const SortKeyList::AddResult added = keys_.Add(SortKeyOf(*record, order_));
  const int b = added.index;
  if (added.inserted) {
    ListEntry entry;
    entry.name = record->name;
    entry.record = std::move(record);
    entry.selected = selectOnOpen_;
    entries_.insert(entries_.begin() + b, std::move(entry));
    if (focus_ != -1 && focus_ >= b && focus_ < Count() - 1) ++focus_;
  } else {
    // Same file, same ordering data: only the record is renewed.
    entries_[static_cast<std::size_t>(b)].record = std::move(record);
  }
  view_.LinesChanged();
  RefreshListStatus();
  return b;
}

int VideoList::FindEntry(const std::string& path) const {
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<std::size_t>(i)].record->fullName == path) return i;
  return -1;
}

void VideoList::RemoveEntry(int index) {
  if (index < 0 || index >= Count()) return;
  entries_.erase(entries_.begin() + index);
  keys_.RemoveAt(index);
  if (index <= focus_) {
    if (focus_ > 0)
      --focus_;
    else
      focus_ = Count() > 0 ? 0 : -1;
  }
  view_.LinesChanged();
  RefreshListStatus();
}

int VideoList::ReplaceEntry(const std::string& newPath) {
  RemoveEntry(FindEntry(FullPathOf(newPath)));
  return AddFile(newPath);
}

void VideoList::ReanalyseEntry(int index) {
  if (index < 0 || index >= Count()) return;
  ListEntry& entry = entries_[static_cast<std::size_t>(index)];
  entry.record = Analyse(entry.record->fullName);
  view_.LinesChanged();
  RefreshListStatus();
}

void VideoList::MoveFocusForMove(int from, int to) {
  if (focus_ < 0) return;
  if (focus_ == from) {
    focus_ = to;
    return;
  }
  int focus = focus_;
  if (focus > from) --focus;
  if (focus >= to) ++focus;
  focus_ = focus;
}

int VideoList::RenameEntry(int index, const std::string& newPath) {
  if (index < 0 || index >= Count()) return -1;
  auto record = Analyse(newPath);
  keys_.RemoveAt(index);
  const SortKeyList::AddResult added = keys_.Add(SortKeyOf(*record, order_));
  const int n = added.index;

  ListEntry moved = std::move(entries_[static_cast<std::size_t>(index)]);
  entries_.erase(entries_.begin() + index);
  if (added.inserted) {
    moved.name = record->name;
    moved.record = std::move(record);
    moved.selected = true;
    entries_.insert(entries_.begin() + n, std::move(moved));
    MoveFocusForMove(index, n);
  } else {
    // The new path is already listed with the same data: that entry takes
    // the fresh record and the renamed line goes, keeping lines and keys
    // one to one.
    ListEntry& existing = entries_[static_cast<std::size_t>(n)];
    existing.record = std::move(record);
    existing.selected = true;
    if (focus_ == index)
      focus_ = n;
    else if (focus_ > index)
      --focus_;
  }
  view_.LinesChanged();
  RefreshListStatus();
  return n;
}

void VideoList::ApplyUpdate(commands::TchUpdateType update, int index, const std::string& newPath) {
  switch (update) {
    case commands::utAdd: ReplaceEntry(newPath); break;
    case commands::utDelete: RemoveEntry(index); break;
    case commands::utModify: ReanalyseEntry(index); break;
    case commands::utRename: RenameEntry(index, newPath); break;
    case commands::utNone: break;
  }
}

void VideoList::ClearList() {
  view_.StopPlayback();
  entries_.clear();
  keys_.Clear();
  focus_ = -1;
  view_.LinesChanged();
  RefreshListStatus();
  view_.RefreshActions();
}

void VideoList::SortList(int order) {
  if (entries_.empty()) return;
  order = ValidListOrder(order);
  const media::TAfficherFichier* current = Current();
  std::set<const media::TAfficherFichier*> selected;
  for (const ListEntry& entry : entries_)
    if (entry.selected) selected.insert(entry.record.get());

  std::vector<ListEntry> old = std::move(entries_);
  entries_.clear();
  keys_.Clear();
  for (ListEntry& entry : old) {
    const SortKeyList::AddResult added = keys_.Add(SortKeyOf(*entry.record, order));
    // Two entries of one file that differed only in the old order's data
    // meet here; the first one stays.
    if (!added.inserted) continue;
    entries_.insert(entries_.begin() + added.index, std::move(entry));
  }
  order_ = order;

  focus_ = -1;
  for (int i = 0; i < Count(); ++i) {
    ListEntry& entry = entries_[static_cast<std::size_t>(i)];
    entry.selected = selected.count(entry.record.get()) != 0;
    if (entry.record.get() == current) focus_ = i;
  }
  view_.LinesChanged();
  RefreshListStatus();
}

void VideoList::SelectAll() {
  for (ListEntry& entry : entries_) entry.selected = true;
  RefreshListStatus();
}

void VideoList::RefreshListStatus() {
  const int total = Count();
  if (focus_ >= 0 && focus_ < total) entries_[static_cast<std::size_t>(focus_)].selected = true;

  ListStatus status;
  status.showListDuringBatch = busy_ && total >= 2;
  status.emptyHelpVisible = total == 0;
  status.viewState = ChooseViewState(view_.PanelShown(), total);
  const int selected = SelectedCount();
  status.caption = ListCaption(selected, total, order_);
  status.hint = ListHint(selected, total);
  view_.StatusRefreshed(status);
}

void VideoList::BeginBatch(const std::string& message) {
  if (commands::Flags().AbortCommand) return;
  hadCurrentAtBatchStart_ = Current() != nullptr;
  view_.BatchStarted(message);
  busy_ = true;
}

void VideoList::EndBatch() {
  view_.BatchEnded();
  if (!hadCurrentAtBatchStart_ && !entries_.empty()) {
    if (SelectedCount() == 0) {
      focus_ = 0;
      entries_.front().selected = true;
    }
    RefreshListStatus();
    view_.RefreshActions();
    view_.ShowCurrentEntry(Current());
  }
  busy_ = false;
  hadCurrentAtBatchStart_ = true;
  commands::Flags().AbortCommand = false;
}

void VideoList::SetFocus(int index) { focus_ = index >= 0 && index < Count() ? index : -1; }

void VideoList::SetSelected(int index, bool selected) {
  if (index >= 0 && index < Count()) entries_[static_cast<std::size_t>(index)].selected = selected;
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
