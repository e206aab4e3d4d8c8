// The Settings panel in the real window on the offscreen platform, driven
// by keys and clicks, checked by what it stores, what the list and the
// player show and the desktop entries on disk.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "commands/send_to_entries.h"
#include "support/sample_set.h"
#include "support/test_env.h"
#include "ui/main_window.h"
#include "ui/player_frame.h"
#include "widget_app.h"
#include "resources/program_files.h"

namespace korvid::ui {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class OptionsFrameTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(); }

  void Open() {
    window_.reset();
    window_ = std::make_unique<TUIForm>(
        WindowSetup{Store(), home_.path().string(), "", {}, (home_ / "data").string()});
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QTest::qWait(20);
  }

  settings::StoreLocation Store() const { return settings::StoreLocation{home_ / ".config"}; }
  settings::Preferences Stored() const {
    return settings::LoadPreferences(Store(), {.documentsFolder = home_.path().string()});
  }

  template <class Widget>
  Widget* Control(const char* name) const {
    auto* widget = test::Named<QWidget>(*window_, "OptionsFrame1")->findChild<Widget*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // Types `text` over what the field holds and ends the edit.
  static void TypeInto(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }

  void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2)); }

  void Drop(const fs::path& file) {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    delete data;
    QTest::qWait(20);
  }

  fs::path OpenWith() const { return commands::OpenWithEntryPath(home_ / "data"); }
  fs::path SendTo() const { return commands::SendToEntryPath(home_ / "data"); }

  test::TempDir home_;
  test::TempDir work_;
  std::unique_ptr<TUIForm> window_;
};

TEST_F(OptionsFrameTest, FieldsAndBoxesStoreWhatTheUserSetsWithinTheirBounds) {
  QAction* playStop = window_->Action("avPlayStop");
  const QKeySequence playKey = playStop->shortcut();
  ASSERT_FALSE(playKey.isEmpty());
  QTest::keyClick(window_->windowHandle(), Qt::Key_F10);
  QTest::qWait(10);
  ASSERT_TRUE(test::Named<QWidget>(*window_, "OptionsFrame1")->isVisible());
  // Keys typed into the fields must not start the player.
  EXPECT_TRUE(playStop->shortcut().isEmpty());

  auto* same = Control<QCheckBox>("cbsameFolder");
  auto* output = Control<QLineEdit>("edDossierSave");
  if (!same->isChecked()) Click(same);
  ASSERT_TRUE(same->isChecked());
  EXPECT_FALSE(output->isEnabled());
  Click(same);
  EXPECT_FALSE(same->isChecked());
  EXPECT_TRUE(output->isEnabled());
  TypeInto(output, QString::fromStdString((work_ / "out").string()));
  EXPECT_EQ(output->text().toStdString(), (work_ / "out").string() + "/");

  auto* automatic = Control<QCheckBox>("cbAutoIncrust");
  auto* duration = Control<QLineEdit>("edDureeIncrust");
  if (automatic->isChecked()) Click(automatic);
  EXPECT_FALSE(duration->isEnabled());
  Click(automatic);
  ASSERT_TRUE(duration->isEnabled());
  TypeInto(duration, QStringLiteral("12"));
  EXPECT_EQ(window_->Session().Preferences().values().inlayDurationSeconds, 12);
  TypeInto(duration, QStringLiteral("abc"));
  EXPECT_EQ(duration->text(), QStringLiteral("5"));

  auto* offset = Control<QSpinBox>("RxSpinEdit1");
  TypeInto(offset, QStringLiteral("99"));
  EXPECT_LE(offset->value(), 23);
  TypeInto(offset, QStringLiteral("-21"));
  EXPECT_EQ(offset->value(), -21);
  for (int i = 0; i < 5; ++i) QTest::keyClick(offset, Qt::Key_Down);
  EXPECT_EQ(offset->value(), -23);
  auto* quality = Control<QSpinBox>("seMp4Quality");
  TypeInto(quality, QStringLiteral("77"));
  EXPECT_LE(quality->value(), 51);
  TypeInto(quality, QStringLiteral("18"));
  auto* locked = Control<QCheckBox>("cbSoundLocked");
  auto* four = Control<QCheckBox>("cbFourChannels");
  EXPECT_FALSE(locked->isChecked());  // the WAV as recorded unless asked
  EXPECT_FALSE(four->isChecked());
  Click(locked);
  Click(four);

  Click(Control<QPushButton>("SpeedButton1"));
  const settings::Preferences stored = Stored();
  EXPECT_FALSE(stored.saveInSameFolder);
  EXPECT_EQ(stored.outputFolder, (work_ / "out").string() + "/");
  EXPECT_TRUE(stored.automaticInlay);
  EXPECT_EQ(stored.inlayDurationSeconds, 5);
  EXPECT_EQ(stored.clockOffsetHours, -23);
  EXPECT_EQ(stored.mp4Quality, 18);
  EXPECT_TRUE(stored.soundLocked);
  EXPECT_TRUE(stored.fourChannels);

  QTest::keyClick(window_->windowHandle(), Qt::Key_F10);
  QTest::qWait(10);
  EXPECT_FALSE(test::Named<QWidget>(*window_, "OptionsFrame1")->isVisible());
  EXPECT_EQ(playStop->shortcut(), playKey);
}

TEST_F(OptionsFrameTest, ANewDisplayFormatShowsInTheListAndThePlayerAtOnce) {
  Drop(test::CopyStandardSample("pal_type2.avi", work_.path()));
  const list::VideoList& list = window_->Session().List();
  ASSERT_EQ(list.Count(), 1);
  ASSERT_TRUE(list.Entry(0).record->datecode.has_value());
  QTest::keyClick(window_->windowHandle(), Qt::Key_F10);
  QTest::qWait(10);
  TypeInto(Control<QLineEdit>("edAfficher"), QStringLiteral("'on' yyyy 'at' hh.nn"));
  const std::string text = list.Entry(0).record->datecodeText;
  EXPECT_EQ(text.rfind("on ", 0), 0u) << text;
  EXPECT_NE(text.find(" at "), std::string::npos) << text;
  EXPECT_EQ(test::Named<TBaseFrame>(*window_, "BaseFrame")->labDatecode->text().toStdString(), text);
}

TEST_F(OptionsFrameTest, SendToEntriesFollowTheBoxAndEveryStart) {
  // A first start offers Korvid to the file managers.
  ASSERT_TRUE(fs::exists(OpenWith()));
  ASSERT_TRUE(fs::exists(SendTo()));
  const std::string entry = Contents(OpenWith());
  EXPECT_NE(entry.find("\nExec=\"" + resources::FrontProgram().string() + "\" %F\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nMimeType=video/x-msvideo;video/avi;video/msvideo;\n"), std::string::npos) << entry;
  EXPECT_EQ(Contents(SendTo()), entry);

  QTest::keyClick(window_->windowHandle(), Qt::Key_F10);
  QTest::qWait(10);
  auto* box = Control<QCheckBox>("cbSendTo");
  ASSERT_TRUE(box->isChecked());
  Click(box);
  EXPECT_FALSE(fs::exists(OpenWith()));
  EXPECT_FALSE(fs::exists(SendTo()));
  Click(box);
  EXPECT_TRUE(fs::exists(OpenWith()));
  EXPECT_TRUE(fs::exists(SendTo()));

  // Saved off, a leftover entry goes at the next start.
  Click(box);
  Click(Control<QPushButton>("SpeedButton1"));
  std::ofstream(SendTo()) << entry;
  Open();
  EXPECT_FALSE(fs::exists(SendTo()));
  EXPECT_FALSE(Control<QCheckBox>("cbSendTo")->isChecked());
  // The folders made for the entries stay; nothing else of the data folder is touched.
  EXPECT_TRUE(fs::is_directory(SendTo().parent_path()));
}

}  // namespace
}  // namespace korvid::ui
