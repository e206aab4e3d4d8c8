#pragma once
// The files one run has written. Two sources of a run may derive the same
// output name (clip.avi and clip.AVI, or two folders' clip.avi with one
// output folder): the second must never replace what the first made, so
// it gets the first free "(n)" name instead, as renames do. The report of
// a command-line run names each file from here, made or replaced.

#include <cstddef>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

namespace korvid::commands {

struct WrittenOutput {
  std::string path;
  bool replaced = false;  // a file of that name was there before
};

class RunOutputs {
 public:
  // Marks a run for its lifetime. Runs nest (a command-line run triggers
  // the runners); the outermost one starts with no names written.
  class Scope {
   public:
    explicit Scope(RunOutputs& outputs);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    RunOutputs& outputs_;
  };

  // `wanted` while this run has not written it; otherwise the first of
  // "name(1).ext", "name(2).ext", ... that this run has not written and
  // no file holds.
  std::filesystem::path NameFor(const std::filesystem::path& wanted) const;
  // Whether a file is at `path` now: taken before writing, for Wrote.
  static bool Occupied(const std::filesystem::path& path);
  // `path` now holds a whole output of this run (outside a run: nothing).
  void Wrote(const std::filesystem::path& path, bool replaced);
  const std::vector<WrittenOutput>& Written() const { return written_; }

 private:
  bool WrittenByThisRun(const std::filesystem::path& path) const;

  std::vector<WrittenOutput> written_;
  // The written paths, absolute and normal: asked about once per output.
  std::unordered_set<std::string> normals_;
  int depth_ = 0;
};

// The one log of the process: every command writing an output goes through it.
RunOutputs& Outputs();

}  // namespace korvid::commands
