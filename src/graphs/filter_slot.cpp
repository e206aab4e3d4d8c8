#include "graphs/filter_slot.h"

#include <utility>

#include "graphs/filter_catalogue.h"
#include "graphs/filter_graph.h"

namespace korvid::graphs {
namespace {

std::string CatalogueMoniker(std::string_view friendlyName) {
  const CatalogueEntry* entry = FindCatalogueEntry(friendlyName);
  return entry != nullptr ? BuiltInMoniker(*entry) : std::string();
}

}  // namespace

FilterSlot::FilterSlot(std::string_view friendlyName)
    : FilterSlot(friendlyName, CatalogueMoniker(friendlyName)) {}

FilterSlot::FilterSlot(std::string_view friendlyName, std::string builtInMoniker)
    : friendlyName_(friendlyName), moniker_(std::move(builtInMoniker)) {}

FilterSlot::~FilterSlot() {
  if (graph_ != nullptr) graph_->Detach(*this);
}

void FilterSlot::BindFound(std::string moniker) {
  moniker_ = std::move(moniker);
  found_ = true;
}

}  // namespace korvid::graphs
