#pragma once
// What tells one version of a file from another while it is held open:
// the file the name leads to, its size and its modification time. Another
// program that rewrites the file in place or replaces it changes one of
// them.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace korvid::graphs {

struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0;

  // Nothing when the name leads to no file.
  static std::optional<FileIdentity> Of(const std::filesystem::path& path);
  bool operator==(const FileIdentity&) const = default;
};

}  // namespace korvid::graphs
