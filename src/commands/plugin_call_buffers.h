#pragma once
// The text and error buffers handed to plug-in handlers, kept from one call
// to the next rather than allocated for each. A handler's progress call
// lets the window run, which may ask another handler (a file condition)
// before the first one returns, so every call under way holds a pair of
// its own and gives it back when it ends.

#include <cstddef>
#include <memory>
#include <vector>

namespace korvid::commands {

class PluginCallBuffers {
 public:
  struct Pair {
    std::vector<char> text;
    std::vector<char> error;
  };

  // A pair taken for one call, both buffers preset to the empty text.
  class Lease {
   public:
    Lease(PluginCallBuffers& pool, std::unique_ptr<Pair> pair) : pool_(pool), pair_(std::move(pair)) {}
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease() { pool_.free_.push_back(std::move(pair_)); }
    Pair& operator*() const { return *pair_; }
    Pair* operator->() const { return pair_.get(); }

   private:
    PluginCallBuffers& pool_;
    std::unique_ptr<Pair> pair_;
  };

  explicit PluginCallBuffers(std::size_t bytes) : bytes_(bytes) {}
  PluginCallBuffers(PluginCallBuffers&&) = default;

  Lease Take();

 private:
  std::size_t bytes_;
  std::vector<std::unique_ptr<Pair>> free_;
};

}  // namespace korvid::commands
