// The real main window on the offscreen platform, driven by keys, menus,
// drops and the clipboard, checked by what a person sees: captions,
// enabled commands, list rows, the clipboard and the files on disk.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTextEdit>
#include <QUrl>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "commands/window_actions.h"
#include "sample_clip.h"
#include "support/sample_set.h"
#include "support/test_env.h"
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

  void Open(std::vector<std::string> parameters = {}) {
    window_ = std::make_unique<TUIForm>(WindowSetup{settings::StoreLocation{home_ / ".config"},
                                                    home_.path().string(), "", std::move(parameters)});
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QTest::qWait(20);
  }

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
    const QAbstractItemModel* model = window_->ListControl()->model();
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
  }

  test::TempDir home_;
  test::TempDir work_;
  std::unique_ptr<TUIForm> window_;
  std::vector<std::string> questions_;
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
  EXPECT_EQ(window_->StatusText()->text(), "Ready");
}

TEST_F(MainWindowTest, DroppedClipsShowTheListAndF6HidesAndShowsItAgain) {
  const std::string first = Clip("a.avi");
  const std::string second = Clip("b.avi");
  Drop({first, second, (work_ / "notes.txt").string()});
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.avi", "b.avi"}));
  EXPECT_TRUE(window_->ListShown());
  EXPECT_FALSE(window_->EmptyListHelp()->isVisible());
  EXPECT_TRUE(window_->ListCaption()->text().startsWith(QStringLiteral("1 file of 2"))) << window_->ListCaption()->text().toStdString();
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

TEST_F(MainWindowTest, AboutWhileSettingsAreShownClosesSettings) {
  Key(Qt::Key_F10);
  EXPECT_TRUE(window_->SettingsPanel()->isVisible());
  EXPECT_TRUE(window_->Action("afOptions")->isChecked());
  EXPECT_EQ(window_->width(), 592);
  EXPECT_TRUE(Menus().empty());
  Key(Qt::Key_F1);
  EXPECT_FALSE(window_->SettingsPanel()->isVisible());
  EXPECT_FALSE(window_->Action("afOptions")->isChecked());
  EXPECT_TRUE(window_->AboutPanel()->isVisible());
  EXPECT_TRUE(window_->Action("afApropos")->isChecked());
  EXPECT_EQ(window_->width(), 324);
  Key(Qt::Key_F1);
  EXPECT_FALSE(window_->AboutPanel()->isVisible());
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
  window_->ListControl()->setCurrentIndex(window_->ListControl()->model()->index(1, 0));
  QAction* copyName = window_->CopyActions().back();
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

  const TBaseFrame* player = window_->Player();
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
  window_->ListControl()->selectionModel()->setCurrentIndex(window_->ListControl()->model()->index(1, 0),
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

}  // namespace
}  // namespace korvid::ui
