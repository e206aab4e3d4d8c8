#pragma once
// The dialog of "Correct the clock...": the offset as typed, the frame it
// applies from, and a preview of the first datecode it moves and the
// file's last, before and after, updated as the user types.

#include <QDialog>

#include "commands/clock_correction_commands.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace korvid::ui {

class TClockForm : public QDialog, public commands::ClockOffsetChooser {
  Q_OBJECT

 public:
  explicit TClockForm(QWidget* parent = nullptr);

  // Opens modally for `entry` on `state`; OK stores the offset text and
  // the frame in it, anything else leaves it as it was.
  bool Choose(const media::TAfficherFichier& entry, commands::ClockCorrectionState& state) override;

 private:
  void UpdatePreview();

  QLineEdit* offset_ = nullptr;
  QSpinBox* fromFrame_ = nullptr;
  QLabel* preview_ = nullptr;
  QPushButton* ok_ = nullptr;
  std::string source_;
};

}  // namespace korvid::ui
