#include "media/atomic_output.h"

#include "settings/file_replacement.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace korvid::media {
namespace {

constexpr int kNameAttempts = 100;

void RefuseOwnSource(const std::filesystem::path& target, const std::filesystem::path& source) {
  if (source.empty()) return;
  struct stat out {};
  struct stat in {};
  if (::stat(target.c_str(), &out) != 0 || ::stat(source.c_str(), &in) != 0) return;
  if (out.st_dev == in.st_dev && out.st_ino == in.st_ino)
    throw FileError("cannot write " + target.string() + ": it is the source file " + source.string() +
                    " itself");
}

}  // namespace

AtomicOutput::AtomicOutput(std::filesystem::path target, std::filesystem::path source)
    : target_(std::move(target)), source_(std::move(source)) {
  RefuseOwnSource(target_, source_);
  for (int attempt = 0; !file_; ++attempt) {
    temporary_ = settings::TemporaryPathFor(target_);
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
  if (const int why = settings::SyncFolder(target_.parent_path()); why != 0)
    throw FileError("cannot write " + target_.string() + ": " + std::strerror(why));
}

}  // namespace korvid::media
