#include "list/list_status.h"
#include "resources/string_table.h"

namespace korvid::list {

namespace {

using resources::Text;

std::string_view OrderSuffix(int order) {
  switch (order) {
    case 1: return resources::Str(Text::kSortedAlphabetically);
    case 2: return resources::Str(Text::kSortedByFilesize);
    case 3: return resources::Str(Text::kSortedByFiledate);
    default: return resources::Str(Text::kSortedByDatecode);
  }
}

}  // namespace

std::string ListCaption(int selected, int total, int order) {
  const Text text = selected > 1 ? Text::kListCaptionMany : Text::kListCaptionOne;
  return resources::Fill(text, {std::to_string(selected), std::to_string(total)}).append(OrderSuffix(order));
}

std::string ListHint(int selected, int total) {
  const Text text = selected > 1 ? Text::kListHintMany : Text::kListHintOne;
  return resources::Fill(text, {std::to_string(selected), std::to_string(total)});
}

ViewState ChooseViewState(bool panelShown, int total) {
  if (panelShown) return ViewState::kPanelShown;
  if (total == 0) return ViewState::kEmptyList;
  if (total < 2) return ViewState::kFewEntries;
  return ViewState::kFull;
}

}  // namespace korvid::list
