#include "support/scripted_host.h"

#include <chrono>
#include <thread>

namespace korvid::test {

commands::Answer ScriptedHost::Ask(commands::MessageKind kind, const std::string& text,
                                   commands::Buttons buttons) {
  questions.push_back({kind, text, buttons});
  if (!answers.empty()) {
    const commands::Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return buttons == commands::Buttons::kOk ? commands::Answer::kOk : commands::Answer::kYes;
}

void ScriptedHost::ProcessEvents(int max_wait_ms) {
  ++processEventsCalls;
  if (onEvents) onEvents();
  // A short nap stands in for waiting on the event queue.
  if (max_wait_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace korvid::test
