#pragma once
// The codec dialog of "Change the codec": three well-known DV handler
// codes or a personalised four-character code.

#include "commands/header_fix_commands.h"
#include "ui/choice_dialog.h"

namespace korvid::ui {

class TCodecForm : public ChoiceDialog, public commands::CodecChooser {
  Q_OBJECT

 public:
  explicit TCodecForm(QWidget* parent = nullptr);

  // Opens modally on `state`. OK stores the user's choice and edit text
  // in it; Cancel, Escape or closing leave it as it was.
  bool Choose(commands::CodecChoiceState& state) override;

 protected:
  bool ItemChosen(int index) override;

 private:
  commands::CodecChoiceState shown_;
};

}  // namespace korvid::ui
