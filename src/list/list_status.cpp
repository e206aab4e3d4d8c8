#include "list/list_status.h"

namespace korvid::list {

namespace {

const char* OrderSuffix(int order) {
  switch (order) {
    case 1: return " - sorted alphabetically";
    case 2: return " - sorted by filesize";
    case 3: return " - sorted by filedate";
    default: return " - sorted by datecode";
  }
}

}  // namespace

std::string ListCaption(int selected, int total, int order) {
  const std::string plural = selected > 1 ? "s" : "";
  return std::to_string(selected) + " file" + plural + " of " + std::to_string(total) + OrderSuffix(order);
}

std::string ListHint(int selected, int total) {
  const std::string plural = selected > 1 ? "s" : "";
  return std::to_string(selected) + " file" + plural + " selected" + plural + " of " + std::to_string(total) +
         "\r\nType F6 to hide the list.";
}

ViewState ChooseViewState(bool panelShown, int total) {
  if (panelShown) return ViewState::kPanelShown;
  if (total == 0) return ViewState::kEmptyList;
  if (total < 2) return ViewState::kFewEntries;
  return ViewState::kFull;
}

}  // namespace korvid::list
