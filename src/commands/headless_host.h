#pragma once
// The command host of a command-line run without a window: messages go to
// standard error, there is no gauge and no list control, and a question
// gets the answer the run was set up with, since nobody can be asked.

#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>

#include "commands/command_host.h"

namespace korvid::commands {

class HeadlessHost final : public CommandHost {
 public:
  // `answerYes`: a Yes/No question counts as Yes (hidden runs, where the
  // user asked for no interaction); otherwise as No, so that a command
  // needing consent leaves the file alone.
  HeadlessHost(std::ostream& messages, bool answerYes) : messages_(messages), answerYes_(answerYes) {}

  Answer Ask(MessageKind kind, const std::string& text, Buttons buttons) override;
  void SetStatusText(const std::string&) override {}
  void ShowGauge(bool) override {}
  void SetGauge(int) override {}
  // No events to handle: sleeps until the time is up or Wake is called.
  void ProcessEvents(int max_wait_ms) override;
  void Wake() override;
  void SetListEnabled(bool) override {}
  void ReleasePlayerFile() override {}
  void RetakePlayerFile() override {}

 private:
  std::ostream& messages_;
  bool answerYes_;
  std::mutex wake_mutex_;
  std::condition_variable wake_;
  bool woken_ = false;
};

// The text as one line per line: "\r\n" becomes "\n"; within a line,
// control characters (of a file name the text quotes) are shown escaped.
std::string PlainLines(const std::string& text);

}  // namespace korvid::commands
