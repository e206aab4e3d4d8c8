#include "commands/plugin_call_buffers.h"

#include <algorithm>

namespace korvid::commands {

PluginCallBuffers::Lease PluginCallBuffers::Take() {
  std::unique_ptr<Pair> pair;
  if (free_.empty()) {
    pair = std::make_unique<Pair>(Pair{std::vector<char>(bytes_, '\0'), std::vector<char>(bytes_, '\0')});
  } else {
    pair = std::move(free_.back());
    free_.pop_back();
    // What the last handler left must not reach the next one: only the
    // start matters to a well-behaved one, the whole buffer to any other.
    std::fill(pair->text.begin(), pair->text.end(), '\0');
    std::fill(pair->error.begin(), pair->error.end(), '\0');
  }
  return Lease(*this, std::move(pair));
}

}  // namespace korvid::commands
