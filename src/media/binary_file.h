#pragma once
// A file opened for positioned reads and writes. Every access names its
// offset, so a walk over a large file never depends on a shared position.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>

#include "resources/user_error.h"

namespace korvid::media {

class FileError : public UserError {
 public:
  using UserError::UserError;
};

class BinaryFile {
 public:
  enum class Mode {
    kRead,       // existing file, reads only
    kReadWrite,  // existing file, patched in place
    kCreate,     // new or truncated file
    kCreateNew,  // a file that must not exist yet
  };

  // Throws FileError with the path and the system's reason when it cannot be opened.
  BinaryFile(const std::filesystem::path& path, Mode mode);
  ~BinaryFile();
  BinaryFile(BinaryFile&& other) noexcept;
  BinaryFile& operator=(BinaryFile&& other) noexcept;
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  std::uint64_t Size() const;

  // Reads up to out.size() bytes at offset; fewer only at the end of the file.
  // Throws FileError on an I/O error.
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
  // True when all of out was filled.
  bool ReadExactAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
  // Writes all of data at offset; throws FileError on failure.
  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data);
  // Writes the parts one after another from offset, in one call where the
  // system allows: a chunk and its header need no copy into one buffer.
  void WriteAt(std::uint64_t offset, std::initializer_list<std::span<const std::uint8_t>> parts);
  void Truncate(std::uint64_t size);
  void Sync();
  // An advisory lock on the whole file, held while this object keeps it
  // open; false when another open file holds one.
  bool LockExclusive() noexcept;
  // Hints for the system's cache. They change no byte and report nothing:
  // a failure shows in the reads, writes and Sync that follow.
  // The file is read front to back: the system may read further ahead.
  void AdviseSequential() const noexcept;
  // Starts writing the range to the disk without waiting for it.
  void StartWriteBack(std::uint64_t offset, std::uint64_t length) noexcept;
  // Waits until the range's writes that have started are on the disk.
  void WaitWriteBack(std::uint64_t offset, std::uint64_t length) noexcept;

  // The name errors give: the path opened, unless ReportAs changed it.
  const std::filesystem::path& Path() const { return path_; }
  // A file written aside is reported under the name it will have.
  void ReportAs(const std::filesystem::path& path) { path_ = path; }

 private:
  void Close() noexcept;

  int fd_ = -1;
  std::filesystem::path path_;
};

}  // namespace korvid::media
