#include "ui/clock_form.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

#include "media/clock_correction.h"
#include "ui/ui_text.h"

namespace korvid::ui {

using resources::Text;

TClockForm::TClockForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TClockForm"));
  setWindowTitle(UiText(Text::kCorrectClockTitle));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  offset_ = new QLineEdit;
  offset_->setObjectName(QStringLiteral("edOffset"));
  offset_->setToolTip(UiText(Text::kCorrectClockOffsetHint));
  offset_->setPlaceholderText(QStringLiteral("+1d"));
  fromFrame_ = new QSpinBox;
  fromFrame_->setObjectName(QStringLiteral("seFromFrame"));
  fromFrame_->setRange(0, std::numeric_limits<int>::max());
  form->addRow(UiText(Text::kCorrectClockOffset), offset_);
  form->addRow(UiText(Text::kCorrectClockFromFrame), fromFrame_);
  layout->addLayout(form);
  preview_ = new QLabel;
  preview_->setObjectName(QStringLiteral("lbPreview"));
  preview_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(preview_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setObjectName(QStringLiteral("BitBtn1"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BitBtn2"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(offset_, &QLineEdit::textChanged, this, &TClockForm::UpdatePreview);
  connect(fromFrame_, &QSpinBox::valueChanged, this, &TClockForm::UpdatePreview);
}

bool TClockForm::Choose(const media::TAfficherFichier& entry, commands::ClockCorrectionState& state) {
  source_ = entry.fullName;
  {
    const QSignalBlocker blockOffset(offset_);
    const QSignalBlocker blockFrame(fromFrame_);
    offset_->setText(QString::fromStdString(state.offsetText));
    const auto last = entry.frames > 0 ? static_cast<long long>(entry.frames) - 1 : 0LL;
    fromFrame_->setMaximum(static_cast<int>(std::min<long long>(last, std::numeric_limits<int>::max())));
    fromFrame_->setValue(static_cast<int>(std::min<std::int64_t>(state.fromFrame, fromFrame_->maximum())));
  }
  UpdatePreview();
  offset_->setFocus();
  if (exec() != QDialog::Accepted) return false;
  state.offsetText = offset_->text().toStdString();
  state.fromFrame = fromFrame_->value();
  return true;
}

void TClockForm::UpdatePreview() {
  try {
    const std::int64_t seconds = media::ParseClockOffset(offset_->text().toStdString());
    const commands::ClockPreview preview = commands::PreviewClockCorrection(source_, seconds, fromFrame_->value());
    preview_->setText(QString::fromStdString(resources::Fill(
        Text::kCorrectClockPreview,
        {commands::PreviewText(preview.firstBefore), commands::PreviewText(preview.firstAfter),
         commands::PreviewText(preview.lastBefore), commands::PreviewText(preview.lastAfter)})));
    ok_->setEnabled(preview.firstBefore.has_value());
  } catch (const UserError& e) {
    preview_->setText(QString::fromStdString(e.what()));
    ok_->setEnabled(false);
  }
}

}  // namespace korvid::ui
