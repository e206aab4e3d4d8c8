#pragma once
// An output file written aside: the writer fills a fresh temporary file in
// the target's folder, and Commit flushes it and renames it onto the final
// name. Until then the final name keeps whatever it held, so a failed or
// killed run never leaves a stub where an earlier good output stood. An
// output never replaces its own source, whatever link leads there.

#include <filesystem>
#include <optional>
#include <string_view>

#include "media/binary_file.h"

namespace korvid::media {

// A temporary that a running AtomicOutput is writing is locked (flock):
// whoever cleans up leaves it alone. The temporary is kept open.
class AtomicOutput {
 public:
  // Creates the temporary. Throws FileError when it cannot be created or
  // when `target` is `source` itself (the same file by device and inode,
  // through a symbolic or hard link as well). An empty `source` is no file.
  explicit AtomicOutput(std::filesystem::path target, std::filesystem::path source = {});
  AtomicOutput(AtomicOutput&& other) noexcept;
  AtomicOutput& operator=(AtomicOutput&& other) noexcept;
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;
  // Removes the temporary unless committed.
  ~AtomicOutput();

  BinaryFile& File() { return *file_; }
  const std::filesystem::path& Target() const { return target_; }
  // For writers that must open the file by name themselves (FFmpeg's
  // muxers reopen it to move the index to the front).
  const std::filesystem::path& TemporaryPath() const { return temporary_; }

  // Flushes the file to the disk and moves it onto the target, checking the
  // source again first. Throws FileError; the temporary is then removed,
  // the target keeps what it held, and a later Commit fails as well.
  void Commit();

 private:
  enum class State { kWriting, kCommitted, kDiscarded, kMovedFrom };
  void Discard() noexcept;

  std::filesystem::path target_;
  std::filesystem::path source_;
  std::filesystem::path temporary_;
  std::optional<BinaryFile> file_;
  State state_ = State::kWriting;
};

}  // namespace korvid::media
