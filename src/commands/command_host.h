#pragma once
// What commands ask of whoever runs them: a question, a message, the status
// text, the progress gauge, a chance to handle pending events. The window
// implements it, the hidden command line implements it without a display,
// and tests script it.

#include <string>

namespace korvid::commands {

enum class MessageKind { kInformation, kWarning, kError };

enum class Buttons {
  kOk,
  kYesNo,
  kYesNoCancelAll,
};

enum class Answer { kOk, kYes, kNo, kCancel, kAll };

class CommandHost {
 public:
  virtual ~CommandHost() = default;
  // Handles pending events while a job runs (the window handles its own,
  // a run without one only sleeps), waiting at most `max_wait_ms` for one
  // to arrive. Returns early once events were handled or Wake was called.
  virtual void ProcessEvents(int max_wait_ms) = 0;
  // Callable from any thread. A ProcessEvents waiting now returns at once;
  // one not yet waiting returns at once when it comes.
  virtual void Wake() = 0;
  // The progress gauge, 0 to 100.
  virtual void SetGauge(int percent) = 0;
  // Shows `text` and waits for one of `buttons`.
  virtual Answer Ask(MessageKind kind, const std::string& text, Buttons buttons) = 0;
  // First panel of the status bar.
  virtual void SetStatusText(const std::string& text) = 0;
  // A failure the user should see without a box: it stays in the status
  // bar for a while after the run ends.
  virtual void ShowNote(const std::string& text) { SetStatusText(text); }
  // The gauge takes the place of the player's position slider while shown.
  virtual void ShowGauge(bool visible) = 0;
  // The list control is disabled while a run goes over the selection.
  virtual void SetListEnabled(bool enabled) = 0;
  // The player lets go of its file while a command may rewrite it.
  virtual void ReleasePlayerFile() = 0;
  virtual void RetakePlayerFile() = 0;
};

}  // namespace korvid::commands
