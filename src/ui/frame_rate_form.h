#pragma once
// The frame-rate dialog of "Fix the framerate": PAL, NTSC or a
// personalised rate typed in the user's own decimal notation.

#include "commands/header_fix_commands.h"
#include "ui/choice_dialog.h"

namespace korvid::ui {

class TFrequenceForm : public ChoiceDialog, public commands::FrameRateChooser {
  Q_OBJECT

 public:
  explicit TFrequenceForm(QWidget* parent = nullptr);

  // Opens modally on `state`. OK stores the user's choice and edit text
  // in it; Cancel, Escape or closing leave it as it was.
  bool Choose(commands::FrameRateChoiceState& state) override;

 protected:
  bool ItemChosen(int index) override;

 private:
  // What the widgets show while the dialog is open.
  commands::FrameRateChoiceState shown_;
};

}  // namespace korvid::ui
