#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

#include "commands/header_fix_commands.h"
#include "media/avi_stream_locator.h"
#include "media/le_bytes.h"
#include "media/video_record.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"
#include "ui/codec_form.h"
#include "ui/frame_rate_form.h"
#include "widget_app.h"

namespace korvid::ui {
namespace {

using commands::CodecChoiceState;
using commands::FrameRateChoiceState;

// What the dialog showed when it came on screen.
struct Opened {
  int item = -1;
  QString editText;
  bool editEnabled = false;
  bool editFocused = false;
};

Opened Snapshot(const ChoiceDialog& dialog) {
  return {dialog.CheckedItem(), dialog.Edit()->text(), dialog.Edit()->isEnabled(),
          dialog.focusWidget() == dialog.Edit()};
}

// The real dialog, with the modal loop replaced by a scripted user who
// works the widgets while the dialog is on screen.
template <typename Form>
class UserAt : public Form {
 public:
  std::function<void(Form&)> user = [](Form& form) { form.OkButton()->click(); };
  std::vector<Opened> opened;

  int exec() override {
    this->setResult(QDialog::Rejected);
    this->show();
    opened.push_back(Snapshot(*this));
    user(*this);
    this->hide();
    return this->result();
  }
};

void PressEscape(QWidget& widget) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&widget, &press);
}

class DialogTest : public ::testing::Test {
 protected:
  test::ScriptedHost host;
  UserAt<TFrequenceForm> rateForm;
  UserAt<TCodecForm> codecForm;
  FrameRateChoiceState rateState;
  CodecChoiceState codecState;
  commands::HeaderFixServices Services() { return {host, rateForm, codecForm, rateState, codecState}; }
};

media::TAfficherFichier Entry(const std::filesystem::path& path, double fps, const std::string& codec) {
  media::TAfficherFichier entry;
  entry.fullName = path.string();
  entry.name = path.filename().string();
  entry.fps = fps;
  entry.codec = codec;
  entry.dvType = 2;
  entry.isDV = true;
  return entry;
}

QStringList ItemTexts(const ChoiceDialog& dialog) {
  QStringList texts;
  for (int i = 0; i < dialog.ItemCount(); ++i) texts << dialog.Item(i)->text();
  return texts;
}

TEST_F(DialogTest, FrameRateDialogTexts) {
  const TFrequenceForm& form = rateForm;
  EXPECT_EQ(form.windowTitle(), "Fix the framerate");
  EXPECT_EQ(form.Prompt()->text(),
            "Indicate the framerate in frames per seconds.\nThe audio frequency remains inchanged.");
  EXPECT_EQ(ItemTexts(form),
            QStringList({"25 frames/sec (Pal)", "29.97 frames/sec (NTSC)", "personalized"}));
  EXPECT_EQ(form.EditLabel()->text(), "Personalized frequency");
  EXPECT_EQ(form.EditLabel()->buddy(), form.Edit());
  EXPECT_EQ(form.Edit()->toolTip(), "Indicate the framerate by a decimal number\n(using your local representation).");
  EXPECT_EQ(form.Unit()->text(), "frames/sec");
  EXPECT_EQ(form.OkButton()->toolTip(), "Apply the new framerate.");
  EXPECT_EQ(form.CancelButton()->text(), "Cancel");
  EXPECT_EQ(form.CancelButton()->toolTip(),
            "Cancel the command \"Fix the framerate\" \nwithout applying the modification.");
  EXPECT_EQ(form.Group()->objectName(), "rgFreq");
  EXPECT_TRUE(form.isModal());
}

TEST_F(DialogTest, CodecDialogTexts) {
  const TCodecForm& form = codecForm;
  EXPECT_EQ(form.windowTitle(), "Chnage the video codec");
  EXPECT_EQ(form.Prompt()->text(), "Choose the codec");
  EXPECT_EQ(ItemTexts(form), QStringList({"dvsd (Microsoft)", "dsvd", "CDVC (Canopus)", "personalized"}));
  EXPECT_EQ(form.EditLabel()->text(), "Personalized Codec");
  EXPECT_EQ(form.Unit()->text(), "(4 characters)");
  EXPECT_EQ(form.CancelButton()->text(), "Cancel");
  EXPECT_EQ(form.Group()->objectName(), "rgCodec");
  EXPECT_TRUE(form.isModal());
}

TEST_F(DialogTest, FrameRateDialogOpensOnTheFilesRateTheFirstTime) {
  struct Case {
    double fps;
    int item;
  };
  for (const Case c : {Case{25.0, 0}, Case{29.97, 1}, Case{30000.0 / 1001, 1}, Case{30.0, 2}}) {
    FrameRateChoiceState state;
    rateForm.opened.clear();
    rateForm.user = [](TFrequenceForm& form) { form.CancelButton()->click(); };
    commands::HeaderFixServices services{host, rateForm, codecForm, state, codecState};
    std::string unused;
    EXPECT_EQ(commands::CorrigerFpsExecution(Entry("/nowhere/clip.avi", c.fps, "dvsd"), unused, services),
              commands::utNone);
    ASSERT_EQ(rateForm.opened.size(), 1u);
    const Opened& seen = rateForm.opened[0];
    EXPECT_EQ(seen.item, c.item) << c.fps;
    EXPECT_EQ(seen.editEnabled, c.item == FrameRateChoiceState::kPersonalized) << c.fps;
    // Showing the dialog puts the focus on the edit when it can be used.
    EXPECT_EQ(seen.editFocused, seen.editEnabled) << c.fps;
  }
  EXPECT_EQ(host.releases, 0);
}

TEST_F(DialogTest, CodecDialogOpensOnTheStoredCodeCaseCounting) {
  struct Case {
    const char* codec;
    int item;
  };
  for (const Case c : {Case{"dvsd", 0}, Case{"dsvd", 1}, Case{"CDVC", 2}, Case{"DVSD", 3}}) {
    CodecChoiceState state;
    codecForm.opened.clear();
    codecForm.user = [](TCodecForm& form) { PressEscape(form); };
    commands::HeaderFixServices services{host, rateForm, codecForm, rateState, state};
    std::string unused;
    EXPECT_EQ(commands::CorrigerCodecExecution(Entry("/nowhere/clip.avi", 25, c.codec), unused, services),
              commands::utNone);
    ASSERT_EQ(codecForm.opened.size(), 1u);
    EXPECT_EQ(codecForm.opened[0].item, c.item) << c.codec;
    EXPECT_EQ(codecForm.opened[0].editEnabled, c.item == CodecChoiceState::kPersonalized) << c.codec;
    if (c.item == CodecChoiceState::kPersonalized) {
      EXPECT_EQ(codecForm.opened[0].editText, "DVSD");
    }
  }
}

TEST_F(DialogTest, ChoosingAnItemEnablesAndFocusesTheEditOnlyForPersonalized) {
  std::vector<std::pair<bool, bool>> seen;  // enabled, focused after each click
  rateForm.user = [&seen](TFrequenceForm& form) {
    for (int item : {2, 0, 1, 2}) {
      form.Item(item)->click();
      seen.emplace_back(form.Edit()->isEnabled(), form.focusWidget() == form.Edit());
    }
    form.CancelButton()->click();
  };
  commands::SelectFrameRateItem(rateState, FrameRateChoiceState::kPal);
  EXPECT_FALSE(rateForm.Choose(rateState));
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], std::make_pair(true, true));
  EXPECT_FALSE(seen[1].first);
  EXPECT_FALSE(seen[2].first);
  EXPECT_TRUE(seen[3].first);

  // Off screen the choice still enables the edit, without taking the focus.
  TCodecForm hidden;
  CodecChoiceState state;
  commands::SelectCodecItem(state, CodecChoiceState::kDvsd);
  hidden.Item(3)->click();
  EXPECT_TRUE(hidden.Edit()->isEnabled());
  EXPECT_NE(hidden.focusWidget(), hidden.Edit());
  hidden.Item(1)->click();
  EXPECT_FALSE(hidden.Edit()->isEnabled());
}

TEST_F(DialogTest, OkStoresTheChoiceAndItPersistsToTheNextOpening) {
  rateForm.user = [](TFrequenceForm& form) {
    form.Item(FrameRateChoiceState::kPersonalized)->click();
    form.Edit()->setText("23.976");
    form.OkButton()->click();
  };
  commands::SelectFrameRateItem(rateState, FrameRateChoiceState::kPal);
  ASSERT_TRUE(rateForm.Choose(rateState));
  EXPECT_EQ(rateState.choice, FrameRateChoiceState::kPersonalized);
  EXPECT_TRUE(rateState.editEnabled);
  EXPECT_EQ(rateState.editText, "23.976");
  EXPECT_EQ(commands::ChosenFrameRate(rateState), 23.976);

  rateForm.user = [](TFrequenceForm& form) { form.OkButton()->click(); };
  ASSERT_TRUE(rateForm.Choose(rateState));
  ASSERT_EQ(rateForm.opened.size(), 2u);
  EXPECT_EQ(rateForm.opened[1].item, FrameRateChoiceState::kPersonalized);
  EXPECT_EQ(rateForm.opened[1].editText, "23.976");
  EXPECT_TRUE(rateForm.opened[1].editEnabled);

  // Back to a fixed item: the edit keeps its text but is off again.
  codecForm.user = [](TCodecForm& form) {
    form.Item(CodecChoiceState::kCdvc)->click();
    form.OkButton()->click();
  };
  commands::SelectCodecItem(codecState, CodecChoiceState::kPersonalized);
  codecState.editText = "DVSD";
  ASSERT_TRUE(codecForm.Choose(codecState));
  EXPECT_EQ(codecState.choice, CodecChoiceState::kCdvc);
  EXPECT_FALSE(codecState.editEnabled);
  EXPECT_EQ(codecState.editText, "DVSD");
  EXPECT_EQ(commands::ChosenCodec(codecState), media::FourCC("CDVC"));
}

TEST_F(DialogTest, CancelEscapeAndClosingLeaveTheStateUnchanged) {
  const std::vector<std::function<void(ChoiceDialog&)>> leaving{
      [](ChoiceDialog& form) { form.CancelButton()->click(); },
      [](ChoiceDialog& form) { PressEscape(form); },
      [](ChoiceDialog& form) { form.close(); },
  };
  for (std::size_t way = 0; way < leaving.size(); ++way) {
    FrameRateChoiceState state;
    commands::SelectFrameRateItem(state, FrameRateChoiceState::kNtsc);
    state.editText = "12.5";
    state.lastRate = 12.5;
    rateForm.user = [&](TFrequenceForm& form) {
      form.Item(FrameRateChoiceState::kPersonalized)->click();
      form.Edit()->setText("99");
      leaving[way](form);
      EXPECT_FALSE(form.isVisible()) << way;  // the dialog did take the key or click
    };
    EXPECT_FALSE(rateForm.Choose(state)) << way;
    EXPECT_EQ(state.choice, FrameRateChoiceState::kNtsc) << way;
    EXPECT_FALSE(state.editEnabled) << way;
    EXPECT_EQ(state.editText, "12.5") << way;

    CodecChoiceState codec;
    codecForm.user = [&](TCodecForm& form) {
      form.Item(CodecChoiceState::kPersonalized)->click();
      form.Edit()->setText("xxxx");
      leaving[way](form);
      EXPECT_FALSE(form.isVisible()) << way;
    };
    EXPECT_FALSE(codecForm.Choose(codec)) << way;
    EXPECT_FALSE(codec.choice) << way;
    EXPECT_TRUE(codec.editText.empty()) << way;
  }
}

TEST_F(DialogTest, AStateWithoutAChoiceShowsNoItemChecked) {
  rateForm.user = [](TFrequenceForm& form) { form.CancelButton()->click(); };
  FrameRateChoiceState ntsc;
  commands::SelectFrameRateItem(ntsc, FrameRateChoiceState::kNtsc);
  rateForm.Choose(ntsc);
  FrameRateChoiceState fresh;
  rateForm.Choose(fresh);
  ASSERT_EQ(rateForm.opened.size(), 2u);
  EXPECT_EQ(rateForm.opened[0].item, FrameRateChoiceState::kNtsc);
  EXPECT_EQ(rateForm.opened[1].item, -1);
  EXPECT_FALSE(rateForm.opened[1].editEnabled);
}

// The whole way from the widgets to the file.
TEST_F(DialogTest, TheDialogsChoicesReachTheFile) {
  test::TempDir dir;
  const auto path = test::CopyStandardSample("pal_type2.avi", dir.path());
  const auto original = test::ReadWholeFile(path);
  std::string unused;

  rateForm.user = [](TFrequenceForm& form) {
    form.Item(FrameRateChoiceState::kPersonalized)->click();
    form.Edit()->setText("abc");
    form.OkButton()->click();
  };
  auto services = Services();
  EXPECT_EQ(commands::CorrigerFpsExecution(Entry(path, 25, "dvsd"), unused, services), commands::utNone);
  EXPECT_EQ(test::ReadWholeFile(path), original);

  rateForm.user = [](TFrequenceForm& form) {
    form.Item(FrameRateChoiceState::kNtsc)->click();
    form.OkButton()->click();
  };
  EXPECT_EQ(commands::CorrigerFpsExecution(Entry(path, 25, "dvsd"), unused, services), commands::utModify);
  const auto fixed = test::ReadWholeFile(path);
  const media::BinaryFile file(path, media::BinaryFile::Mode::kRead);
  const auto where = media::LocateVideoStreamHeader(file);
  ASSERT_TRUE(where);
  const auto fraction = media::FrameRateFraction(29.97);
  EXPECT_EQ(media::LoadLE32(fixed.data() + where->scale), fraction.scale);
  EXPECT_EQ(media::LoadLE32(fixed.data() + where->rate), fraction.rate);

  codecForm.user = [](TCodecForm& form) {
    form.Item(CodecChoiceState::kPersonalized)->click();
    form.Edit()->setText("abcdef");
    form.OkButton()->click();
  };
  EXPECT_EQ(commands::CorrigerCodecExecution(Entry(path, 29.97, "dvsd"), unused, services), commands::utModify);
  EXPECT_EQ(media::FourCCText(media::ReadVideoHandler(path)), "abcd");
  EXPECT_EQ(codecState.lastCode, "abcd");
}

}  // namespace
}  // namespace korvid::ui
