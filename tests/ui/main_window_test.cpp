// The real main window on the offscreen platform, driven by keys, menus,
// drops and the clipboard, checked by what a person sees: captions,
// enabled commands, list rows, the clipboard and the files on disk.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "commands/window_actions.h"
#include "settings/preferences_store.h"
#include "sample_clip.h"
#include "support/sample_set.h"
#include "support/test_env.h"
#include "ui/action_icons.h"
#include "ui/main_window.h"
#include "ui/player_frame.h"
#include "ui/video_surface.h"
#include "widget_app.h"

namespace korvid::ui {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartAnswering();
    Open();
  }
  void TearDown() override {
    window_.reset();
    QApplication::clipboard()->clear();
  }

  void Open(std::vector<std::string> parameters = {}, std::string missingFilters = "") {
    window_ = std::make_unique<TUIForm>(WindowSetup{settings::StoreLocation{home_ / ".config"}, home_.path().string(),
                                                    std::move(missingFilters), std::move(parameters)});
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QTest::qWait(20);
  }

  // The stored preferences, changed, for the next start.
  void Store(const std::function<void(settings::Preferences&)>& change) {
    const settings::StoreLocation location{home_ / ".config"};
    settings::DefaultEnvironment environment;
    environment.documentsFolder = home_.path().string();
    settings::Preferences values = settings::LoadPreferences(location, environment);
    change(values);
    settings::SavePreferences(location, values, settings::CurrentSaveStamp("5.3.6"));
  }
  settings::Preferences Stored() const {
    return settings::LoadPreferences(settings::StoreLocation{home_ / ".config"}, {});
  }

  // The rows the list control highlights are the list's selection, and the
  // row with its focus is the list's current entry.
  void ExpectSelectionShown() const {
    const list::VideoList& list = window_->Session().List();
    const QItemSelectionModel* shown = test::Named<QListView>(*window_, "lb")->selectionModel();
    std::vector<int> highlighted;
    for (int row = 0; row < test::Named<QListView>(*window_, "lb")->model()->rowCount(); ++row)
      if (shown->isRowSelected(row)) highlighted.push_back(row);
    EXPECT_EQ(highlighted, list.SelectedIndexes());
    EXPECT_EQ(shown->currentIndex().isValid() ? shown->currentIndex().row() : -1, list.Focus());
  }

  void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QListView* view = test::Named<QListView>(*window_, "lb");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, view->visualRect(view->model()->index(row, 0)).center());
    if (modifiers != Qt::NoModifier) QTest::keyRelease(window_->windowHandle(), Qt::Key_Control, Qt::NoModifier);
    QTest::qWait(10);
    ExpectSelectionShown();
  }

  QString Caption() const { return test::Named<QLabel>(*window_, "labFichiers")->text(); }

  std::string Clip(const std::string& name) {
    const fs::path target = work_ / name;
    fs::create_directories(target.parent_path());
    fs::copy_file(test::StandardSample("pal_type2.avi"), target);
    return target.string();
  }

  // A person presses `key` and then lets go of every key: a click leaves the
  // application holding its modifiers, and a later selection made in code
  // would read them as Ctrl held down.
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window_->windowHandle(), static_cast<Qt::Key>(key), modifiers);
    if (modifiers != Qt::NoModifier) QTest::keyRelease(window_->windowHandle(), Qt::Key_Control, Qt::NoModifier);
    QTest::qWait(10);
    ExpectSelectionShown();
  }

  // Runs the event loop as the program does, so that it waits for events.
  static void FallIdle() {
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
  }

  // The list rows as the list control shows them.
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    const QAbstractItemModel* model = test::Named<QListView>(*window_, "lb")->model();
    for (int row = 0; row < model->rowCount(); ++row)
      rows.push_back(model->index(row, 0).data().toString().toStdString());
    return rows;
  }

  bool Offered(const std::string& name) const {
    const QAction* action = window_->Action(name);
    return action != nullptr && action->isVisible() && action->isEnabled();
  }

  // The top-level menus on show, by caption.
  std::vector<std::string> Menus() const {
    std::vector<std::string> shown;
    for (const QAction* top : window_->menuBar()->actions())
      if (top->isVisible()) shown.push_back(top->text().toStdString());
    return shown;
  }

  // A person reads every question that comes up and presses `button` (or,
  // where the box has no such button, its default one): no box is ever
  // left waiting, and questions_ tells what was asked. Until a test says
  // otherwise the answer is No.
  void AnswerQuestions(QMessageBox::StandardButton button) { answer_ = button; }

  void StartAnswering() {
    answerer_.setInterval(20);
    answerer_.callOnTimeout([this] {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog != nullptr && dialog->isVisible()) {
          dialogTitles_.push_back(dialog->windowTitle().toStdString());
          dialog->reject();
          return;
        }
        auto* box = qobject_cast<QMessageBox*>(top);
        if (box == nullptr || !box->isVisible()) continue;
        questions_.push_back(box->text().toStdString());
        QAbstractButton* press = box->button(answer_);
        if (press == nullptr) press = box->defaultButton();
        if (press != nullptr)
          press->click();
        else
          box->reject();
        return;
      }
    });
    answerer_.start();
  }

  void Drop(const std::vector<std::string>& files) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const std::string& file : files) urls.append(QUrl::fromLocalFile(QString::fromStdString(file)));
    data->setUrls(urls);
    const QPointF at(100, 100);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    delete data;
    QTest::qWait(10);
    ExpectSelectionShown();
  }

  test::TempDir home_;
  test::TempDir work_;
  std::unique_ptr<TUIForm> window_;
  std::vector<std::string> questions_;
  std::vector<std::string> dialogTitles_;
  QTimer answerer_;
  QMessageBox::StandardButton answer_ = QMessageBox::No;
};

TEST_F(MainWindowTest, EmptyListOffersOnlyPermanentAndFileAddingCommandsAndEscapeIsForgottenWhenIdle) {
  EXPECT_FALSE(window_->ListShown());
  EXPECT_TRUE(window_->EmptyListHelp()->isVisible());
  EXPECT_EQ(Menus(), (std::vector<std::string>{"Files", "?"}));
  for (const commands::WindowAction& action : window_->Session().Commands().actions) {
    const bool wanted = action.category == commands::kPermanent || action.category == commands::kVide;
    // Paste waits for files on the clipboard, which holds none.
    EXPECT_EQ(Offered(action.name), wanted && action.name != "afCollerFichiers") << action.name;
  }

  Key(Qt::Key_Escape);
  EXPECT_TRUE(window_->Session().Context().flags.AbortCommand);
  FallIdle();
  EXPECT_FALSE(window_->Session().Context().flags.AbortCommand);
  EXPECT_EQ(test::Named<QLabel>(*window_, "StatusBar1")->text(), "Ready");
}

TEST_F(MainWindowTest, DroppedClipsShowTheListAndF6HidesAndShowsItAgain) {
  const std::string first = Clip("a.avi");
  const std::string second = Clip("b.avi");
  Drop({first, second, (work_ / "notes.txt").string()});
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.avi", "b.avi"}));
  EXPECT_TRUE(window_->ListShown());
  EXPECT_FALSE(window_->EmptyListHelp()->isVisible());
  EXPECT_TRUE(test::Named<QLabel>(*window_, "labFichiers")->text().startsWith(QStringLiteral("1 file of 2"))) << test::Named<QLabel>(*window_, "labFichiers")->text().toStdString();
  EXPECT_TRUE(Offered("afSelectionnerTout"));
  EXPECT_TRUE(Offered("amRenameScAn"));
  EXPECT_EQ(Menus(), (std::vector<std::string>{"Files", "Video", "Rename", "Convert", "Scenes", "?"}));

  const int shownWidth = window_->width();
  QAction* toggle = window_->Action("afBasculerListe");
  Key(Qt::Key_F6);
  EXPECT_FALSE(window_->ListShown());
  EXPECT_EQ(toggle->text(), "Show the list");
  EXPECT_FALSE(Offered("afSelectionnerTout"));
  Key(Qt::Key_F6);
  EXPECT_EQ(window_->width(), shownWidth);
  EXPECT_EQ(toggle->text(), "Hide the list");
  EXPECT_TRUE(Offered("afSelectionnerTout"));
}

// One clip copied under six names in folders whose order is another than
// the names': sorting by size (then by path) and back by name reorders
// every row at once, and the highlighted rows and the current one stay on
// the same files.
TEST_F(MainWindowTest, SortingKeepsTheHighlightedFilesAndTheCurrentOne) {
  const std::vector<std::pair<const char*, const char*>> placed = {
      {"d", "a.avi"}, {"f", "b.avi"}, {"b", "c.avi"}, {"e", "d.avi"}, {"a", "e.avi"}, {"c", "f.avi"}};
  std::vector<std::string> files;
  for (const auto& [folder, name] : placed) files.push_back(Clip(std::string(folder) + "/" + name));
  Drop(files);
  ASSERT_EQ(Rows(), (std::vector<std::string>{"a.avi", "b.avi", "c.avi", "d.avi", "e.avi", "f.avi"}));
  ClickRow(1);
  ClickRow(2, Qt::ControlModifier);
  ClickRow(4, Qt::ControlModifier);
  const auto highlighted = [this] {
    QListView* control = test::Named<QListView>(*window_, "lb");
    std::vector<std::string> names;
    for (int row = 0; row < control->model()->rowCount(); ++row)
      if (control->selectionModel()->isRowSelected(row)) names.push_back(Rows()[static_cast<std::size_t>(row)]);
    return names;
  };
  const auto current = [this] {
    return test::Named<QListView>(*window_, "lb")->selectionModel()->currentIndex().data().toString().toStdString();
  };
  ASSERT_EQ(highlighted(), (std::vector<std::string>{"b.avi", "c.avi", "e.avi"}));
  ASSERT_EQ(current(), "e.avi");

  window_->Action("alTriTaille")->trigger();
  QTest::qWait(10);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"e.avi", "c.avi", "f.avi", "a.avi", "d.avi", "b.avi"}));
  EXPECT_EQ(highlighted(), (std::vector<std::string>{"e.avi", "c.avi", "b.avi"}));
  EXPECT_EQ(current(), "e.avi");
  EXPECT_EQ(test::Named<TBaseFrame>(*window_, "BaseFrame")->LabNom->text(), "e.avi");
  EXPECT_TRUE(Caption().startsWith(QStringLiteral("3 files of 6 - sorted by filesize"))) << Caption().toStdString();
  ExpectSelectionShown();

  // The selection keeps following clicks after the reorder.
  ClickRow(3, Qt::ControlModifier);
  EXPECT_EQ(highlighted(), (std::vector<std::string>{"e.avi", "c.avi", "a.avi", "b.avi"}));
  window_->Action("afOrdreAlpha")->trigger();
  QTest::qWait(10);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.avi", "b.avi", "c.avi", "d.avi", "e.avi", "f.avi"}));
  EXPECT_EQ(highlighted(), (std::vector<std::string>{"a.avi", "b.avi", "c.avi", "e.avi"}));
  EXPECT_EQ(current(), "a.avi");
  ExpectSelectionShown();
  window_->Action("afSelectionnerTout")->trigger();
  QTest::qWait(10);
  EXPECT_EQ(highlighted().size(), 6u);
  ExpectSelectionShown();
}

TEST_F(MainWindowTest, AboutWhileSettingsAreShownClosesSettings) {
  Key(Qt::Key_F10);
  EXPECT_TRUE(test::Named<QWidget>(*window_, "OptionsFrame1")->isVisible());
  EXPECT_TRUE(window_->Action("afOptions")->isChecked());
  EXPECT_EQ(window_->width(), 592);
  EXPECT_TRUE(Menus().empty());
  Key(Qt::Key_F1);
  EXPECT_FALSE(test::Named<QWidget>(*window_, "OptionsFrame1")->isVisible());
  EXPECT_FALSE(window_->Action("afOptions")->isChecked());
  EXPECT_TRUE(test::Named<QWidget>(*window_, "AproposFrame2")->isVisible());
  EXPECT_TRUE(window_->Action("afApropos")->isChecked());
  EXPECT_EQ(window_->width(), 324);
  Key(Qt::Key_F1);
  EXPECT_FALSE(test::Named<QWidget>(*window_, "AproposFrame2")->isVisible());
  EXPECT_EQ(window_->width(), 288);
  EXPECT_EQ(Menus(), (std::vector<std::string>{"Files", "?"}));
}

TEST_F(MainWindowTest, PastedFilesAreListedAndTheFullFilenameIsCopiedAsItIs) {
  const std::string mixed = Clip("Camera Roll/Clip.AVI");
  const std::string other = Clip("Camera Roll/b.avi");
  auto* copied = new QMimeData;
  copied->setData(QStringLiteral("x-special/gnome-copied-files"),
                  ("copy\n" + QUrl::fromLocalFile(QString::fromStdString(mixed)).toEncoded().toStdString() + "\n" +
                   QUrl::fromLocalFile(QString::fromStdString(other)).toEncoded().toStdString())
                      .c_str());
  QApplication::clipboard()->setMimeData(copied);
  QTest::qWait(10);
  ASSERT_TRUE(Offered("afCollerFichiers"));
  Key(Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(Rows().size(), 2u);

  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(window_->Session().List().SelectedCount(), 2);
  test::Named<QListView>(*window_, "lb")->setCurrentIndex(test::Named<QListView>(*window_, "lb")->model()->index(1, 0));
  QAction* copyName = test::Named<QMenu>(*window_, "CopyPopup")->actions().back();
  ASSERT_EQ(copyName->text(), "Copy the full filename");
  copyName->trigger();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), window_->Session().List().Entry(1).record->fullName);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), fs::path(mixed).lexically_normal().string());

  // Plain text is no list of files: Paste is not offered.
  QApplication::clipboard()->setText(QStringLiteral("Clip.AVI"));
  QTest::qWait(10);
  EXPECT_FALSE(Offered("afCollerFichiers"));
}

TEST_F(MainWindowTest, RenameFromTheMenuRenamesTheFileAndItsRow) {
  const std::string clip = Clip("holiday.avi");
  Drop({clip});
  ASSERT_EQ(Rows(), (std::vector<std::string>{"holiday.avi"}));

  QMenu* renameMenu = nullptr;
  for (QAction* top : window_->menuBar()->actions())
    if (top->text() == "Rename") renameMenu = top->menu();
  ASSERT_NE(renameMenu, nullptr);
  QAction* rename = nullptr;
  for (QAction* item : renameMenu->actions())
    if (item->text() == "Rename") rename = item;
  ASSERT_NE(rename, nullptr);
  ASSERT_TRUE(rename->isEnabled());
  AnswerQuestions(QMessageBox::Yes);
  rename->trigger();

  const fs::path renamed = work_ / "ClipDV_20050814_03.02.11_pm.avi";
  EXPECT_TRUE(fs::exists(renamed));
  EXPECT_FALSE(fs::exists(clip));
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_NE(questions_[0].find("ClipDV_20050814_03.02.11_pm.avi"), std::string::npos) << questions_[0];
  EXPECT_EQ(Rows(), (std::vector<std::string>{"ClipDV_20050814_03.02.11_pm.avi"}));
}

// Two clips whose every frame has its own datecode (the clock jumps 7 s at
// each frame): the window's player shows the current one, a step from the
// window's actions moves it, and a command that rewrites the file makes
// the player let go of it and open it again.
TEST_F(MainWindowTest, ThePlayerShowsTheCurrentClipFollowsTheWindowsStepsAndLetsGoForCommands) {
  const auto clip = [this](const char* name, int year) {
    samples::DvClipSpec spec;
    spec.frames = 60;
    spec.start = {year, 6, 1, 10, 0, 0};
    for (int k = 1; k < spec.frames; ++k) spec.jumps.push_back({k, 7});
    samples::WriteDvClip(work_ / name, spec);
    return spec;
  };
  const samples::DvClipSpec first = clip("first.avi", 2004);
  const samples::DvClipSpec second = clip("second.avi", 2006);
  const auto datecode = [](const samples::DvClipSpec& spec, int frame) {
    const media::TDatecode dc = samples::DatecodeOfFrame(spec, frame);
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", dc.day, dc.month, dc.year, dc.hour, dc.minute,
                  dc.second);
    return std::string(text);
  };
  window_->Session().SetDisplayDatecodeFormat("dd/mm/yyyy hh:nn:ss");
  Drop({(work_ / "first.avi").string(), (work_ / "second.avi").string()});
  ASSERT_EQ(Rows(), (std::vector<std::string>{"first.avi", "second.avi"}));

  const TBaseFrame* player = test::Named<TBaseFrame>(*window_, "BaseFrame");
  const auto shown = [player] {
    return std::pair{player->labTimeStamp->text().toStdString(), player->labDatecode->text().toStdString()};
  };
  EXPECT_EQ(player->LabNom->text(), "first.avi");
  EXPECT_FALSE(player->vw->Picture().isNull());
  EXPECT_EQ(shown(), std::pair(std::string("0:00:00:00"), datecode(first, 0)));
  window_->Action("avanceMedium")->trigger();  // one second
  EXPECT_EQ(shown(), std::pair(std::string("0:00:01:00"), datecode(first, 25)));
  window_->Action("reculeLow")->trigger();  // one frame back
  EXPECT_EQ(shown(), std::pair(std::string("0:00:00:24"), datecode(first, 24)));

  // The second row alone, as a plain click makes it: a modifier key an
  // earlier test's key clicks left down would otherwise keep the first row
  // selected too, and the command below would ask about both.
  test::Named<QListView>(*window_, "lb")->selectionModel()->setCurrentIndex(test::Named<QListView>(*window_, "lb")->model()->index(1, 0),
                                                            QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(player->LabNom->text(), "second.avi");
  EXPECT_EQ(shown(), std::pair(std::string("0:00:00:00"), datecode(second, 0)));
  window_->Action("avAvanceFin")->trigger();
  EXPECT_EQ(shown(), std::pair(std::string("0:00:02:09"), datecode(second, 59)));

  // Setting the file's date from its datecode writes the file: the player
  // says so while the file is let go, and shows the file again after.
  std::vector<std::string> messages;
  const QMetaObject::Connection watch = QObject::connect(player->reBaseFrame, &QTextEdit::textChanged,
                   [&] { messages.push_back(player->reBaseFrame->toPlainText().toStdString()); });
  const auto before = fs::last_write_time(work_ / "second.avi");
  AnswerQuestions(QMessageBox::Yes);
  window_->Action("amFileDate")->trigger();
  QObject::disconnect(watch);
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_NE(questions_[0].find("'second.avi'"), std::string::npos) << questions_[0];
  EXPECT_NE(fs::last_write_time(work_ / "second.avi"), before);
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.front().find("Video temporarily interrupted"), std::string::npos) << messages.front();
  EXPECT_FALSE(player->FailureStage().has_value());
  EXPECT_FALSE(player->reBaseFrame->isVisible());
  EXPECT_TRUE(player->vw->isVisible());
  EXPECT_EQ(shown(), std::pair(std::string("0:00:00:00"), datecode(second, 0)));
}

// Ctrl+Q is both Quit's second key and the key of "Shorten the name": it
// quits, and no file is renamed on the way out.
TEST_F(MainWindowTest, CtrlQQuitsAndRenamesNothing) {
  const std::string clip = Clip("holiday_2005.08.14_03.02.11_pm.avi");
  Drop({clip});
  ASSERT_TRUE(Offered("amPurgerNom"));
  Key(Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(questions_.empty());
  EXPECT_TRUE(fs::exists(clip));
}


// What the list control highlights is the selection the caption counts,
// the information panel shows and commands act on, whatever changed it:
// files selected as they come in, a menu closed with Escape, clicks with
// and without Ctrl, emptying the list and filling it again.
TEST_F(MainWindowTest, TheHighlightedRowsAreTheSelectionCommandsActOn) {
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) Clip(std::string("preferred/") + name);
  window_.reset();
  Store([this](settings::Preferences& p) {
    p.selectOnOpen = true;
    p.autoOpenFolder = (work_ / "preferred").string();
  });
  Open();
  const auto loadPreferred = [this] {
    Key(Qt::Key_F7);
    ASSERT_EQ(Rows(), (std::vector<std::string>{"a.avi", "b.avi", "c.avi"}));
    EXPECT_TRUE(Caption().startsWith(QStringLiteral("3 files of 3"))) << Caption().toStdString();
    EXPECT_EQ(test::Named<TBaseFrame>(*window_, "BaseFrame")->LabNom->text(), "a.avi");
  };
  loadPreferred();

  QMenu* files = window_->menuBar()->actions().front()->menu();
  files->popup(window_->mapToGlobal(QPoint(10, 10)));
  QTest::qWait(10);
  QTest::keyClick(files, Qt::Key_Escape);
  FallIdle();
  ExpectSelectionShown();
  EXPECT_TRUE(Caption().startsWith(QStringLiteral("3 files of 3"))) << Caption().toStdString();

  // The focused row stays selected: a Ctrl+click cannot take it out.
  ClickRow(0, Qt::ControlModifier);
  EXPECT_TRUE(Caption().startsWith(QStringLiteral("3 files of 3"))) << Caption().toStdString();
  ClickRow(1);
  EXPECT_TRUE(Caption().startsWith(QStringLiteral("1 file of 3"))) << Caption().toStdString();
  ClickRow(2, Qt::ControlModifier);
  EXPECT_TRUE(Caption().startsWith(QStringLiteral("2 files of 3"))) << Caption().toStdString();
  EXPECT_EQ(test::Named<TBaseFrame>(*window_, "BaseFrame")->LabNom->text(), "c.avi");
  Key(Qt::Key_Delete);  // "Remove the file": the two highlighted ones
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.avi"}));

  Key(Qt::Key_Delete, Qt::ControlModifier);  // hidden with one file: nothing
  window_->Action("afOuvrirDossierPrefere")->trigger();
  ExpectSelectionShown();
  ASSERT_EQ(Rows().size(), 3u);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_TRUE(Rows().empty());
  loadPreferred();
}

// The picture has the video menu, the empty-list help the window's one
// (not its text box's Copy and Select All), and the video menu is the way
// to the inlay position sliders.
TEST_F(MainWindowTest, RightClicksOpenTheVideoMenuOnThePictureAndTheWindowMenuOnTheHelp) {
  const auto menuAt = [](QWidget* widget) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), widget->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(widget, &event);
    QTest::qWait(10);
    std::vector<std::string> items;
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return items;
    for (const QAction* item : menu->actions())
      if (item->isVisible() && !item->isSeparator()) items.push_back(item->text().trimmed().toStdString());
    menu->close();
    return items;
  };
  auto* help = window_->EmptyListHelp()->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(menuAt(help->viewport()),
            (std::vector<std::string>{"Open...", "Paste", "Open the preferred folder", "Settings", "About...", "Quit"}));

  Drop({Clip("a.avi")});
  EXPECT_EQ(menuAt(test::Named<TBaseFrame>(*window_, "BaseFrame")->vw), (std::vector<std::string>{"Play", "Sound off", "Display the datecode",
                                                                     "Modify the position of inlay", "Fullscreen"}));
  auto* video = window_->findChild<QMenu*>(QStringLiteral("VideoPopup"));
  ASSERT_NE(video, nullptr);
  EXPECT_FALSE(test::Named<TBaseFrame>(*window_, "BaseFrame")->incrustHorz->isVisible());
  video->actions().at(3)->trigger();
  EXPECT_TRUE(test::Named<TBaseFrame>(*window_, "BaseFrame")->incrustHorz->isVisible());
  EXPECT_TRUE(window_->Session().Preferences().values().inlayOn);
}

// The window opens where it was closed, unless that place is on no
// screen any more; then it is centred.
TEST_F(MainWindowTest, TheWindowReturnsWhereItWasLeftWhileThatIsOnAScreen) {
  window_->move(120, 80);
  window_->close();
  EXPECT_EQ(Stored().left, 120);
  EXPECT_EQ(Stored().top, 80);
  window_.reset();
  Open();
  EXPECT_EQ(window_->pos(), QPoint(120, 80));

  window_.reset();
  Store([](settings::Preferences& p) {
    p.left = 5000;
    p.top = -3000;
  });
  Open();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(window_->frameGeometry())) << window_->x() << "," << window_->y();
  EXPECT_EQ(window_->x(), screen.left() + (screen.width() - window_->width()) / 2);
}

// A fixed window: no maximise button, the same size whatever is asked,
// and no band between the client area and the status bar.
TEST_F(MainWindowTest, TheWindowHasAFixedSizeAndOnlyMinimise) {
  for (const bool shown : {false, true}) {
    if (shown) Drop({Clip("a.avi"), Clip("b.avi")});
    EXPECT_EQ(window_->ListShown(), shown);
    EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
    window_->resize(window_->width() + 50, window_->height() + 80);
    QTest::qWait(10);
    EXPECT_EQ(window_->size(), window_->minimumSize());
    const QWidget* client = window_->centralWidget();
    EXPECT_EQ(client->geometry().bottom() + 1, window_->statusBar()->geometry().top());
    EXPECT_EQ(window_->menuBar()->geometry().bottom() + 1, client->geometry().top());
  }
  EXPECT_FALSE(window_->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(window_->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

// Ctrl+M and F12 show their state in image, caption and hint; F12 acts
// only on DV the overlay can read, and without the overlay filters it is
// neither offered nor listed.
TEST_F(MainWindowTest, TogglesShowTheirStateAndTheDatecodeOverlayOnlyWhereItApplies) {
  const fs::path mjpeg = work_ / "mjpeg.avi";
  fs::copy_file(test::StandardSample("mjpeg_not_dv.avi"), mjpeg);
  Drop({Clip("dv.avi"), mjpeg.string()});
  ASSERT_EQ(Rows(), (std::vector<std::string>{"dv.avi", "mjpeg.avi"}));
  const auto image = [](const QIcon& icon) { return icon.pixmap(25, 25).toImage(); };
  QAction* mute = window_->Action("avMute");
  QAction* datecode = window_->Action("amAfficherDatecode");
  const settings::Preferences& values = window_->Session().Preferences().values();

  EXPECT_EQ(image(mute->icon()), image(SoundIcon(false)));
  Key(Qt::Key_M, Qt::ControlModifier);
  EXPECT_TRUE(values.muteOn);
  EXPECT_EQ(image(mute->icon()), image(SoundIcon(true)));
  EXPECT_NE(image(SoundIcon(true)), image(SoundIcon(false)));
  EXPECT_EQ(mute->toolTip(), "Sound is Off.\nClick to turn the sound On.");

  ASSERT_TRUE(Offered("amAfficherDatecode"));
  EXPECT_EQ(image(datecode->icon()), image(DatecodeIcon(false)));
  Key(Qt::Key_F12);
  EXPECT_TRUE(values.inlayOn);
  EXPECT_EQ(datecode->text(), "Hide the datecode");
  EXPECT_EQ(datecode->toolTip(), "Hide the datecode");
  EXPECT_EQ(image(datecode->icon()), image(DatecodeIcon(true)));
  EXPECT_NE(image(DatecodeIcon(true)), image(DatecodeIcon(false)));
  Key(Qt::Key_F12);
  EXPECT_FALSE(values.inlayOn);
  EXPECT_EQ(datecode->text(), "Display the datecode");

  ClickRow(1);
  EXPECT_TRUE(datecode->isVisible());
  EXPECT_FALSE(datecode->isEnabled());
  Key(Qt::Key_F12);
  EXPECT_FALSE(values.inlayOn);

  window_.reset();
  Open({}, "Marovec Layrin3;Marovec Calenox2;Marovec Dixmark;Marovec Horolan");
  Drop({(work_ / "dv.avi").string()});
  datecode = window_->Action("amAfficherDatecode");
  EXPECT_FALSE(datecode->isVisible());
  EXPECT_FALSE(window_->Action("amAfficherSliders")->isVisible());
  EXPECT_LT(window_->Session().Commands().actions.Find("amAfficherDatecode")->Tag, 0);
  Key(Qt::Key_F12);
  EXPECT_FALSE(window_->Session().Preferences().values().inlayOn);
}

// The folder dialog's own title; the status text, the file name and the
// Quit image kept inside the window; "Open with" named as soon as the
// frame grabber is chosen; a listed file gone from the disk, converted,
// told in the status bar and left listed.
TEST_F(MainWindowTest, SmallerPointsOfTheWindow) {
  Key(Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(dialogTitles_, (std::vector<std::string>{"Select the folder containing the AVI files to open"}));

  const std::string longName(120, 'n');
  const std::string gone = Clip(longName + ".avi");
  Drop({gone, Clip("b.avi")});
  ClickRow(1);
  const QLabel* name = test::Named<TBaseFrame>(*window_, "BaseFrame")->LabNom;
  EXPECT_TRUE(name->text().contains(QChar(0x2026))) << name->text().toStdString();
  EXPECT_LE(name->fontMetrics().horizontalAdvance(name->text()), name->parentWidget()->width());
  EXPECT_GE(name->font().pixelSize(), 10);

  const std::string folder = "/" + std::string(40, 'f') + "/" + std::string(40, 'g') + "/last";
  window_->SetStatusText("Browsing " + folder);
  const QLabel* status = test::Named<QLabel>(*window_, "StatusBar1");
  EXPECT_TRUE(status->text().startsWith(QStringLiteral("Browsing /"))) << status->text().toStdString();
  EXPECT_TRUE(status->text().endsWith(QStringLiteral("/last"))) << status->text().toStdString();
  EXPECT_LE(status->fontMetrics().horizontalAdvance(status->text()), status->width());

  auto* bar = window_->findChild<QToolBar*>(QStringLiteral("ToolBar2"));
  const QWidget* quit = bar->widgetForAction(window_->Action("afQuitter"));
  EXPECT_LT(quit->mapTo(window_.get(), QPoint(quit->width(), 0)).x(), window_->width());

  const fs::path grabber = work_ / "grabber.sh";
  { std::ofstream(grabber) << "#!/bin/sh\n"; }
  auto* field = window_->findChild<QLineEdit*>(QStringLiteral("feFichierPictrel"));
  ASSERT_NE(field, nullptr);
  field->setText(QString::fromStdString(grabber.string()));
  Q_EMIT field->editingFinished();
  window_->update();
  QTest::qWait(10);
  EXPECT_EQ(window_->Action("afPictrel")->text(), "Open with grabber");

  fs::remove(gone);
  ClickRow(1);
  window_->Action("amDVType1")->trigger();
  EXPECT_TRUE(questions_.empty());  // no error box
  FallIdle();
  EXPECT_TRUE(status->toolTip().contains(QString::fromStdString(longName)) ||
              status->text().contains(QStringLiteral("No such file")))
      << status->text().toStdString();
  EXPECT_NE(status->text(), "Ready");
  EXPECT_EQ(Rows().size(), 2u);
}

}  // namespace
}  // namespace korvid::ui
