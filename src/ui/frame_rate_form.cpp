#include "ui/frame_rate_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvid::ui {

TFrequenceForm::TFrequenceForm(QWidget* parent)
    : ChoiceDialog(parent, QStringLiteral("rgFreq"),
                   {QStringLiteral("25 frames/sec (Pal)"), QStringLiteral("29.97 frames/sec (NTSC)"),
                    QStringLiteral("personalized")}) {
  setObjectName(QStringLiteral("TFrequenceForm"));
  setWindowTitle(QStringLiteral("Fix the framerate"));
  Prompt()->setText(
      QStringLiteral("Indicate the framerate in frames per seconds.\nThe audio frequency remains inchanged."));
  EditLabel()->setText(QStringLiteral("Personalized frequency"));
  Edit()->setToolTip(
      QStringLiteral("Indicate the framerate by a decimal number\n(using your local representation)."));
  Unit()->setText(QStringLiteral("frames/sec"));
  OkButton()->setToolTip(QStringLiteral("Apply the new framerate."));
  CancelButton()->setToolTip(
      QStringLiteral("Cancel the command \"Fix the framerate\" \nwithout applying the modification."));
}

bool TFrequenceForm::Choose(commands::FrameRateChoiceState& state) {
  shown_ = state;
  ShowChoice(shown_.choice, QString::fromStdString(shown_.editText), shown_.editEnabled);
  if (exec() != QDialog::Accepted) return false;
  shown_.editText = Edit()->text().toStdString();
  state = shown_;
  return true;
}

bool TFrequenceForm::ItemChosen(int index) {
  commands::SelectFrameRateItem(shown_, index);
  return shown_.editEnabled;
}

}  // namespace korvid::ui
