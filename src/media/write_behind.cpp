#include "media/write_behind.h"

namespace korvid::media {

void WriteBehind::Advance(std::uint64_t end) noexcept {
  if (end < started_ + kStep) return;
  file_.StartWriteBack(started_, end - started_);
  started_ = end;
  if (started_ - waited_ > kLag) {
    const std::uint64_t upto = started_ - kLag;
    file_.WaitWriteBack(waited_, upto - waited_);
    waited_ = upto;
  }
}

}  // namespace korvid::media
