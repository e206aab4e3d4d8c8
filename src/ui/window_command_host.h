#pragma once
// The main window as the host of the commands it runs: message boxes over
// it, its status bar, the gauge in its player frame and its event loop.
// The window owns it and hands it to the core session.

#include <string>

#include "commands/command_host.h"

namespace korvid::ui {

class TUIForm;

class WindowCommandHost final : public commands::CommandHost {
 public:
  explicit WindowCommandHost(TUIForm& window) : window_(window) {}
  WindowCommandHost(const WindowCommandHost&) = delete;
  WindowCommandHost& operator=(const WindowCommandHost&) = delete;

  commands::Answer Ask(commands::MessageKind kind, const std::string& text, commands::Buttons buttons) override;
  void SetStatusText(const std::string& text) override;
  void ShowNote(const std::string& text) override;
  void ShowGauge(bool visible) override;
  void SetGauge(int percent) override;
  void ProcessEvents(int max_wait_ms) override;
  void Wake() override;
  void SetListEnabled(bool enabled) override;
  void ReleasePlayerFile() override;
  void RetakePlayerFile() override;

 private:
  TUIForm& window_;
};

}  // namespace korvid::ui
