#pragma once
// What the window shows about the list as a whole: the caption under it,
// its hint, the empty-list help and which command categories apply.

#include <string>

namespace korvid::list {

// Which action categories are usable (permanent, vide, mono, multi, liste).
enum class ViewState {
  kPanelShown,  // Settings or About panel: "permanent" only
  kEmptyList,   // "permanent" and "vide"
  kFewEntries,  // fewer than two entries: all but "liste"
  kFull,        // all five
};

struct ListStatus {
  std::string caption;  // e.g. "2 files of 5 - sorted by datecode"
  std::string hint;     // e.g. "3 files selecteds of 7\r\nType F6 to hide the list."
  bool emptyHelpVisible = true;
  ViewState viewState = ViewState::kEmptyList;
  // A batch is running and the list holds two entries or more: the window
  // shows the list when it is narrow and no panel hides it.
  bool showListDuringBatch = false;
};

std::string ListCaption(int selected, int total, int order);
std::string ListHint(int selected, int total);
ViewState ChooseViewState(bool panelShown, int total);

}  // namespace korvid::list
