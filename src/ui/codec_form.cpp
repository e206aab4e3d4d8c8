#include "ui/codec_form.h"
#include "ui/ui_text.h"

#include <QLabel>
#include <QLineEdit>

namespace korvid::ui {

using resources::Text;

TCodecForm::TCodecForm(QWidget* parent)
    : ChoiceDialog(parent, QStringLiteral("rgCodec"),
                   {UiText(Text::kCodecDvsd), UiText(Text::kCodecDsvd), UiText(Text::kCodecCdvc), UiText(Text::kPersonalizedItem)}) {
  setObjectName(QStringLiteral("TCodecForm"));
  setWindowTitle(UiText(Text::kCodecFormTitle));
  Prompt()->setText(UiText(Text::kCodecFormPrompt));
  EditLabel()->setText(UiText(Text::kCodecFormEditLabel));
  Unit()->setText(UiText(Text::kCodecFormUnit));
}

bool TCodecForm::Choose(commands::CodecChoiceState& state) { return RunChoice(shown_, state); }

bool TCodecForm::ItemChosen(int index) {
  commands::SelectCodecItem(shown_, index);
  return shown_.editEnabled;
}

}  // namespace korvid::ui
