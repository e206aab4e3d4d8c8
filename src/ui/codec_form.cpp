#include "ui/codec_form.h"

#include <QLabel>
#include <QLineEdit>

namespace korvid::ui {

TCodecForm::TCodecForm(QWidget* parent)
    : ChoiceDialog(parent, QStringLiteral("rgCodec"),
                   {QStringLiteral("dvsd (Microsoft)"), QStringLiteral("dsvd"), QStringLiteral("CDVC (Canopus)"),
                    QStringLiteral("personalized")}) {
  setObjectName(QStringLiteral("TCodecForm"));
  setWindowTitle(QStringLiteral("Chnage the video codec"));
  Prompt()->setText(QStringLiteral("Choose the codec"));
  EditLabel()->setText(QStringLiteral("Personalized Codec"));
  Unit()->setText(QStringLiteral("(4 characters)"));
}

bool TCodecForm::Choose(commands::CodecChoiceState& state) {
  shown_ = state;
  ShowChoice(shown_.choice, QString::fromStdString(shown_.editText), shown_.editEnabled);
  if (exec() != QDialog::Accepted) return false;
  shown_.editText = Edit()->text().toStdString();
  state = shown_;
  return true;
}

bool TCodecForm::ItemChosen(int index) {
  commands::SelectCodecItem(shown_, index);
  return shown_.editEnabled;
}

}  // namespace korvid::ui
