#include "graphs/filter_graph.h"

#include <algorithm>

namespace korvid::graphs {

FilterGraph::FilterGraph(GraphMode mode) : mode_(mode) {}

FilterGraph::~FilterGraph() { DetachAll(); }

void FilterGraph::SetActive(bool active) {
  if (!active) {
    Stop();
    DetachAll();
  }
  active_ = active;
}

bool FilterGraph::Play() {
  if (!active_) return false;
  state_ = GraphState::kPlaying;
  return true;
}

bool FilterGraph::Pause() {
  if (!active_) return false;
  state_ = GraphState::kPaused;
  return true;
}

bool FilterGraph::Stop() {
  if (!active_) return false;
  state_ = GraphState::kStopped;
  return true;
}

void FilterGraph::ClearGraph() {
  Stop();
  DetachAll();
}

void FilterGraph::SetVolume(int volume) { volume_ = std::clamp(volume, 0, kMaxVolume); }

bool FilterGraph::Attach(FilterSlot& slot) {
  if (slot.graph_ == this) return true;
  if (!active_ || !slot.CanInstantiate() || slot.graph_ != nullptr) return false;
  attached_.push_back(&slot);
  slot.graph_ = this;
  return true;
}

void FilterGraph::Detach(FilterSlot& slot) {
  if (slot.graph_ != this) return;
  attached_.erase(std::find(attached_.begin(), attached_.end(), &slot));
  slot.graph_ = nullptr;
}

void FilterGraph::DeliverGraphComplete() {
  if (OnGraphComplete) OnGraphComplete();
}

void FilterGraph::DeliverGraphPaused() {
  if (OnGraphPaused) OnGraphPaused();
}

void FilterGraph::DetachAll() {
  for (FilterSlot* slot : attached_) slot->graph_ = nullptr;
  attached_.clear();
}

}  // namespace korvid::graphs
