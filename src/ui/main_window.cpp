#include "ui/main_window.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <filesystem>
#include <iostream>
#include <set>

#include "commands/command_line.h"
#include "commands/command_line_run.h"
#include "graphs/codec_jobs.h"
#include "list/file_sources.h"
#include "list/playlist.h"
#include "resources/user_error.h"
#include "settings/system_locale.h"
#include "ui/about_frame.h"
#include "ui/action_icons.h"
#include "ui/clipboard_files.h"
#include "ui/clock_form.h"
#include "ui/codec_form.h"
#include "ui/frame_rate_form.h"
#include "ui/main_window_panels.h"
#include "ui/main_window_placement.h"
#include "ui/options_frame.h"
#include "ui/player_frame.h"
#include "ui/riff_form.h"
#include "ui/scene_overview_form.h"
#include "ui/ui_text.h"
#include "ui/window_command_host.h"
#include "ui/window_list_view.h"

namespace korvid::ui {

using resources::Text;

namespace {

// How long a remark of the player stays in the status bar.
constexpr int kPlayerRemarkMs = 5000;

}  // namespace

TUIForm::TUIForm(WindowSetup setup) : setup_(std::move(setup)) {
  setObjectName(QStringLiteral("TUIForm"));
  setWindowTitle(QString::fromStdString(commands::WindowCaption()));
  setWindowIcon(ApplicationIcon());
  setAcceptDrops(true);
  riffForm_ = new TRiffForm(this);
  sceneOverview_ = new TSceneOverviewForm(this);
  frameRateForm_ = new TFrequenceForm(this);
  codecForm_ = new TCodecForm(this);
  auto* clockForm = new TClockForm(this);
  commandHost_ = std::make_unique<WindowCommandHost>(*this);
  BuildLayout();

  settings::DefaultEnvironment defaults;
  defaults.documentsFolder = setup_.documentsFolder;
  // A first start centres the window; the list starts hidden.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    defaults.screenWidth = screen->geometry().width();
    defaults.screenHeight = screen->geometry().height();
  }
  defaults.windowWidth = kListLeft;
  defaults.windowHeight = kClientHeight + statusBar()->height() + menuBar()->sizeHint().height();
  commands::CoreSessionSetup core{.host = *commandHost_,
                                  .listView = *listView_,
                                  .launcher = launcher_,
                                  .riffView = *riffForm_,
                                  .store = setup_.store,
                                  .defaults = defaults};
  core.missingFilters = setup_.missingFilters;
  core.libraryPresent = [](graphs::Backing backing) { return graphs::Codecs().Probe(backing); };
  core.dataHome = setup_.dataHome;
  core.frameRateChooser = frameRateForm_;
  core.codecChooser = codecForm_;
  core.clockOffsetChooser = clockForm;
  session_ = std::make_unique<commands::CoreSession>(std::move(core));
  std::cerr << commands::PluginStartNotes(session_->Plugins());
  session_->Context().lockListCommands = [this](bool locked) {
    listLocked_ = locked;
    RefreshActions();
  };
  listView_->Attach(session_->List());
  BuildPlayerFrame();
  panels_->BuildPanels(central_, *session_, *player_);

  SetWindowHandlers();
  BuildActions();
  BindPlayerActions();
  BuildMenus();
  BuildToolbars();
  panels_->options->SetHooks({Action("avPlayStop"), Action("afOptions"), [this] { RefreshActions(); }});
  // The menu bar keeps its height while a panel hides every menu.
  menuBar()->setFixedHeight(menuBar()->sizeHint().height());
  // A fixed size: only minimising, no maximise button.
  fixedHeight_ = menuBar()->height() + kClientHeight + statusBar()->height();
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  // The window starts with the list hidden, where it was left.
  SetClientWidth(kListLeft);
  const settings::Preferences& stored = session_->Preferences().values();
  move(PositionOnScreen(QPoint(stored.left, stored.top), size()));
  const commands::RunKind kind = commands::DecideRunKind(setup_.parameters);
  if (kind == commands::RunKind::kNone) session_->List().RefreshListStatus();

  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TUIForm::CheckPaste);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive) CheckPaste();
  });
  CheckPaste();
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TUIForm::Idle);
  central_->installEventFilter(this);
}

TUIForm::~TUIForm() {
  // Whatever the way out, the shutdown steps run once.
  if (session_) session_->Shutdown();
  // Before the session whose preferences it writes.
  delete player_;
}

// --- Layout -----------------------------------------------------------------

void TUIForm::BuildLayout() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(12);
  setFont(font);

  central_ = new QWidget(this);
  central_->setObjectName(QStringLiteral("client"));
  central_->setFixedHeight(kClientHeight);
  setCentralWidget(central_);

  toolBar1_ = new QToolBar(central_);
  toolBar1_->setObjectName(QStringLiteral("ToolBar1"));
  toolBar1_->setGeometry(0, 0, 593, 36);
  toolBar2_ = new QToolBar(central_);
  toolBar2_->setObjectName(QStringLiteral("ToolBar2"));
  toolBar2_->setGeometry(408, 0, 169, 36);
  for (QToolBar* bar : {toolBar1_, toolBar2_}) {
    bar->setIconSize(QSize(25, 25));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setMovable(false);
    bar->layout()->setSpacing(0);
    bar->layout()->setContentsMargins(0, 0, 0, 0);
  }

  lb_ = new QListView(central_);
  lb_->setObjectName(QStringLiteral("lb"));
  lb_->setGeometry(kListLeft, 40, 281, 361);
  lb_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lb_->setUniformItemSizes(true);
  lb_->setContextMenuPolicy(Qt::CustomContextMenu);
  listView_ = std::make_unique<WindowListView>(*this, *lb_);

  labFichiers_ = new QLabel(central_);
  labFichiers_->setObjectName(QStringLiteral("labFichiers"));
  labFichiers_->setGeometry(312, 408, 241, 15);
  labFichiers_->setAlignment(Qt::AlignCenter);
  QFont captionFont(QStringLiteral("Times New Roman"));
  captionFont.setPixelSize(12);
  labFichiers_->setFont(captionFont);
  labFichiers_->setStyleSheet(QStringLiteral("color: navy;"));

  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("StatusBar1"));
  status_->setAlignment(Qt::AlignCenter);
  statusBar()->addWidget(status_, 1);
  statusBar()->setSizeGripEnabled(false);
  statusBar()->setFixedHeight(19);
  statusBar()->setToolTip(QString::fromUtf8(commands::kAbortHintText.data(),
                                            static_cast<qsizetype>(commands::kAbortHintText.size())));

  panels_ = std::make_unique<WindowPanels>(central_);
  panels_->emptyHelp->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TUIForm::BuildPlayerFrame() {
  player_ = new TBaseFrame(session_->Preferences().values(), settings::SystemLocaleFormats(), central_);
  player_->setObjectName(QStringLiteral("BaseFrame"));
  player_->SetInlayReady(session_->Availability().inlayReady);
  connect(player_, &TBaseFrame::StatusMessage, this,
          [this](const QString& text) { statusBar()->showMessage(text, kPlayerRemarkMs); });
  player_->move(0, 36);
  player_->show();
  // The empty-list help covers the frame while the list is empty.
  panels_->emptyHelp->raise();
  connect(player_, &TBaseFrame::FileNameClicked, this, [this] {
    if (QAction* parent = Action("amDossierParent"); parent != nullptr && parent->isEnabled()) parent->trigger();
  });
  session_->SetSceneStartHook([this](std::int32_t frame) { player_->ShowSceneStart(frame); });

  copyMenu_ = new QMenu(this);
  copyMenu_->setObjectName(QStringLiteral("CopyPopup"));
  const std::pair<Text, QLabel*> copies[] = {
      {Text::kCopyDatecode, player_->labDatecode}, {Text::kCopyTimecode, player_->LabTimecode},
      {Text::kCopyCodec, player_->LabCodec},       {Text::kCopyImageSize, player_->LabImage},
      {Text::kCopyDuration, player_->LabDuree},    {Text::kCopyFps, player_->labFPS}};
  for (const auto& [caption, label] : copies)
    copyMenu_->addAction(UiText(caption), this, [this, label] { CopyText(label->text()); });
  copyMenu_->addAction(UiText(Text::kCopyAudio), this, [this] {
    CopyText(player_->LabAudio1->text() + QLatin1Char(' ') + player_->LabAudio2->text());
  });
  copyMenu_->addSeparator();
  copyMenu_->addAction(UiText(Text::kCopyFullFilename), this, &TUIForm::CopyFullFilename);
  QFrame* info = player_->Panel1;
  info->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(info, &QWidget::customContextMenuRequested, this,
          [this, info](const QPoint& at) { copyMenu_->popup(info->mapToGlobal(at)); });
}

QWidget* TUIForm::EmptyListHelp() const { return panels_->emptyHelp; }

bool TUIForm::ListShown() const { return width() > kListLeft; }

void TUIForm::SetClientWidth(int width) {
  if (fixedHeight_ > 0)
    setFixedSize(width, fixedHeight_);
  else
    setFixedWidth(width);
  ShowStatus(statusFull_);
  PlaceSecondToolbar();
}

void TUIForm::PlaceSecondToolbar() {
  int visible = 0;
  for (QAction* action : toolBar2_->actions())
    if (action->isVisible()) ++visible;
  // A small margin keeps the last image off the window's edge.
  toolBar2_->move(width() - visible * kButtonWidth - kToolbarMargin, 0);
  // Above the panels too: Settings, About and Quit stay at hand.
  toolBar2_->raise();
}

// --- Status bar and player ---------------------------------------------------------

commands::Answer TUIForm::Ask(commands::MessageKind kind, const std::string& text, commands::Buttons buttons) {
  return commandHost_->Ask(kind, text, buttons);
}

void TUIForm::SetStatusText(const std::string& text) {
  noteUntil_ = QDeadlineTimer();
  ShowStatus(QString::fromStdString(text));
}

void TUIForm::ShowNote(const std::string& text) {
  ShowStatus(QString::fromStdString(text));
  noteUntil_.setRemainingTime(kNoteMilliseconds);
  QTimer::singleShot(kNoteMilliseconds + 50, this, &TUIForm::Idle);
}

// A long folder path keeps both ends in sight: its middle gives way.
void TUIForm::ShowStatus(const QString& text) {
  statusFull_ = text;
  const int room = width() - kStatusMargin;
  const QString shown = status_->fontMetrics().elidedText(text, Qt::ElideMiddle, room);
  if (status_->text() != shown) status_->setText(shown);
  status_->setToolTip(shown != text ? text : QString());
}

void TUIForm::ReleasePlayerFile() {
  playerEntry_.reset();
  playerRecord_ = nullptr;
  player_->ReleasePlayerFile();
}

// Not every command tells the list afterwards: the entry opens again here.
void TUIForm::RetakePlayerFile() {
  player_->ResumePlayer();
  ShowInPlayer(session_->List().Current());
}

// --- The list's status -------------------------------------------------------

void TUIForm::StatusRefreshed(const list::ListStatus& status) {
  labFichiers_->setText(QString::fromStdString(status.caption));
  lb_->setToolTip(QString::fromStdString(status.hint));
  listState_ = status.viewState;
  if (status.emptyHelpVisible) {
    panels_->ShowEmptyHelp();
    // A panel keeps its width; the help's returns when the panel closes.
    if (PanelShown()) {
      panels_->widthBeforePanel = kListLeft;
      (panels_->settings->isVisible() ? panels_->settings : panels_->about)->raise();
      PlaceSecondToolbar();
    } else {
      SetClientWidth(kListLeft);
    }
  } else {
    panels_->emptyHelp->hide();
  }
  if (status.showListDuringBatch && !ListShown() && !PanelShown()) ShowList();
}

bool TUIForm::PanelShown() const { return panels_->settings->isVisible() || panels_->about->isVisible(); }

void TUIForm::BatchStarted(const std::string& message) {
  ++running_;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  SetStatusText(message);
}

void TUIForm::BatchEnded() {
  QApplication::restoreOverrideCursor();
  if (running_ > 0) --running_;
}

void TUIForm::StopPlayback() {
  playerEntry_.reset();
  playerRecord_ = nullptr;
  if (player_ != nullptr) player_->ClearPlayer();
}

void TUIForm::ShowInPlayer(const media::TAfficherFichier* record) {
  // The session starts before the frame that needs its preferences.
  if (player_ == nullptr) return;
  if (record == nullptr) {
    if (playerEntry_) StopPlayback();
    return;
  }
  // The same record of the same file, unchanged and still open: its
  // position stays. A command that changed the file made a new record.
  const bool same = playerRecord_ == record && playerEntry_ && player_->Engine().IsOpen() &&
                    playerEntry_->fullName == record->fullName && playerEntry_->sizeKey == record->sizeKey &&
                    playerEntry_->dateKey == record->dateKey && playerEntry_->hasSceneFile == record->hasSceneFile;
  if (same) return;
  playerEntry_ = *record;
  playerRecord_ = record;
  player_->OpenInPlayer(*record);
}

// --- Start-up and shutdown ------------------------------------------------------

bool TUIForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == central_ && event->type() == QEvent::Paint) {
    if (!firstPaintDone_) {
      firstPaintDone_ = true;
      // After this paint, not inside it: the work may run for long.
      QTimer::singleShot(0, this, &TUIForm::FirstPaint);
    } else {
      RefreshActions();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TUIForm::FirstPaint() {
  if (closing_) return;
  try {
    const settings::Preferences& values = session_->Preferences().values();
    if (values.saveListOnQuit) list::LoadPlaylist(session_->List(), list::DefaultPlaylistPath(values.playlistFolder));
  } catch (const UserError&) {
    // A default playlist that cannot be read leaves the list as it is.
  }
  if (commands::DecideRunKind(setup_.parameters) == commands::RunKind::kVisible) RunVisibleCommandLine();
  RefreshActions();
}

void TUIForm::RunVisibleCommandLine() {
  list::VideoList& list = session_->List();
  ++running_;
  // A parameter that names nothing is left out, as a drop of it would be.
  std::set<std::string> named = commands::ListParameters(list, setup_.parameters, {}).named;
  const commands::VisibleRunPlan plan = commands::ExamineVisibleRun(setup_.parameters);
  commands::ProcessFlags& flags = session_->Context().flags;
  const std::string refused = commands::RefusedSwitches(setup_.parameters, session_->Commands().registry);
  if (!refused.empty()) {
    // Nothing runs when one letter is a mistake: it could stand for "delete".
    Ask(commands::MessageKind::kError, refused, commands::Buttons::kOk);
  } else if (plan.help) {
    if (!panels_->about->isVisible()) TogglePanel(true);
    panels_->aboutPanel->ShowCommandLinePage();
  } else {
    flags.NoConfirmation = plan.noConfirmation;
    try {
      session_->RunSwitches(setup_.parameters, std::move(named), {});
    } catch (const UserError& e) {
      Ask(commands::MessageKind::kError, e.what(), commands::Buttons::kOk);
    }
    list.RefreshListStatus();
  }
  --running_;
  flags.NoConfirmation = false;
  if (plan.closeAfterCommands) close();
}

void TUIForm::closeEvent(QCloseEvent* event) {
  closing_ = true;
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
    disconnect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TUIForm::Idle);
  riffForm_->close();
  sceneOverview_->close();
  settings::Preferences& values = session_->Preferences().values();
  values.top = pos().y();
  values.left = pos().x();
  const std::string unsaved = session_->Shutdown();
  if (!unsaved.empty()) Ask(commands::MessageKind::kWarning, unsaved, commands::Buttons::kOk);
  event->accept();
}

void TUIForm::Idle() {
  if (running_ > 0 || closing_ || QApplication::activeModalWidget() != nullptr) return;
  commands::ProcessFlags& flags = session_->Context().flags;
  flags.ClearAborts();
  if (noteUntil_.hasExpired()) SetStatusText(std::string(resources::Str(Text::kReady)));
  if (isActiveWindow() && lb_->isEnabled() && !PanelShown() && !lb_->hasFocus()) lb_->setFocus();
}

// --- Drag and drop ----------------------------------------------------------------

void TUIForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!FilesOf(event->mimeData()).empty()) event->acceptProposedAction();
}

void TUIForm::dropEvent(QDropEvent* event) {
  const std::vector<std::string> files = FilesOf(event->mimeData());
  if (files.empty()) return;
  event->acceptProposedAction();
  ++running_;
  list::AddDroppedFiles(session_->List(), files);
  --running_;
  RefreshActions();
}

// "Paste" is a command the refresh leaves alone: only the clipboard decides.
void TUIForm::CheckPaste() {
  commands::WindowAction* paste = session_->Commands().actions.Find("afCollerFichiers");
  if (paste == nullptr) return;
  paste->Enabled = !FilesOf(QApplication::clipboard()->mimeData()).empty();
  RefreshActions();
}

}  // namespace korvid::ui
