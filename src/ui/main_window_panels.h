#pragma once
// The parts of the main window that cover others: the empty-list help over
// the player frame, and the Settings and About panels over the whole
// window (their insides come with their own work; here they hold a title).

#include <QFrame>

namespace korvid::ui {

// Layout of the window's client area, in pixels at 100% scale.
inline constexpr int kListLeft = 288;        // client width with the list hidden
inline constexpr int kListShownWidth = 592;  // client width with the list shown
inline constexpr int kClientHeight = 434;    // between the menu and the status bar
inline constexpr int kButtonWidth = 32;

class TUIForm;

struct WindowPanels {
  explicit WindowPanels(QWidget* client);

  // At the left edge over the player frame, in front.
  void ShowEmptyHelp();

  QFrame* emptyHelp = nullptr;
  QFrame* settings = nullptr;
  QFrame* about = nullptr;
  // The client width before a panel was shown, restored when it hides.
  int widthBeforePanel = kListLeft;
};

}  // namespace korvid::ui
