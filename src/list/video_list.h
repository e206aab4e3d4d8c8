#pragma once
// The video list: the files the user works on, each with the information
// record computed when it entered, kept in one of four sort orders, with a
// multiple selection and one focused (current) entry. Every way of adding
// files ends in AddFile. Runs on the window's thread.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <QLocale>

#include "list/update_type.h"
#include "list/sort_key_list.h"
#include "list/video_list_view.h"
#include "media/video_record.h"
#include "settings/process_flags.h"

namespace korvid::list {

// Builds the record of one file, its datecode shown in the given format
// (media::AnalyseFile in the program).
using Analyser =
    std::function<media::TAfficherFichier(const std::filesystem::path&, const media::DatecodeFormat&)>;

struct ListEntry {
  EntryId id = 0;
  std::string name;  // the line: file name without folder
  std::unique_ptr<media::TAfficherFichier> record;
  bool selected = false;
};

// Stored orders outside 0-3 fall back to datecode order.
int ValidListOrder(int stored);
// The record's key for an order: 0 datecode, 1 name, 2 size, 3 file date.
std::string SortKeyOf(const media::TAfficherFichier& record, int order);
// The extension, lower-cased, is ".avi".
bool IsAdmissiblePath(const std::filesystem::path& path);
// The absolute, cleaned path records use as fullName.
std::string FullPathOf(const std::filesystem::path& path);

class VideoList {
 public:
  // `flags`: the abort a batch polls and clears; they outlive the list.
  VideoList(VideoListView& view, Analyser analyser, media::DatecodeFormat datecodeFormat, const QLocale& locale,
            int order, bool selectOnOpen, settings::ProcessFlags& flags);
  VideoList(const VideoList&) = delete;
  VideoList& operator=(const VideoList&) = delete;

  // Index of the entry, or -1 when the file does not exist or is not AVI by name.
  int AddFile(const std::string& path);
  // First entry whose fullName equals `path` byte for byte, or -1.
  int FindEntry(const std::string& path) const;
  // Index of the entry with this id, or -1 when it left the list.
  int IndexOfId(EntryId id) const;
  // Lookups by path and id cost a hash and a binary search, so that a run
  // over every entry stays O(n log n).

  void RemoveEntry(int index);

  // The reactions to a command's result. A rewritten file that was listed
  // keeps its entry's id, wherever it now sorts.
  int ReplaceEntry(const std::string& newPath);
  void ReanalyseEntry(int index);
  int RenameEntry(int index, const std::string& newPath);
  // Dispatches on `update` for the entry at `index` (from FindEntry).
  void ApplyUpdate(TchUpdateType update, int index, const std::string& newPath);

  void ClearList();
  void SortList(int order);
  void SelectAll();
  // One notification for the rows it clears; costs what was selected.
  void DeselectAll();
  void RefreshListStatus();
  // The settings changed how datecodes are shown: every entry's text is
  // made again and files added later use the new format.
  void SetDatecodeFormat(const media::DatecodeFormat& format);

  void BeginBatch(const std::string& message);
  void EndBatch();

  // The user moved the focus or changed the selection.
  void SetFocus(int index);
  void SetSelected(int index, bool selected);
  // Clears the selection but for the entry at `index`, which it selects.
  void SelectOnly(int index);
  void CurrentEntryChanged();

  int Count() const { return static_cast<int>(entries_.size()); }
  const ListEntry& Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
  int Focus() const { return focus_; }
  // The record under the focus, or null.
  const media::TAfficherFichier* Current() const;
  int SelectedCount() const { return static_cast<int>(selectedIds_.size()); }
  std::vector<int> SelectedIndexes() const;
  // Calls `visit` with selected entries, in no particular order, until it
  // returns false; costs what it visits, not the list's length.
  void VisitSelected(const std::function<bool(const ListEntry&)>& visit) const;
  int Order() const { return order_; }
  bool Busy() const { return busy_; }
  bool SelectOnOpen() const { return selectOnOpen_; }
  void SetSelectOnOpen(bool select) { selectOnOpen_ = select; }
  const SortKeyList& Keys() const { return keys_; }
  SortKeyList& Keys() { return keys_; }
  VideoListView& View() { return view_; }
  settings::ProcessFlags& Flags() const { return flags_; }

 private:
  std::unique_ptr<media::TAfficherFichier> Analyse(const std::string& path) const;
  int Admit(const std::string& path, EntryId id);
  EntryId CurrentId() const;
  // Row changes, each told to the view; the key list is the caller's.
  void InsertRow(int row, ListEntry entry);
  void TakeRow(int row);
  void MoveRow(int from, int to);
  void SelectRow(int row, bool selected);
  void FocusRow(int row);
  // The record of the entry at `row` is now `record`; the path index follows.
  void SetRecord(int row, std::unique_ptr<media::TAfficherFichier> record);
  void IndexPath(const std::string& path, EntryId id);
  void UnindexPath(const std::string& path, EntryId id);
  int LinearIndexOfId(EntryId id) const;

  VideoListView& view_;
  settings::ProcessFlags& flags_;
  Analyser analyser_;
  media::DatecodeFormat datecodeFormat_;
  SortKeyList keys_;
  std::vector<ListEntry> entries_;
  int order_ = 0;
  bool selectOnOpen_ = false;
  int focus_ = -1;
  bool busy_ = false;
  bool hadCurrentAtBatchStart_ = true;
  EntryId lastId_ = 0;
  // The entry's key in keys_, and the entries of each path.
  std::unordered_map<EntryId, std::string> keyOfId_;
  std::unordered_multimap<std::string, EntryId> idsOfPath_;
  std::unordered_set<EntryId> selectedIds_;
  // While SortList drops the rows of duplicate keys, keys_ no longer matches the rows.
  bool sorting_ = false;
};

}  // namespace korvid::list
