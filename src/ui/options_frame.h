#pragma once
// The Settings panel over the main window: the preferences on four pages,
// each control bound to its preference and applied when it is clicked or
// left. Overlay settings reach the player at once, so that the user sees
// them on the frame on screen.

#include <QFrame>
#include <QKeySequence>

#include <functional>
#include <string>

#include "commands/core_session.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace korvid::ui {

class TBaseFrame;

// What the panel reaches in the window around it.
struct OptionsHooks {
  // Its shortcut is taken away while the panel is shown, so that keys
  // typed into the fields do not start playback.
  QAction* playStop = nullptr;
  // Close triggers it, so that the window's check mark follows.
  QAction* toggle = nullptr;
  // The command list or the frame-grab program changed.
  std::function<void()> commandsChanged;
};

class TOptionsFrame final : public QFrame {
  Q_OBJECT

 public:
  static constexpr int kWidth = 592;

  TOptionsFrame(commands::CoreSession& session, TBaseFrame& player, OptionsHooks hooks, QWidget* parent);

  // The window's actions exist only after the panel.
  void SetHooks(OptionsHooks hooks) { hooks_ = std::move(hooks); }

  // Fills every control from the preferences, as after loading them.
  void LoadFromPreferences();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QWidget* BuildPreferencesPage();
  QWidget* BuildCommandsPage();
  QWidget* BuildFormatsPage();
  QWidget* BuildFoldersPage();
  void FillCommandList();
  // A folder field, its browse button beside it; `store` takes the text.
  QWidget* FolderField(QLineEdit*& field, const char* name, std::function<void(const std::string&)> store);
  void StoreFolder(QLineEdit* field, const std::function<void(const std::string&)>& store);

  void edDureeIncrustExit();
  void cbAutoIncrustClick(bool checked);
  void cbsameFolderClick(bool checked);
  void sbIncrustFontClick();
  void SpeedButton3Click();
  void SaveNow();
  void DeletePreferences();
  // The overlay takes the preferences and the paused frame is drawn again.
  void PushToOverlay();
  // Fields still holding the focus give their text before a save.
  void CommitFields();

  commands::CoreSession& session_;
  settings::Preferences& prefs_;
  TBaseFrame& player_;
  OptionsHooks hooks_;
  QKeySequence playStopKey_;

  QCheckBox* cbPrefsQuittant = nullptr;
  QCheckBox* cbSelection = nullptr;
  QRadioButton* rbPal = nullptr;
  QRadioButton* rbNtsc = nullptr;
  QSpinBox* seMp4Quality = nullptr;
  QLineEdit* edFuseau = nullptr;
  QCheckBox* cbListe = nullptr;
  QCheckBox* cbSoundLocked = nullptr;
  QCheckBox* cbFourChannels = nullptr;
  QLineEdit* feFichierPictrel = nullptr;
  QCheckBox* cbSendTo = nullptr;
  QGroupBox* GroupBox5 = nullptr;
  QLabel* Memo2 = nullptr;
  QSpinBox* RxSpinEdit1 = nullptr;
  QCheckBox* cbAutoIncrust = nullptr;
  QLineEdit* edDureeIncrust = nullptr;
  QCheckBox* cbAutoFontSize = nullptr;
  QListWidget* RxCheckListBox1 = nullptr;
  QLineEdit* edRenommer = nullptr;
  QLineEdit* edRacine = nullptr;
  QLineEdit* edAjouter = nullptr;
  QLineEdit* edAfficher = nullptr;
  QLineEdit* edDossierOuvrir = nullptr;
  QLineEdit* edDossierAuto = nullptr;
  QLineEdit* edDossierPlayList = nullptr;
  QCheckBox* cbsameFolder = nullptr;
  QLineEdit* edDossierSave = nullptr;
  QToolButton* saveFolderButton_ = nullptr;
};

}  // namespace korvid::ui
