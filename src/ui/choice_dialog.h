#pragma once
// The common shape of the small value dialogs: a radio group whose last
// item is "personalized", a labelled edit for that personalised value with
// a label beside it, and OK and Cancel. The dialog holds no logic of its
// own: what choosing an item does is the core's state's business.

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace korvid::ui {

class ChoiceDialog : public QDialog {
  Q_OBJECT

 public:
  QLabel* Prompt() const { return prompt_; }
  QGroupBox* Group() const { return group_; }
  QRadioButton* Item(int index) const;
  int ItemCount() const { return static_cast<int>(items_.size()); }
  // The checked item, or -1 when none is.
  int CheckedItem() const;
  QLabel* EditLabel() const { return editLabel_; }
  QLineEdit* Edit() const { return edit_; }
  QLabel* Unit() const { return unit_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 protected:
  // `groupName` and `items` name the radio group and its items; the
  // texts shown come from the derived dialog.
  ChoiceDialog(QWidget* parent, const QString& groupName, const QStringList& items);

  // Called when the user chooses `index`; answers whether the edit may
  // now be used.
  virtual bool ItemChosen(int index) = 0;

  // Puts a state on the widgets without it counting as a user's choice.
  void ShowChoice(std::optional<int> index, const QString& editText, bool editEnabled);
  // The whole of a chooser's Choose: show `state` (kept in `shown` while the
  // dialog is up, for ItemChosen), and only on OK copy the result back.
  template <typename State>
  bool RunChoice(State& shown, State& state) {
    shown = state;
    ShowChoice(shown.choice, QString::fromStdString(shown.editText), shown.editEnabled);
    if (exec() != QDialog::Accepted) return false;
    shown.editText = Edit()->text().toStdString();
    state = shown;
    return true;
  }

  void showEvent(QShowEvent* event) override;

 private:
  void OnItemToggled(int index, bool checked);

  QLabel* prompt_ = nullptr;
  QGroupBox* group_ = nullptr;
  QButtonGroup* buttons_ = nullptr;
  std::vector<QRadioButton*> items_;
  QLabel* editLabel_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QLabel* unit_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool showingState_ = false;
};

}  // namespace korvid::ui
