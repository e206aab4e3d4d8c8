#include "ui/options_frame.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "resources/product.h"
#include "settings/loaded_folders.h"
#include "settings/preference_table.h"
#include "settings/recording_zone.h"
#include "ui/player_frame.h"
#include "ui/ui_text.h"

namespace korvid::ui {

using resources::Text;

namespace {

// The ranges and defaults of the two number fields are the stored ones.
const settings::IntField<settings::Preferences>& StoredField(std::string_view name) {
  return std::get<settings::IntField<settings::Preferences>>(settings::FindMainValueSpec(name)->field);
}
constexpr std::string_view kInlayDurationValue = "Duréee Incrustation";
constexpr std::string_view kHourOffsetValue = "Décalage Horaire";
constexpr std::string_view kMp4QualityValue = "Qualité MP4";
constexpr int kToolbarHeight = 38;

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

template <class Widget>
Widget* Named(Widget* widget, const char* name, Text hint) {
  widget->setObjectName(QLatin1String(name));
  widget->setToolTip(UiText(hint));
  return widget;
}

QLabel* Memo(Text text, QWidget* parent) {
  auto* memo = new QLabel(UiText(text), parent);
  memo->setWordWrap(true);
  return memo;
}

// The preferences ask their questions through the window's message boxes.
class HostDialogs final : public settings::PreferenceDialogs {
 public:
  explicit HostDialogs(commands::CommandHost& host) : host_(host) {}
  bool AskWarning(const std::string& question) override {
    return host_.Ask(commands::MessageKind::kWarning, question, commands::Buttons::kYesNo) == commands::Answer::kYes;
  }
  void Warn(const std::string& text) override {
    host_.Ask(commands::MessageKind::kWarning, text, commands::Buttons::kOk);
  }
  void Inform(const std::string& text) override {
    host_.Ask(commands::MessageKind::kInformation, text, commands::Buttons::kOk);
  }

 private:
  commands::CommandHost& host_;
};

// The overlay's colour is stored as 0x00BBGGRR.
QColor ColourOf(int bgr) {
  const auto value = static_cast<unsigned>(bgr);
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}
int StoredColour(const QColor& colour) { return colour.red() | (colour.green() << 8) | (colour.blue() << 16); }

}  // namespace

TOptionsFrame::TOptionsFrame(commands::CoreSession& session, TBaseFrame& player, OptionsHooks hooks, QWidget* parent)
    : QFrame(parent),
      session_(session),
      prefs_(session.Preferences().values()),
      player_(player),
      hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("OptionsFrame1"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(this);
  // The window's Settings, About and Quit buttons stay above the top strip.
  layout->setContentsMargins(6, kToolbarHeight, 6, 6);
  auto* pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("PageControl1"));
  pages->addTab(BuildPreferencesPage(), UiText(Text::kOptionsPagePreferences));
  pages->addTab(BuildCommandsPage(), UiText(Text::kOptionsPageCommands));
  pages->addTab(BuildFormatsPage(), UiText(Text::kOptionsPageFormats));
  pages->addTab(BuildFoldersPage(), UiText(Text::kOptionsPageFolders));
  layout->addWidget(pages, 1);
  auto* close = Named(new QPushButton(UiText(Text::kOptionsClose), this), "FermerBtn", Text::kOptionsCloseHint);
  connect(close, &QPushButton::clicked, this, [this] {
    if (hooks_.toggle != nullptr) hooks_.toggle->trigger();
  });
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(close);
  layout->addLayout(bottom);
  LoadFromPreferences();
  hide();
}

QWidget* TOptionsFrame::BuildPreferencesPage() {
  auto* page = new QWidget;
  auto* columns = new QHBoxLayout(page);

  auto* gbPrefs = new QGroupBox(UiText(Text::kOptionsPagePreferences), page);
  gbPrefs->setObjectName(QStringLiteral("gbPrefs"));
  auto* left = new QVBoxLayout(gbPrefs);
  auto* save = Named(new QPushButton(UiText(Text::kOptionsSaveNow)), "SpeedButton1", Text::kOptionsSaveNowHint);
  connect(save, &QPushButton::clicked, this, &TOptionsFrame::SaveNow);
  auto* erase =
      Named(new QPushButton(UiText(Text::kOptionsDeletePrefs)), "SpeedButton2", Text::kOptionsDeletePrefsHint);
  connect(erase, &QPushButton::clicked, this, &TOptionsFrame::DeletePreferences);
  cbPrefsQuittant = Named(new QCheckBox(UiText(Text::kOptionsSaveOnQuit)), "cbPrefsQuittant", Text::kOptionsSaveOnQuitHint);
  connect(cbPrefsQuittant, &QCheckBox::clicked, this, [this](bool on) { prefs_.saveOnQuit = on; });
  cbSelection = Named(new QCheckBox(UiText(Text::kOptionsSelectOnOpen)), "cbSelection", Text::kOptionsSelectOnOpenHint);
  connect(cbSelection, &QCheckBox::clicked, this, [this](bool on) {
    prefs_.selectOnOpen = on;
    session_.List().SetSelectOnOpen(on);
  });
  cbListe = Named(new QCheckBox(UiText(Text::kOptionsSaveList)), "cbListe", Text::kOptionsSaveListHint);
  connect(cbListe, &QCheckBox::clicked, this, [this](bool on) { prefs_.saveListOnQuit = on; });

  auto* rgStandard = Named(new QGroupBox(UiText(Text::kOptionsDefaultStandard)), "rgStandard",
                           Text::kOptionsDefaultStandardHint);
  auto* standards = new QHBoxLayout(rgStandard);
  rbPal = new QRadioButton(UiText(Text::kOptionsStandardPal));
  rbNtsc = new QRadioButton(UiText(Text::kOptionsStandardNtsc));
  standards->addWidget(rbPal);
  standards->addWidget(rbNtsc);
  connect(rbPal, &QRadioButton::clicked, this, [this] { prefs_.defaultStandard = 1; });
  connect(rbNtsc, &QRadioButton::clicked, this, [this] { prefs_.defaultStandard = 2; });

  seMp4Quality = Named(new QSpinBox, "seMp4Quality", Text::kOptionsMp4QualityHint);
  const auto& quality = StoredField(kMp4QualityValue);
  seMp4Quality->setRange(quality.min, quality.max);
  seMp4Quality->setKeyboardTracking(false);
  connect(seMp4Quality, &QSpinBox::valueChanged, this, [this](int value) { prefs_.mp4Quality = value; });
  auto* qualityRow = new QHBoxLayout;
  qualityRow->addWidget(new QLabel(UiText(Text::kOptionsMp4Quality)));
  qualityRow->addWidget(seMp4Quality);
  qualityRow->addStretch(1);

  auto* grabLabel = new QLabel(UiText(Text::kOptionsFrameGrabber));
  grabLabel->setObjectName(QStringLiteral("Label6"));
  feFichierPictrel = Named(new QLineEdit, "feFichierPictrel", Text::kOptionsFrameGrabberHint);
  const auto storeGrabber = [this] {
    prefs_.frameGrabProgram = feFichierPictrel->text().toStdString();
    commands::CommandSet& commands = session_.Commands();
    commands::ApplyFrameGrabber(prefs_.frameGrabProgram, commands.actions, commands.commandList);
    FillCommandList();
    if (hooks_.commandsChanged) hooks_.commandsChanged();
  };
  connect(feFichierPictrel, &QLineEdit::editingFinished, this, storeGrabber);
  auto* browseGrabber = new QToolButton;
  browseGrabber->setText(UiText(Text::kOptionsBrowse));
  connect(browseGrabber, &QToolButton::clicked, this, [this, storeGrabber] {
    const QString file = QFileDialog::getOpenFileName(this, UiText(Text::kOptionsFrameGrabber), feFichierPictrel->text());
    if (file.isEmpty()) return;
    feFichierPictrel->setText(file);
    storeGrabber();
  });
  auto* grabRow = new QHBoxLayout;
  grabRow->addWidget(feFichierPictrel, 1);
  grabRow->addWidget(browseGrabber);

  cbSendTo = Named(new QCheckBox(UiText(Text::kOptionsSendTo)), "cbSendTo", Text::kOptionsSendToHint);
  connect(cbSendTo, &QCheckBox::clicked, this, [this](bool on) { session_.SetSendTo(on); });
  cbSoundLocked = Named(new QCheckBox(UiText(Text::kOptionsSoundLocked)), "cbSoundLocked", Text::kOptionsSoundLockedHint);
  connect(cbSoundLocked, &QCheckBox::clicked, this, [this](bool on) { prefs_.soundLocked = on; });
  cbFourChannels = Named(new QCheckBox(UiText(Text::kOptionsFourChannels)), "cbFourChannels", Text::kOptionsFourChannelsHint);
  connect(cbFourChannels, &QCheckBox::clicked, this, [this](bool on) { prefs_.fourChannels = on; });

  for (QWidget* widget : std::initializer_list<QWidget*>{save, erase, cbPrefsQuittant, cbSelection, rgStandard, cbListe})
    left->addWidget(widget);
  left->addWidget(grabLabel);
  left->addLayout(grabRow);
  left->addWidget(cbSendTo);
  left->addWidget(cbSoundLocked);
  left->addWidget(cbFourChannels);
  left->addStretch(1);
  columns->addWidget(gbPrefs, 1);

  auto* right = new QVBoxLayout;
  GroupBox5 = new QGroupBox(UiText(Text::kOptionsInlay), page);
  GroupBox5->setObjectName(QStringLiteral("GroupBox5"));
  auto* inlay = new QGridLayout(GroupBox5);
  auto* font = Named(new QToolButton, "sbIncrustFont", Text::kOptionsFontHint);
  font->setText(UiText(Text::kOptionsFontButton));
  connect(font, &QToolButton::clicked, this, &TOptionsFrame::sbIncrustFontClick);
  auto* fontLabel = new QLabel(UiText(Text::kOptionsFont));
  fontLabel->setObjectName(QStringLiteral("Label7"));
  inlay->addWidget(font, 0, 0);
  inlay->addWidget(fontLabel, 0, 1);
  RxSpinEdit1 = Named(new QSpinBox, "RxSpinEdit1", Text::kOptionsTimeDifferenceHint);
  const auto& offsets = StoredField(kHourOffsetValue);
  RxSpinEdit1->setRange(offsets.min, offsets.max);
  RxSpinEdit1->setKeyboardTracking(false);
  connect(RxSpinEdit1, &QSpinBox::valueChanged, this, [this](int hours) {
    prefs_.clockOffsetHours = hours;
    PushToOverlay();
  });
  auto* offsetLabel = new QLabel(UiText(Text::kOptionsTimeDifference));
  offsetLabel->setObjectName(QStringLiteral("Label8"));
  inlay->addWidget(RxSpinEdit1, 1, 0);
  inlay->addWidget(offsetLabel, 1, 1);
  cbAutoIncrust = Named(new QCheckBox(UiText(Text::kOptionsAutoInlay)), "cbAutoIncrust", Text::kOptionsAutoInlayHint);
  connect(cbAutoIncrust, &QCheckBox::clicked, this, &TOptionsFrame::cbAutoIncrustClick);
  edDureeIncrust = Named(new QLineEdit, "edDureeIncrust", Text::kOptionsInlayDurationHint);
  edDureeIncrust->setMaximumWidth(48);
  connect(edDureeIncrust, &QLineEdit::editingFinished, this, &TOptionsFrame::edDureeIncrustExit);
  inlay->addWidget(edDureeIncrust, 2, 0);
  inlay->addWidget(cbAutoIncrust, 2, 1);
  cbAutoFontSize = Named(new QCheckBox(UiText(Text::kOptionsAutoFontSize)), "cbAutoFontSize", Text::kOptionsAutoFontSizeHint);
  connect(cbAutoFontSize, &QCheckBox::clicked, this, [this](bool on) {
    prefs_.autoFontSize = on;
    PushToOverlay();
  });
  inlay->addWidget(cbAutoFontSize, 3, 1);
  inlay->setColumnStretch(1, 1);
  right->addWidget(GroupBox5);
  Memo2 = Memo(Text::kOptionsInlayMissing, page);
  Memo2->setObjectName(QStringLiteral("Memo2"));
  right->addWidget(Memo2);
  right->addLayout(qualityRow);
  right->addStretch(1);
  right->addWidget(Memo(Text::kOptionsPreferencesMemo, page));
  columns->addLayout(right, 1);
  return page;
}

QWidget* TOptionsFrame::BuildCommandsPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(Memo(Text::kOptionsCommandsMemo, page));
  RxCheckListBox1 = Named(new QListWidget(page), "RxCheckListBox1", Text::kOptionsCommandListHint);
  connect(RxCheckListBox1, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    std::vector<commands::CommandListItem>& items = session_.Commands().commandList.items;
    const int row = RxCheckListBox1->row(item);
    if (row < 0 || static_cast<std::size_t>(row) >= items.size()) return;
    const bool checked = item->checkState() == Qt::Checked;
    if (items[static_cast<std::size_t>(row)].checked == checked) return;
    items[static_cast<std::size_t>(row)].checked = checked;
    if (hooks_.commandsChanged) hooks_.commandsChanged();
  });
  layout->addWidget(RxCheckListBox1, 1);
  auto* checkAll = Named(new QPushButton(UiText(Text::kOptionsCheckAll)), "SpeedButton3", Text::kOptionsCheckAllHint);
  connect(checkAll, &QPushButton::clicked, this, &TOptionsFrame::SpeedButton3Click);
  auto* row = new QHBoxLayout;
  row->addWidget(checkAll);
  row->addStretch(1);
  layout->addLayout(row);
  return page;
}

QWidget* TOptionsFrame::BuildFormatsPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* names = new QGridLayout;
  const auto field = [this, names](QLineEdit*& edit, const char* name, Text label, Text hint, int row,
                                   std::string settings::Preferences::*member) {
    edit = Named(new QLineEdit, name, hint);
    names->addWidget(new QLabel(UiText(label)), row, 0);
    names->addWidget(edit, row, 1);
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, member] { prefs_.*member = edit->text().toStdString(); });
  };
  field(edRenommer, "edRenommer", Text::kOptionsRenameFormat, Text::kOptionsRenameFormatHint, 0,
        &settings::Preferences::renameFormat);
  field(edRacine, "edRacine", Text::kOptionsRenameRoot, Text::kOptionsRenameRootHint, 1,
        &settings::Preferences::renameRoot);
  // A name the zone database does not know is not taken: the field goes back.
  edFuseau = Named(new QLineEdit, "edFuseau", Text::kOptionsTimeZoneHint);
  edFuseau->setPlaceholderText(QString::fromStdString(settings::RecordingZone().Name()));
  names->addWidget(new QLabel(UiText(Text::kOptionsTimeZone)), 2, 0);
  names->addWidget(edFuseau, 2, 1);
  connect(edFuseau, &QLineEdit::editingFinished, this, [this] {
    const std::string zone = edFuseau->text().trimmed().toStdString();
    if (settings::IsKnownTimeZone(zone))
      prefs_.timeZone = zone;
    else
      edFuseau->setText(FromStd(prefs_.timeZone));
  });
  layout->addLayout(names);

  auto* GroupBox4 = new QGroupBox(UiText(Text::kOptionsDatecodeFormats), page);
  GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
  auto* formats = new QVBoxLayout(GroupBox4);
  edAjouter = Named(new QLineEdit, "edAjouter", Text::kOptionsAddFormatHint);
  connect(edAjouter, &QLineEdit::editingFinished, this,
          [this] { prefs_.addDatecodeFormat = edAjouter->text().toStdString(); });
  edAfficher = Named(new QLineEdit, "edAfficher", Text::kOptionsDisplayFormatHint);
  connect(edAfficher, &QLineEdit::editingFinished, this, [this] {
    const std::string format = edAfficher->text().toStdString();
    if (format == prefs_.displayDatecodeFormat) return;
    session_.SetDisplayDatecodeFormat(format);
    PushToOverlay();
  });
  formats->addWidget(new QLabel(UiText(Text::kOptionsAddFormat)));
  formats->addWidget(edAjouter);
  formats->addWidget(new QLabel(UiText(Text::kOptionsDisplayFormat)));
  formats->addWidget(edAfficher);
  layout->addWidget(GroupBox4);
  layout->addStretch(1);
  layout->addWidget(Memo(Text::kOptionsFormatsMemo, page));
  return page;
}

QWidget* TOptionsFrame::FolderField(QLineEdit*& field, const char* name, std::function<void(const std::string&)> store) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  field = new QLineEdit(row);
  field->setObjectName(QLatin1String(name));
  auto* browse = new QToolButton(row);
  browse->setText(UiText(Text::kOptionsBrowse));
  layout->addWidget(field, 1);
  layout->addWidget(browse);
  QLineEdit* edit = field;
  connect(edit, &QLineEdit::editingFinished, this, [this, edit, store] { StoreFolder(edit, store); });
  connect(browse, &QToolButton::clicked, this, [this, edit, store] {
    const QString folder = QFileDialog::getExistingDirectory(this, QString(), edit->text());
    if (folder.isEmpty()) return;
    edit->setText(folder);
    StoreFolder(edit, store);
  });
  return row;
}

void TOptionsFrame::StoreFolder(QLineEdit* field, const std::function<void(const std::string&)>& store) {
  const std::string folder = settings::WithTrailingSeparator(field->text().toStdString());
  field->setText(FromStd(folder));
  store(folder);
}

QWidget* TOptionsFrame::BuildFoldersPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* opening = new QGroupBox(UiText(Text::kOptionsOpenFolders), page);
  auto* open = new QGridLayout(opening);
  open->addWidget(new QLabel(UiText(Text::kOptionsOpenFolder)), 0, 0);
  open->addWidget(FolderField(edDossierOuvrir, "edDossierOuvrir", [this](const std::string& f) { prefs_.openFolder = f; }), 0, 1);
  edDossierOuvrir->setToolTip(UiText(Text::kOptionsOpenFolderHint));
  open->addWidget(new QLabel(UiText(Text::kOptionsAutoFolder)), 1, 0);
  open->addWidget(FolderField(edDossierAuto, "edDossierAuto", [this](const std::string& f) { prefs_.autoOpenFolder = f; }), 1, 1);
  open->addWidget(new QLabel(UiText(Text::kOptionsPlaylistFolder)), 2, 0);
  open->addWidget(
      FolderField(edDossierPlayList, "edDossierPlayList", [this](const std::string& f) { prefs_.playlistFolder = f; }), 2, 1);
  open->setColumnStretch(1, 1);
  edDossierPlayList->setToolTip(UiText(Text::kOptionsPlaylistFolderHint));
  layout->addWidget(opening);

  auto* saving = new QGroupBox(UiText(Text::kOptionsOutputFolders), page);
  auto* save = new QVBoxLayout(saving);
  cbsameFolder = Named(new QCheckBox(UiText(Text::kOptionsSameFolder)), "cbsameFolder", Text::kOptionsSameFolderHint);
  connect(cbsameFolder, &QCheckBox::clicked, this, &TOptionsFrame::cbsameFolderClick);
  save->addWidget(cbsameFolder);
  save->addWidget(new QLabel(UiText(Text::kOptionsOutputFolder)));
  QWidget* output = FolderField(edDossierSave, "edDossierSave", [this](const std::string& f) { prefs_.outputFolder = f; });
  edDossierSave->setToolTip(UiText(Text::kOptionsOutputFolderHint));
  saveFolderButton_ = output->findChild<QToolButton*>();
  save->addWidget(output);
  layout->addWidget(saving);
  layout->addStretch(1);
  layout->addWidget(Memo(Text::kOptionsFoldersMemo, page));
  return page;
}

void TOptionsFrame::FillCommandList() {
  const QSignalBlocker block(RxCheckListBox1);
  RxCheckListBox1->clear();
  for (const commands::CommandListItem& entry : session_.Commands().commandList.items) {
    auto* item = new QListWidgetItem(FromStd(entry.text), RxCheckListBox1);
    item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
    // Window commands are always there: shown in black and not to be unticked.
    if (entry.greyed)
      item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
    else
      item->setForeground(QColor(Qt::darkBlue));
  }
}

void TOptionsFrame::LoadFromPreferences() {
  const settings::Preferences& p = prefs_;
  const auto set = [](QCheckBox* box, bool on) {
    const QSignalBlocker block(box);
    box->setChecked(on);
  };
  set(cbPrefsQuittant, p.saveOnQuit);
  set(cbSelection, p.selectOnOpen);
  set(cbListe, p.saveListOnQuit);
  set(cbSendTo, p.sendTo);
  set(cbSoundLocked, p.soundLocked);
  set(cbFourChannels, p.fourChannels);
  set(cbAutoIncrust, p.automaticInlay);
  set(cbAutoFontSize, p.autoFontSize);
  set(cbsameFolder, p.saveInSameFolder);
  (p.defaultStandard == 2 ? rbNtsc : rbPal)->setChecked(true);
  feFichierPictrel->setText(FromStd(p.frameGrabProgram));
  {
    const QSignalBlocker block(RxSpinEdit1);
    RxSpinEdit1->setValue(p.clockOffsetHours);
    const QSignalBlocker blockQuality(seMp4Quality);
    seMp4Quality->setValue(p.mp4Quality);
  }
  edDureeIncrust->setText(QString::number(p.inlayDurationSeconds));
  edDureeIncrust->setEnabled(p.automaticInlay);
  edRenommer->setText(FromStd(p.renameFormat));
  edRacine->setText(FromStd(p.renameRoot));
  edFuseau->setText(FromStd(p.timeZone));
  edAjouter->setText(FromStd(p.addDatecodeFormat));
  edAfficher->setText(FromStd(p.displayDatecodeFormat));
  edDossierOuvrir->setText(FromStd(p.openFolder));
  edDossierAuto->setText(FromStd(p.autoOpenFolder));
  edDossierPlayList->setText(FromStd(p.playlistFolder));
  edDossierSave->setText(FromStd(p.outputFolder));
  edDossierSave->setEnabled(!p.saveInSameFolder);
  saveFolderButton_->setEnabled(!p.saveInSameFolder);
  FillCommandList();
}

void TOptionsFrame::showEvent(QShowEvent* event) {
  const bool inlay = session_.Availability().inlayReady;
  GroupBox5->setVisible(inlay);
  Memo2->setVisible(!inlay);
  if (hooks_.playStop != nullptr && playStopKey_.isEmpty()) {
    playStopKey_ = hooks_.playStop->shortcut();
    hooks_.playStop->setShortcut(QKeySequence());
  }
  QFrame::showEvent(event);
}

void TOptionsFrame::hideEvent(QHideEvent* event) {
  if (hooks_.playStop != nullptr && !playStopKey_.isEmpty()) {
    hooks_.playStop->setShortcut(playStopKey_);
    playStopKey_ = QKeySequence();
  }
  QFrame::hideEvent(event);
}

void TOptionsFrame::edDureeIncrustExit() {
  // What is no number, or out of the stored range, takes the default.
  const auto& stored = StoredField(kInlayDurationValue);
  bool number = false;
  int seconds = edDureeIncrust->text().trimmed().toInt(&number);
  if (!number || seconds < stored.min || seconds > stored.max) seconds = stored.fallback;
  prefs_.inlayDurationSeconds = seconds;
  edDureeIncrust->setText(QString::number(seconds));
  PushToOverlay();
}

void TOptionsFrame::cbAutoIncrustClick(bool checked) {
  prefs_.automaticInlay = checked;
  edDureeIncrust->setEnabled(checked);
  PushToOverlay();
}

void TOptionsFrame::cbsameFolderClick(bool checked) {
  prefs_.saveInSameFolder = checked;
  edDossierSave->setEnabled(!checked);
  saveFolderButton_->setEnabled(!checked);
}

void TOptionsFrame::sbIncrustFontClick() {
  settings::IncrustFont& stored = prefs_.incrustFont;
  QFont font(FromStd(stored.name));
  if (stored.size > 0) font.setPointSize(stored.size);
  font.setBold(stored.bold);
  font.setItalic(stored.italic);
  font.setUnderline(stored.underline);
  font.setStrikeOut(stored.strikeOut);
  bool chosen = false;
  font = QFontDialog::getFont(&chosen, font, this, UiText(Text::kOptionsFont));
  if (!chosen) return;
  // The font dialog has no colour: the colour dialog follows it.
  const QColor colour = QColorDialog::getColor(ColourOf(stored.color), this, UiText(Text::kOptionsFont));
  stored.name = font.family().toStdString();
  if (font.pointSize() > 0) stored.size = font.pointSize();
  stored.bold = font.bold();
  stored.italic = font.italic();
  stored.underline = font.underline();
  stored.strikeOut = font.strikeOut();
  if (colour.isValid()) stored.color = StoredColour(colour);
  PushToOverlay();
}

void TOptionsFrame::SpeedButton3Click() {
  for (commands::CommandListItem& item : session_.Commands().commandList.items) item.checked = true;
  FillCommandList();
  if (hooks_.commandsChanged) hooks_.commandsChanged();
}

void TOptionsFrame::CommitFields() {
  for (QLineEdit* field : findChildren<QLineEdit*>())
    if (field->hasFocus()) Q_EMIT field->editingFinished();
}

void TOptionsFrame::SaveNow() {
  CommitFields();
  commands::CommandSet& commands = session_.Commands();
  prefs_.actions = commands::CollectCommandChoices(commands.actions, commands.commandList);
  session_.Preferences().SaveNow(settings::CurrentSaveStamp(std::string(resources::kProductVersion)));
}

void TOptionsFrame::DeletePreferences() {
  HostDialogs dialogs(session_.Context().host);
  session_.Preferences().DeleteNow(dialogs);
  const QSignalBlocker block(cbPrefsQuittant);
  cbPrefsQuittant->setChecked(prefs_.saveOnQuit);
}

void TOptionsFrame::PushToOverlay() { player_.OverlaySettingsChanged(); }

}  // namespace korvid::ui
