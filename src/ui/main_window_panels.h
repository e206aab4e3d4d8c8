#pragma once
// The parts of the main window that cover others: the empty-list help over
// the player frame, and the Settings and About panels over the whole
// window.

#include <QFrame>

#include "commands/core_session.h"

namespace korvid::ui {

// Layout of the window's client area, in pixels at 100% scale.
inline constexpr int kListLeft = 288;        // client width with the list hidden
inline constexpr int kListShownWidth = 592;  // client width with the list shown
inline constexpr int kClientHeight = 434;    // between the menu and the status bar
inline constexpr int kButtonWidth = 32;

class TAboutFrame;
class TBaseFrame;
class TOptionsFrame;
class TUIForm;

struct WindowPanels {
  explicit WindowPanels(QWidget* client);

  // The Settings and About panels, hidden, once the core has started.
  void BuildPanels(QWidget* client, commands::CoreSession& session, TBaseFrame& player);

  // At the left edge over the player frame, in front.
  void ShowEmptyHelp();

  QFrame* emptyHelp = nullptr;
  TOptionsFrame* options = nullptr;
  TAboutFrame* aboutPanel = nullptr;
  // The same two panels, as the window's toggles handle them.
  QFrame* settings = nullptr;
  QFrame* about = nullptr;
  // The client width before a panel was shown, restored when it hides.
  int widthBeforePanel = kListLeft;
};

}  // namespace korvid::ui
