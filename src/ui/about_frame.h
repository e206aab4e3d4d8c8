#pragma once
// The About panel over the main window: who made Korvid, the command-line
// switches, the plug-ins loaded and what this system offers.

#include <QFrame>

#include "commands/core_session.h"

class QTabWidget;
class QTextEdit;
class QTreeWidget;

namespace korvid::ui {

class TAboutFrame final : public QFrame {
  Q_OBJECT

 public:
  static constexpr int kWidth = 324;

  TAboutFrame(commands::CoreSession& session, QWidget* parent);

  // The command-line page in front (help asked on the command line).
  void ShowCommandLinePage();

 private:
  QWidget* BuildCredits();
  QWidget* BuildCommandLine(commands::CoreSession& session);
  void FillPlugins(commands::CoreSession& session);
  void FillSystem(const graphs::FilterAvailability& availability);

  QTabWidget* pages_ = nullptr;
  QTreeWidget* switches_ = nullptr;
  QTextEdit* plugins_ = nullptr;
  QTextEdit* system_ = nullptr;
  int commandLineIndex_ = 0;
};

}  // namespace korvid::ui
