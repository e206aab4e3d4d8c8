#pragma once
// A named place in a graph holder for one component. It carries the
// persisted moniker the component is created from when the slot joins its
// holder's graph; an empty moniker can never be created.

#include <string>
#include <string_view>

namespace korvid::graphs {

class FilterGraph;

class FilterSlot {
 public:
  // Starts with the catalogue entry's built-in moniker.
  explicit FilterSlot(std::string_view friendlyName);
  // Starts with the given moniker instead (empty: only a lookup can fill it).
  FilterSlot(std::string_view friendlyName, std::string builtInMoniker);
  // Leaves the graph it is in, so neither side can outlive the other badly.
  ~FilterSlot();

  // A slot is a member of exactly one holder; a graph keeps its address.
  FilterSlot(const FilterSlot&) = delete;
  FilterSlot& operator=(const FilterSlot&) = delete;

  const std::string& FriendlyName() const { return friendlyName_; }
  const std::string& Moniker() const { return moniker_; }
  bool CanInstantiate() const { return !moniker_.empty(); }

  // Set by the start-up lookup: the moniker of the entry found by name.
  void BindFound(std::string moniker);
  bool Found() const { return found_; }

  // Whether the component is currently in a graph (its holder's).
  bool Attached() const { return graph_ != nullptr; }

 private:
  friend class FilterGraph;

  std::string friendlyName_;
  std::string moniker_;
  bool found_ = false;
  FilterGraph* graph_ = nullptr;
};

}  // namespace korvid::graphs
