// The main window's commands: the core's actions as QActions in menus,
// toolbars and shortcuts, their refresh, and the window's own handlers.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>

#include <set>

#include "commands/action_states.h"
#include "commands/command_line.h"
#include "list/file_sources.h"
#include "list/local_mounts.h"
#include "list/playlist.h"
#include "list/uri_list.h"
#include "resources/user_error.h"
#include "ui/action_icons.h"
#include "ui/clipboard_files.h"
#include "ui/main_window.h"
#include "ui/player_frame.h"
#include "ui/ui_text.h"
#include "ui/video_surface.h"

namespace korvid::ui {

using resources::Text;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// "\r\n" in the table's hints are line breaks.
QString HintText(const std::string& hint) { return Q(hint).replace(QLatin1String("\r\n"), QLatin1String("\n")); }

}  // namespace

QAction* TUIForm::Action(const std::string& name) const {
  if (!session_) return nullptr;
  const commands::ActionList& list = session_->Commands().actions;
  for (int i = 0; i < list.Count() && i < static_cast<int>(actions_.size()); ++i)
    if (list.At(i).name == name) return actions_[static_cast<std::size_t>(i)];
  return nullptr;
}

void TUIForm::SetWindowHandlers() {
  commands::ActionList& actions = session_->Commands().actions;
  list::VideoList& list = session_->List();
  commands::ProcessFlags& flags = session_->Context().flags;
  const auto set = [&actions](const char* name, std::function<void()> handler) {
    if (commands::WindowAction* action = actions.Find(name)) action->onExecute = std::move(handler);
  };
  set("afQuitter", [this] { close(); });
  set("afBasculerListe", [this] { ToggleList(); });
  set("afInterrompre", [&flags] { flags.AbortCommand = true; });
  set("afInterrompreTous", [&flags] {
    flags.AbortCommand = true;
    flags.AbortAll = true;
  });
  set("afApropos", [this] { TogglePanel(true); });
  set("afOptions", [this] { TogglePanel(false); });
  set("afCollerFichiers", [this] { PasteFiles(); });
  set("afOuvrirFichiers", [this] { OpenFiles(); });
  set("afOuvrirDossierPrefere", [this, &list] {
    list::ScanFolderIntoList(list, session_->Preferences().values().autoOpenFolder,
                             std::string(resources::Str(Text::kLoadingFiles)));
  });
  set("afOuvrirTout", [&list] {
    list::OpenAllIntoList(list, list::FixedLocalMountPoints());
  });
  set("afOuvrirunDossier", [this] { OpenFolder(); });
  set("afOuvrirPlayList", [this] { OpenPlaylist(); });
  set("afOuvrirDefaultPlayList", [this, &list] {
    list::LoadPlaylist(list, list::DefaultPlaylistPath(session_->Preferences().values().playlistFolder));
  });
  set("afOrdreAlpha", [&list] { list.SortList(1); });
  set("alTriDatecode", [&list] { list.SortList(0); });
  set("alTriTaille", [&list] { list.SortList(2); });
  set("alTrierModify", [&list] { list.SortList(3); });
  set("afViderListe", [&list] { list.ClearList(); });
  set("afSelectionnerTout", [&list] { list.SelectAll(); });
  set("afSauverListe", [this] { SavePlaylist(); });
  set("afFusionnerCaptures", [this] { session_->MergeSelection(); });
  set("afSceneOverview", [this] { OpenSceneOverview(); });
  set("afPictrel", [this] {
    commands::RunOnCurrentEntry(session_->Commands().registry.Find("Pictrel"), session_->Context());
  });
}

// The player's commands call the frame; their captions follow its state.
void TUIForm::BindPlayerActions() {
  commands::ActionList& actions = session_->Commands().actions;
  TBaseFrame* player = player_;
  const std::pair<const char*, void (TBaseFrame::*)()> steps[] = {
      {"avPlayStop", &TBaseFrame::PlayStop},          {"avFullscreen", &TBaseFrame::ToggleFullScreen},
      {"avMute", &TBaseFrame::ToggleMute},            {"avanceLow", &TBaseFrame::FrameForward},
      {"reculeLow", &TBaseFrame::FrameBackward},      {"avanceMedium", &TBaseFrame::SecondForward},
      {"ReculeMedium", &TBaseFrame::SecondBackward},  {"avanceHigh", &TBaseFrame::MinuteForward},
      {"ReculeHigh", &TBaseFrame::MinuteBackward},    {"AvanceScene", &TBaseFrame::SceneForward},
      {"ReculeScene", &TBaseFrame::SceneBackward},    {"avAvanceFin", &TBaseFrame::GoToEnd},
      {"avReculeDebut", &TBaseFrame::GoToStart}};
  QList<QAction*> fullScreen;
  for (const auto& [name, slot] : steps) {
    if (commands::WindowAction* action = actions.Find(name)) action->onExecute = [player, slot] { (player->*slot)(); };
    if (QAction* shown = Action(name)) fullScreen.append(shown);
  }
  for (const char* name : {"amAfficherDatecode", "amAfficherSliders"})
    if (QAction* shown = Action(name)) fullScreen.append(shown);
  player->SetFullScreenActions(fullScreen);
  // The overlay's two commands are file actions run on the current entry.
  commands::Tch& ch = session_->Commands().ch;
  const auto toggle = [](TBaseFrame* frame, void (TBaseFrame::*slot)()) {
    return [frame, slot](const commands::TParam&, const media::TAfficherFichier&, std::string&,
                         commands::TchUpdateType& update) {
      (frame->*slot)();
      update = commands::utNone;
    };
  };
  ch.Action("AfficherDatecode").OnExecution = toggle(player, &TBaseFrame::ToggleDatecode);
  ch.Action("AfficherSliders").OnExecution = toggle(player, &TBaseFrame::ToggleSliders);

  const auto captions = [this] {
    SetCaption("avPlayStop", player_->PlayStopCaption());
    SetCaption("avFullscreen", player_->FullScreenCaption());
    SetCaption("avMute", player_->MuteCaption());
    const settings::Preferences& values = session_->Preferences().values();
    if (QAction* mute = Action("avMute")) {
      mute->setToolTip(player_->MuteHint().replace(QLatin1String("\r\n"), QLatin1String("\n")));
      mute->setIcon(SoundIcon(values.muteOn));
    }
    SetCaption("amAfficherDatecode", player_->DatecodeCaption());
    if (QAction* datecode = Action("amAfficherDatecode")) {
      // Shown, the hint names what a click does now.
      const commands::WindowAction* model = session_->Commands().actions.Find("amAfficherDatecode");
      datecode->setToolTip(values.inlayOn || model == nullptr ? player_->DatecodeCaption() : HintText(model->hint));
      datecode->setIcon(DatecodeIcon(values.inlayOn));
    }
    SetCaption("amAfficherSliders", player_->SlidersCaption());
  };
  captions();
  for (const auto signal : {&TBaseFrame::PlayingChanged, &TBaseFrame::FullScreenChanged, &TBaseFrame::MuteChanged,
                            &TBaseFrame::DatecodeChanged, &TBaseFrame::SlidersChanged})
    connect(player_, signal, this, captions);
}

void TUIForm::SetCaption(const char* name, const QString& caption) {
  if (commands::WindowAction* model = session_->Commands().actions.Find(name)) model->caption = caption.toStdString();
  if (QAction* action = Action(name)) action->setText(caption);
}

void TUIForm::BuildActions() {
  const commands::ActionList& model = session_->Commands().actions;
  // A key that two commands share belongs to the first of them in the
  // action list: Ctrl+Q quits rather than shortening names.
  std::set<QKeySequence> taken;
  for (int i = 0; i < model.Count(); ++i) {
    const commands::WindowAction& source = model.At(i);
    auto* action = new QAction(Q(source.caption), this);
    action->setObjectName(Q(source.name));
    action->setToolTip(source.hint.empty() ? Q(source.caption) : HintText(source.hint));
    action->setStatusTip(action->toolTip());
    action->setIcon(ActionIcon(source));
    action->setCheckable(source.checkItem);
    QList<QKeySequence> keys;
    for (const std::string& text : {source.shortcut, source.secondShortcut}) {
      if (text.empty()) continue;
      const QKeySequence key = QKeySequence::fromString(Q(text), QKeySequence::PortableText);
      if (!key.isEmpty() && taken.insert(key).second) keys.append(key);
    }
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, i] { Trigger(i); });
    addAction(action);
    actions_.push_back(action);
  }
}

QMenu* TUIForm::MenuOf(const std::vector<commands::MenuItem>& items, QMenu* menu) {
  for (const commands::MenuItem& item : items) {
    if (item.separator) {
      menu->addSeparator();
    } else if (!item.children.empty()) {
      MenuOf(item.children, menu->addMenu(Q(item.caption)));
    } else if (QAction* action = Action(item.actionName)) {
      menu->addAction(action);
    }
  }
  return menu;
}

void TUIForm::BuildMenus() {
  for (const commands::TopMenu& top : session_->Commands().menu) {
    QMenu* menu = menuBar()->addMenu(Q(top.caption));
    MenuOf(top.items, menu);
    menu->setToolTipsVisible(true);
    topMenus_.push_back(menu);
  }

  using commands::MenuItem;
  const auto item = [](const char* name) {
    MenuItem entry;
    entry.actionName = name;
    return entry;
  };
  MenuItem separator;
  separator.separator = true;
  MenuItem sort;
  sort.caption = resources::Str(Text::kSortTheListMenu);
  sort.children = {item("afOrdreAlpha"), item("alTriDatecode"), item("alTriTaille"), item("alTrierModify")};

  QMenu* windowMenu = MenuOf({item("afOuvrirFichiers"), item("afCollerFichiers"), item("afOuvrirDossierPrefere"),
                              separator, item("afOptions"), item("afApropos"), item("afQuitter"), separator},
                             new QMenu(this));
  QMenu* listMenu =
      MenuOf({item("afOuvrirFichiers"), item("afCollerFichiers"), item("afOuvrirunDossier"),
              item("afOuvrirDossierPrefere"), item("afOuvrirTout"), separator, item("afBasculerListe"), sort,
              item("afSelectionnerTout"), separator, item("afSauverListe"), item("afViderListe"), item("afQuitter")},
             new QMenu(this));
  // The help's text box would offer its own Copy and Select All menu.
  auto* helpText = EmptyListHelp()->findChild<QWidget*>(QStringLiteral("Memo1"));
  for (QWidget* host : {static_cast<QWidget*>(central_), EmptyListHelp(), helpText}) {
    if (host == nullptr) continue;
    host->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(host, &QWidget::customContextMenuRequested, this,
            [host, windowMenu](const QPoint& at) { windowMenu->popup(host->mapToGlobal(at)); });
  }
  QMenu* videoMenu = MenuOf({item("avPlayStop"), item("avMute"), item("amAfficherDatecode"),
                             item("amAfficherSliders"), item("avFullscreen")},
                            new QMenu(this));
  videoMenu->setObjectName(QStringLiteral("VideoPopup"));
  windowMenu->setObjectName(QStringLiteral("WindowPopup"));
  listMenu->setObjectName(QStringLiteral("ListPopup"));
  // Also when the picture is full screen: the menu opens where it was asked.
  QWidget* picture = player_->vw;
  picture->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(picture, &QWidget::customContextMenuRequested, this,
          [picture, videoMenu](const QPoint& at) { videoMenu->popup(picture->mapToGlobal(at)); });
  connect(lb_, &QWidget::customContextMenuRequested, this,
          [this, listMenu](const QPoint& at) { listMenu->popup(lb_->viewport()->mapToGlobal(at)); });
}

void TUIForm::BuildToolbars() {
  for (const char* name : {"afOuvrirFichiers", "afCollerFichiers", "afOuvrirDossierPrefere", "amDossierParent",
                           "avMute", "amAfficherDatecode"})
    if (QAction* action = Action(name)) toolBar1_->addAction(action);
  for (const char* name : {"afViderListe", "afSelectionnerTout", "afOptions", "afApropos", "afQuitter"})
    if (QAction* action = Action(name)) toolBar2_->addAction(action);
  for (QToolBar* bar : {toolBar1_, toolBar2_})
    for (QAction* action : bar->actions())
      if (QWidget* button = bar->widgetForAction(action)) button->setFixedSize(kButtonWidth, 31);
}

void TUIForm::Trigger(int index) {
  commands::ActionList& model = session_->Commands().actions;
  commands::WindowAction& action = model.At(index);
  // While a command or a batch runs, only the permanent commands (abort,
  // quit, the panels) act: another command would run inside the first.
  if (running_ > 0 && action.category != commands::kPermanent) {
    RefreshActions();
    return;
  }
  const bool own = action.handler == commands::ExecuteHandler::kWindow;
  if (!own) ++running_;
  try {
    commands::TriggerAction(action, session_->Commands().registry, session_->Context());
  } catch (const UserError& e) {
    Ask(commands::MessageKind::kError, e.what(), commands::Buttons::kOk);
  }
  if (!own) --running_;
  RefreshActions();
}

void TUIForm::RefreshActions() {
  if (!session_ || actions_.empty()) return;
  commands::CommandSet& commands = session_->Commands();
  commands::RefreshInput input;
  input.view = commands::CategoriesOf(listState_);
  input.listShown = ListShown();
  input.listEnabled = lb_->isEnabled() && !listLocked_;
  input.settingsShown = panels_->settings->isVisible();
  input.aboutShown = panels_->about->isVisible();
  input.list = &session_->List();
  input.registry = &commands.registry;
  input.commandList = &commands.commandList;
  commands::RefreshActionStates(commands.actions, commands.menu, input);

  for (int i = 0; i < commands.actions.Count(); ++i) {
    const commands::WindowAction& source = commands.actions.At(i);
    QAction* action = actions_[static_cast<std::size_t>(i)];
    if (action->isVisible() != source.Visible) action->setVisible(source.Visible);
    if (action->isEnabled() != source.Enabled) action->setEnabled(source.Enabled);
    // Captions the settings change ("Open with" and the program's name).
    if (const QString caption = Q(source.caption); action->text() != caption) {
      action->setText(caption);
      if (source.hint.empty()) action->setToolTip(caption);
    }
    if (action->isCheckable() && action->isChecked() != source.checked) action->setChecked(source.checked);
  }
  for (std::size_t i = 0; i < topMenus_.size() && i < commands.menu.size(); ++i) {
    QAction* top = topMenus_[i]->menuAction();
    if (top->isVisible() != commands.menu[i].Visible) top->setVisible(commands.menu[i].Visible);
    // Sub-menus follow their items.
    for (QAction* entry : topMenus_[i]->actions())
      if (QMenu* sub = entry->menu()) {
        bool any = false;
        for (const QAction* child : sub->actions()) any = any || (child->isVisible() && !child->isSeparator());
        if (entry->isVisible() != any) entry->setVisible(any);
      }
  }
  PlaceSecondToolbar();
}

// --- Window commands ------------------------------------------------------------

void TUIForm::ToggleList() {
  QAction* toggle = Action("afBasculerListe");
  commands::WindowAction* model = session_->Commands().actions.Find("afBasculerListe");
  if (ListShown()) {
    SetClientWidth(kListLeft);
    model->caption = resources::Str(Text::kShowListCaption);
  } else {
    SetClientWidth(kListShownWidth);
    model->caption = resources::Str(Text::kafBasculerListeCaption);
  }
  toggle->setText(Q(model->caption));
  RefreshActions();
}

void TUIForm::ShowList() {
  if (!ListShown()) ToggleList();
}

void TUIForm::TogglePanel(bool about) {
  commands::ActionList& actions = session_->Commands().actions;
  commands::WindowAction& mine = *actions.Find(about ? "afApropos" : "afOptions");
  commands::WindowAction& other = *actions.Find(about ? "afOptions" : "afApropos");
  QFrame* minePanel = about ? panels_->about : panels_->settings;
  QFrame* otherPanel = about ? panels_->settings : panels_->about;
  const auto hide = [this](QFrame* panel) {
    if (!panel->isVisible()) return;
    panel->hide();
    SetClientWidth(panels_->widthBeforePanel);
  };
  if (otherPanel->isVisible()) {
    hide(otherPanel);
    other.checked = false;
  }
  mine.checked = !mine.checked;
  if (mine.checked) {
    if (!minePanel->isVisible()) panels_->widthBeforePanel = width();
    minePanel->move(0, 0);
    minePanel->show();
    minePanel->raise();
    SetClientWidth(minePanel->width());
  } else {
    hide(minePanel);
  }
  session_->List().RefreshListStatus();
  RefreshActions();
}

void TUIForm::CopyText(const QString& text) { QApplication::clipboard()->setText(text); }

// The path as it is: another case of it may name another file or none.
void TUIForm::CopyFullFilename() {
  if (const media::TAfficherFichier* current = session_->List().Current()) CopyText(Q(current->fullName));
}

void TUIForm::PasteFiles() {
  const std::vector<std::string> files = FilesOf(QApplication::clipboard()->mimeData());
  if (files.empty()) return;
  list::PasteFiles(session_->List(), list::UriListOf(files));
}

void TUIForm::OpenFiles() {
  settings::Preferences& values = session_->Preferences().values();
  const QStringList chosen =
      QFileDialog::getOpenFileNames(this, QString(), Q(values.openFolder), UiText(Text::kAviFilesFilter));
  if (chosen.isEmpty()) return;
  std::vector<std::string> paths;
  for (const QString& path : chosen) paths.push_back(path.toStdString());
  values.openFolder = std::filesystem::path(paths.front()).parent_path().string();
  list::AddChosenFiles(session_->List(), paths);
}

void TUIForm::OpenFolder() {
  settings::Preferences& values = session_->Preferences().values();
  const QString folder =
      QFileDialog::getExistingDirectory(this, UiText(Text::kOpenFolderDialogTitle), Q(values.openFolder));
  if (folder.isEmpty()) return;
  list::ScanFolderIntoList(session_->List(), folder.toStdString(), std::string(resources::Str(Text::kLoadingFiles)));
}

void TUIForm::OpenPlaylist() {
  const settings::Preferences& values = session_->Preferences().values();
  const QString file =
      QFileDialog::getOpenFileName(this, QString(), Q(values.playlistFolder), UiText(Text::kPlaylistFilesFilter));
  if (!file.isEmpty()) list::LoadPlaylist(session_->List(), file.toStdString());
}

void TUIForm::SavePlaylist() {
  const settings::Preferences& values = session_->Preferences().values();
  const QString file = QFileDialog::getSaveFileName(this, QString(), Q(values.playlistFolder),
                                                    UiText(Text::kPlaylistFilesFilter));
  if (file.isEmpty()) return;
  list::SavePlaylist(session_->List(), file.toStdString(),
                     list::CurrentPlaylistStamp(values.displayDatecodeFormat));
}

}  // namespace korvid::ui
