#include "commands/run_outputs.h"

#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace korvid::commands {
namespace {

std::string Normal(const std::filesystem::path& path) { return std::filesystem::absolute(path).lexically_normal().string(); }

}  // namespace

RunOutputs::Scope::Scope(RunOutputs& outputs) : outputs_(outputs) {
  if (outputs_.depth_++ == 0) {
    outputs_.written_.clear();
    outputs_.normals_.clear();
  }
}

RunOutputs::Scope::~Scope() { --outputs_.depth_; }

bool RunOutputs::Occupied(const std::filesystem::path& path) {
  struct stat facts {};
  return ::lstat(path.c_str(), &facts) == 0;
}

bool RunOutputs::WrittenByThisRun(const std::filesystem::path& path) const {
  return normals_.contains(Normal(path));
}

std::filesystem::path RunOutputs::NameFor(const std::filesystem::path& wanted) const {
  if (!WrittenByThisRun(wanted)) return wanted;
  const std::string stem = (wanted.parent_path() / wanted.stem()).string();
  const std::string extension = wanted.extension().string();
  for (long long n = 1; n < std::numeric_limits<long long>::max(); ++n) {
    std::filesystem::path candidate = stem + "(" + std::to_string(n) + ")" + extension;
    if (!WrittenByThisRun(candidate) && !Occupied(candidate)) return candidate;
  }
  return wanted;
}

void RunOutputs::Wrote(const std::filesystem::path& path, bool replaced) {
  // A handler called outside any run (a test) has no run to remember it.
  if (depth_ == 0) return;
  written_.push_back({path.string(), replaced});
  normals_.insert(Normal(path));
}

RunOutputs& Outputs() {
  static RunOutputs outputs;
  return outputs;
}

}  // namespace korvid::commands
