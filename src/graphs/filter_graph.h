#pragma once
// The graph a holder owns: whether it exists, its run state, its volume,
// the slots currently in it and the two events it delivers. The media
// work itself belongs to the jobs that build on it.

#include <cstddef>
#include <functional>
#include <vector>

#include "graphs/filter_slot.h"

namespace korvid::graphs {

enum class GraphState { kStopped, kPaused, kPlaying };

// The conversion holder's graph also offers the capture-style builder
// that renders a pin through whatever decoders it needs.
enum class GraphMode { kPlain, kCapture };

class FilterGraph {
 public:
  static constexpr int kMaxVolume = 10000;

  explicit FilterGraph(GraphMode mode = GraphMode::kPlain);
  // Takes every slot still in it out.
  ~FilterGraph();
  FilterGraph(const FilterGraph&) = delete;
  FilterGraph& operator=(const FilterGraph&) = delete;

  GraphMode Mode() const { return mode_; }

  // Setting creates the graph; clearing stops it and releases every
  // component in it.
  bool Active() const { return active_; }
  void SetActive(bool active);

  // Media control; refused (false) while the graph does not exist.
  bool Play();
  bool Pause();
  bool Stop();
  GraphState State() const { return state_; }

  // Stops and removes every component from the graph.
  void ClearGraph();

  // 0 (silent) to 10000 (full); values outside are clamped.
  int Volume() const { return volume_; }
  void SetVolume(int volume);

  // Puts the slot's component into the graph. Refused when the graph does
  // not exist, the slot has no moniker or it sits in another graph.
  // Attaching twice is harmless.
  bool Attach(FilterSlot& slot);
  void Detach(FilterSlot& slot);
  std::size_t AttachedCount() const { return attached_.size(); }

  // Delivered on the user-interface thread by whatever runs the graph.
  std::function<void()> OnGraphComplete;
  std::function<void()> OnGraphPaused;
  void DeliverGraphComplete();
  void DeliverGraphPaused();

 private:
  void DetachAll();

  GraphMode mode_;
  bool active_ = false;
  GraphState state_ = GraphState::kStopped;
  int volume_ = kMaxVolume;
  std::vector<FilterSlot*> attached_;
};

}  // namespace korvid::graphs
