#pragma once
// A command host for tests: answers questions from a queue and records
// everything a command showed or asked.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "commands/command_host.h"

namespace korvid::test {

class ScriptedHost : public commands::CommandHost {
 public:
  struct Question {
    commands::MessageKind kind;
    std::string text;
    commands::Buttons buttons;
  };

  // Answers given in order; once they run out, Ok for an Ok box and Yes otherwise.
  std::deque<commands::Answer> answers;
  // Runs at every ProcessEvents, as a user's key press would.
  std::function<void()> onEvents;

  std::vector<Question> questions;
  std::vector<std::string> statusTexts;
  std::vector<int> gauge;
  std::vector<bool> gaugeShown;
  std::vector<bool> listEnabled;
  int processEventsCalls = 0;
  int releases = 0;
  int retakes = 0;

  commands::Answer Ask(commands::MessageKind kind, const std::string& text, commands::Buttons buttons) override;
  void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void ShowGauge(bool visible) override { gaugeShown.push_back(visible); }
  void SetGauge(int percent) override { gauge.push_back(percent); }
  void ProcessEvents(int max_wait_ms) override;
  void Wake() override {}
  void SetListEnabled(bool enabled) override { listEnabled.push_back(enabled); }
  void ReleasePlayerFile() override { ++releases; }
  void RetakePlayerFile() override { ++retakes; }
};

}  // namespace korvid::test
