#include "ui/frame_rate_form.h"
#include "ui/ui_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvid::ui {

using resources::Text;

TFrequenceForm::TFrequenceForm(QWidget* parent)
    : ChoiceDialog(parent, QStringLiteral("rgFreq"),
                   {UiText(Text::kRatePal), UiText(Text::kRateNtsc), UiText(Text::kPersonalizedItem)}) {
  setObjectName(QStringLiteral("TFrequenceForm"));
  setWindowTitle(UiText(Text::kRateFormTitle));
  Prompt()->setText(UiText(Text::kRateFormPrompt));
  EditLabel()->setText(UiText(Text::kRateFormEditLabel));
  Edit()->setToolTip(UiText(Text::kRateFormEditHint));
  Unit()->setText(UiText(Text::kRateFormUnit));
  OkButton()->setToolTip(UiText(Text::kRateFormOkHint));
  CancelButton()->setToolTip(UiText(Text::kRateFormCancelHint));
}

bool TFrequenceForm::Choose(commands::FrameRateChoiceState& state) { return RunChoice(shown_, state); }

bool TFrequenceForm::ItemChosen(int index) {
  commands::SelectFrameRateItem(shown_, index);
  return shown_.editEnabled;
}

}  // namespace korvid::ui
