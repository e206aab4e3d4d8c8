#include "ui/choice_dialog.h"
#include "ui/ui_text.h"

#include <QButtonGroup>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvid::ui {

using resources::Text;

namespace {

// The dialogs were drawn for this face; where it is missing the system's
// sans-serif face stands in.
QFont DialogFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

ChoiceDialog::ChoiceDialog(QWidget* parent, const QString& groupName, const QStringList& items)
    : QDialog(parent) {
  setModal(true);
  setFont(DialogFont());

  prompt_ = new QLabel(this);
  prompt_->setObjectName(QStringLiteral("Label2"));

  group_ = new QGroupBox(this);
  group_->setObjectName(groupName);
  buttons_ = new QButtonGroup(this);
  auto* itemLayout = new QVBoxLayout(group_);
  for (const QString& text : items) {
    auto* item = new QRadioButton(text, group_);
    buttons_->addButton(item, static_cast<int>(items_.size()));
    itemLayout->addWidget(item);
    items_.push_back(item);
  }

  editLabel_ = new QLabel(this);
  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("le"));
  editLabel_->setBuddy(edit_);
  unit_ = new QLabel(this);
  unit_->setObjectName(QStringLiteral("Label1"));

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("BitBtn1"));
  ok_->setDefault(true);
  cancel_ = new QPushButton(UiText(Text::kCancelButton), this);
  cancel_->setObjectName(QStringLiteral("BitBtn2"));

  auto* editRow = new QGridLayout;
  editRow->addWidget(editLabel_, 0, 0, 1, 2);
  editRow->addWidget(edit_, 1, 0);
  editRow->addWidget(unit_, 1, 1);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch();
  buttonRow->addWidget(ok_);
  buttonRow->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt_);
  layout->addWidget(group_);
  layout->addLayout(editRow);
  layout->addLayout(buttonRow);

  // Escape rejects through QDialog itself.
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(buttons_, &QButtonGroup::idToggled, this, &ChoiceDialog::OnItemToggled);
}

QRadioButton* ChoiceDialog::Item(int index) const {
  if (index < 0 || index >= ItemCount()) return nullptr;
  return items_[static_cast<std::size_t>(index)];
}

int ChoiceDialog::CheckedItem() const { return buttons_->checkedId(); }

void ChoiceDialog::ShowChoice(std::optional<int> index, const QString& editText, bool editEnabled) {
  showingState_ = true;
  QRadioButton* item = index ? Item(*index) : nullptr;
  if (item != nullptr) {
    item->setChecked(true);
  } else if (QAbstractButton* checked = buttons_->checkedButton()) {
    // An exclusive group refuses to have its last checked button unchecked.
    buttons_->setExclusive(false);
    checked->setChecked(false);
    buttons_->setExclusive(true);
  }
  edit_->setText(editText);
  edit_->setEnabled(editEnabled);
  showingState_ = false;
}

void ChoiceDialog::OnItemToggled(int index, bool checked) {
  if (!checked || showingState_) return;
  const bool editUsable = ItemChosen(index);
  edit_->setEnabled(editUsable);
  if (editUsable && isVisible()) edit_->setFocus();
}

void ChoiceDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (edit_->isEnabled()) edit_->setFocus();
}

}  // namespace korvid::ui
