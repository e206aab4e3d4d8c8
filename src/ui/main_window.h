#pragma once
// The main window: the player frame on the left, the video list on the
// right, two toolbars above and a status bar below; the Settings and
// About panels and the empty-list help cover parts of it. Every command is
// an action of the core's action list, shown here as a QAction in menus,
// toolbars and shortcuts. The window starts and shuts down the core
// session; the session's command host and list view are adapters the
// window owns (window_command_host.h, window_list_view.h).

#include <QDeadlineTimer>
#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/command_host.h"
#include "commands/core_session.h"
#include "commands/desktop_launcher.h"
#include "list/list_status.h"
#include "settings/preferences_store.h"
#include "ui/main_window_panels.h"

class QAction;
class QLabel;
class QListView;
class QMenu;
class QToolBar;

namespace korvid::ui {

class TBaseFrame;
class TCodecForm;
class TFrequenceForm;
class TRiffForm;
class WindowCommandHost;
class WindowListView;

struct WindowSetup {
  settings::StoreLocation store;
  std::string documentsFolder;
  // KORVID_MISSING_FILTERS, read by the caller.
  std::string missingFilters;
  // The command line: files to list and switches of a visible run.
  std::vector<std::string> parameters;
  // The user's data folder for the Send To entries; empty: none are made.
  std::string dataHome{};
};

class TUIForm final : public QMainWindow {
  Q_OBJECT

 public:
  explicit TUIForm(WindowSetup setup);
  ~TUIForm() override;

  commands::CoreSession& Session() { return *session_; }
  // The widget action of the core action `name`, or null.
  QAction* Action(const std::string& name) const;
  QWidget* EmptyListHelp() const;
  bool ListShown() const;

  // The first panel of the status bar; a note stays there for a while.
  void SetStatusText(const std::string& text);
  void ShowNote(const std::string& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The adapters carry the session's calls to the window's parts.
  friend class WindowCommandHost;
  friend class WindowListView;

  // The command host's message box, for the window's own questions.
  commands::Answer Ask(commands::MessageKind kind, const std::string& text, commands::Buttons buttons);
  // What the session's calls come to through the adapters.
  void ReleasePlayerFile();
  void RetakePlayerFile();
  void StatusRefreshed(const list::ListStatus& status);
  bool PanelShown() const;
  void BatchStarted(const std::string& message);
  void BatchEnded();
  void RefreshActions();
  void StopPlayback();

  void BuildLayout();
  void BuildPlayerFrame();
  void BindPlayerActions();
  void SetCaption(const char* action, const QString& caption);
  // Opens `record` in the player unless it is already open there.
  void ShowInPlayer(const media::TAfficherFichier* record);
  void BuildActions();
  void BuildMenus();
  void BuildToolbars();
  void SetWindowHandlers();
  QMenu* MenuOf(const std::vector<commands::MenuItem>& items, QMenu* menu);

  void Trigger(int index);
  void FirstPaint();
  void RunVisibleCommandLine();
  void Idle();
  void CheckPaste();

  void SetClientWidth(int width);
  void ToggleList();
  void ShowList();
  void TogglePanel(bool about);
  void PlaceSecondToolbar();
  void ShowStatus(const QString& text);
  void CopyText(const QString& text);
  void CopyFullFilename();

  void PasteFiles();
  void OpenFiles();
  void OpenFolder();
  void OpenPlaylist();
  void SavePlaylist();

  WindowSetup setup_;
  commands::XdgDesktopLauncher launcher_;
  TRiffForm* riffForm_ = nullptr;
  TFrequenceForm* frameRateForm_ = nullptr;
  TCodecForm* codecForm_ = nullptr;

  QWidget* central_ = nullptr;
  QToolBar* toolBar1_ = nullptr;
  QToolBar* toolBar2_ = nullptr;
  TBaseFrame* player_ = nullptr;
  QListView* lb_ = nullptr;
  QLabel* labFichiers_ = nullptr;
  QLabel* status_ = nullptr;
  // The entry open in the player, to leave it alone when it comes again.
  std::optional<media::TAfficherFichier> playerEntry_;
  // The list's record it was opened from; compared, never read.
  const media::TAfficherFichier* playerRecord_ = nullptr;
  QMenu* copyMenu_ = nullptr;
  std::unique_ptr<WindowPanels> panels_;

  // Before the session, which calls them until it ends.
  std::unique_ptr<WindowCommandHost> commandHost_;
  std::unique_ptr<WindowListView> listView_;
  std::unique_ptr<commands::CoreSession> session_;
  std::vector<QAction*> actions_;  // parallel to the core's action list
  std::vector<QMenu*> topMenus_;
  list::ViewState listState_ = list::ViewState::kEmptyList;
  bool listLocked_ = false;
  int running_ = 0;  // commands and batches under way: no idle work
  int fixedHeight_ = 0;  // menu bar, client area and status bar
  // The status text in full, shortened to the window's width on screen.
  QString statusFull_;
  // A note stays until then rather than giving way to "Ready".
  QDeadlineTimer noteUntil_;
  static constexpr int kNoteMilliseconds = 6000;
  static constexpr int kStatusMargin = 16;
  static constexpr int kToolbarMargin = 4;
  bool firstPaintDone_ = false;
  bool closing_ = false;
};

}  // namespace korvid::ui
