#include "support/sample_set.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "sample_clip.h"

namespace korvid::test {
namespace {

// Held while the set is checked or written, so that test programs run in
// parallel by ctest never see a half-written clip.
class FolderLock {
 public:
  explicit FolderLock(const std::filesystem::path& file) {
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) throw std::runtime_error("cannot lock " + file.string());
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

std::filesystem::path WriteOnce() {
  const std::filesystem::path dir = std::filesystem::path(KORVID_BINARY_DIR) / "test-samples";
  std::filesystem::create_directories(dir);
  FolderLock lock(dir / ".lock");
  const std::filesystem::path done = dir / ".complete";
  if (!std::filesystem::exists(done)) {
    samples::WriteStandardSamples(dir);
    std::ofstream(done) << "written\n";
  }
  return dir;
}

}  // namespace

const std::filesystem::path& StandardSamplesDir() {
  static const std::filesystem::path dir = WriteOnce();
  return dir;
}

std::filesystem::path StandardSample(const std::string& name) { return StandardSamplesDir() / name; }

std::filesystem::path CopyStandardSample(const std::string& name, const std::filesystem::path& dir) {
  const std::filesystem::path copy = dir / name;
  std::filesystem::copy_file(StandardSample(name), copy, std::filesystem::copy_options::overwrite_existing);
  return copy;
}

}  // namespace korvid::test
