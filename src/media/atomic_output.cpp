#include "media/atomic_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace korvid::media {
namespace {

// Leaves room in a 255-byte file name for the marker and the random tail.
constexpr std::size_t kKeptNameBytes = 200;
constexpr int kNameAttempts = 100;

std::string RandomTail() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

constexpr std::string_view kTemporaryMarker = ".korvid-";
constexpr std::size_t kTailDigits = 16;

// Hidden and not ending in ".avi", so that folder scans pass it by.
std::filesystem::path TemporaryName(const std::filesystem::path& target) {
  std::string name = target.filename().string();
  if (name.size() > kKeptNameBytes) name.resize(kKeptNameBytes);
  return target.parent_path() / ("." + name + std::string(kTemporaryMarker) + RandomTail());
}

void RefuseOwnSource(const std::filesystem::path& target, const std::filesystem::path& source) {
  if (source.empty()) return;
  struct stat out {};
  struct stat in {};
  if (::stat(target.c_str(), &out) != 0 || ::stat(source.c_str(), &in) != 0) return;
  if (out.st_dev == in.st_dev && out.st_ino == in.st_ino)
    throw FileError("cannot write " + target.string() + ": it is the source file " + source.string() +
                    " itself");
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  // The rename is done; a folder that cannot be flushed changes nothing the
  // user could act on.
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool IsTemporaryName(std::string_view fileName) {
  const std::size_t tail = kTemporaryMarker.size() + kTailDigits;
  if (fileName.size() < 2 + tail || fileName.front() != '.') return false;
  if (fileName.substr(fileName.size() - tail, kTemporaryMarker.size()) != kTemporaryMarker) return false;
  for (const char c : fileName.substr(fileName.size() - kTailDigits))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

AtomicOutput::AtomicOutput(std::filesystem::path target, std::filesystem::path source)
    : target_(std::move(target)), source_(std::move(source)) {
  RefuseOwnSource(target_, source_);
  for (int attempt = 0; !file_; ++attempt) {
    temporary_ = TemporaryName(target_);
    try {
      file_.emplace(temporary_, BinaryFile::Mode::kCreateNew);
      file_->ReportAs(target_);
      // A fresh file no one else has open: the lock cannot be refused.
      file_->LockExclusive();
    } catch (const FileError&) {
      const int reason = errno;
      if (reason != EEXIST || attempt + 1 >= kNameAttempts)
        throw FileError("cannot write " + target_.string() + ": " + std::strerror(reason));
    }
  }
}

AtomicOutput::AtomicOutput(AtomicOutput&& other) noexcept
    : target_(std::move(other.target_)),
      source_(std::move(other.source_)),
      temporary_(std::move(other.temporary_)),
      file_(std::move(other.file_)),
      state_(std::exchange(other.state_, State::kMovedFrom)) {}

AtomicOutput& AtomicOutput::operator=(AtomicOutput&& other) noexcept {
  if (this != &other) {
    Discard();
    target_ = std::move(other.target_);
    source_ = std::move(other.source_);
    temporary_ = std::move(other.temporary_);
    file_ = std::move(other.file_);
    state_ = std::exchange(other.state_, State::kMovedFrom);
  }
  return *this;
}

AtomicOutput::~AtomicOutput() { Discard(); }

// The file stays open: a writer may still hold it, and writes to a removed
// file harm nothing.
void AtomicOutput::Discard() noexcept {
  if (state_ != State::kWriting) return;
  ::unlink(temporary_.c_str());
  state_ = State::kDiscarded;
}

void AtomicOutput::Commit() {
  if (state_ == State::kCommitted) return;
  if (state_ != State::kWriting)
    throw FileError("cannot write " + target_.string() + ": an earlier step failed");
  try {
    file_->Sync();
    RefuseOwnSource(target_, source_);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
      throw FileError("cannot write " + target_.string() + ": " + std::strerror(errno));
  } catch (...) {
    Discard();
    throw;
  }
  state_ = State::kCommitted;
  SyncFolder(target_.parent_path());
}

}  // namespace korvid::media
