#include "commands/headless_host.h"

#include <chrono>
#include <thread>

namespace korvid::commands {

std::string PlainLines(const std::string& text) {
  std::string out;
  for (const char c : text)
    if (c != '\r') out += c;
  return out;
}

Answer HeadlessHost::Ask(MessageKind kind, const std::string& text, Buttons buttons) {
  const char* label = kind == MessageKind::kError ? "error" : kind == MessageKind::kWarning ? "warning" : "note";
  messages_ << "korvid: " << label << ": " << PlainLines(text);
  if (buttons == Buttons::kOk) {
    messages_ << '\n';
    return Answer::kOk;
  }
  ++questions_;
  messages_ << (answerYes_ ? " [answered Yes]\n" : " [answered No: no window to ask]\n");
  return answerYes_ ? Answer::kYes : Answer::kNo;
}

void HeadlessHost::ProcessEvents(int max_wait_ms) {
  if (max_wait_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(max_wait_ms));
}

}  // namespace korvid::commands
