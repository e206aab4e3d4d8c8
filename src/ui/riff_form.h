#pragma once
// The window that shows the RIFF structure report of one file: its lines
// in a fixed-pitch font, Save (to a ".log" or text file) and Close. Close
// or closing the window while the report is built cancels it.

#include <QDialog>

#include <string>
#include <vector>

#include "commands/housekeeping_commands.h"

class QListWidget;
class QPushButton;

namespace korvid::ui {

class TRiffForm final : public QDialog, public commands::RiffReportView {
  Q_OBJECT

 public:
  explicit TRiffForm(QWidget* parent = nullptr);

  void BeginReport(const std::string& fullName) override;
  bool KeepGoing() override;
  void EndReport(const media::RiffReport& report) override;
  void CloseReport() override;

  QListWidget* Lines() const { return lines_; }
  QPushButton* SaveButton() const { return save_; }
  QPushButton* CloseButton() const { return close_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Save();

  QListWidget* lines_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* close_ = nullptr;
  std::string fullName_;
  std::vector<std::string> report_;
  bool cancelled_ = false;
};

}  // namespace korvid::ui
