#include "commands/headless_host.h"

#include <algorithm>
#include <chrono>

#include "resources/printable_text.h"

namespace korvid::commands {

std::string PlainLines(const std::string& text) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    std::size_t lineEnd = end == std::string::npos ? text.size() : end;
    if (lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
    out += resources::Printable(std::string_view(text).substr(start, lineEnd - start));
    if (end == std::string::npos) return out;
    out += '\n';
    start = end + 1;
  }
}

Answer HeadlessHost::Ask(MessageKind kind, const std::string& text, Buttons buttons) {
  const char* label = kind == MessageKind::kError ? "error" : kind == MessageKind::kWarning ? "warning" : "note";
  messages_ << "korvid: " << label << ": " << PlainLines(text);
  if (buttons == Buttons::kOk) {
    messages_ << '\n';
    return Answer::kOk;
  }
  messages_ << (answerYes_ ? " [answered Yes]\n" : " [answered No: no window to ask]\n");
  return answerYes_ ? Answer::kYes : Answer::kNo;
}

void HeadlessHost::ProcessEvents(int max_wait_ms) {
  std::unique_lock lock(wake_mutex_);
  wake_.wait_for(lock, std::chrono::milliseconds(std::max(max_wait_ms, 0)), [this] { return woken_; });
  woken_ = false;
}

void HeadlessHost::Wake() {
  {
    const std::lock_guard lock(wake_mutex_);
    woken_ = true;
  }
  wake_.notify_all();
}

}  // namespace korvid::commands
