// The dialog of "Correct the clock...": the preview follows what is typed,
// a wrong offset disables OK with the reason shown, and OK hands the
// offset and frame to the command.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <functional>

#include "commands/clock_correction_commands.h"
#include "sample_clip.h"
#include "support/test_env.h"
#include "ui/clock_form.h"
#include "widget_app.h"

namespace korvid::ui {
namespace {

// The real dialog, its modal loop replaced by a scripted user.
class ScriptedClockForm : public TClockForm {
 public:
  std::function<void(TClockForm&)> user;
  int exec() override {
    setResult(QDialog::Rejected);
    show();
    user(*this);
    hide();
    return result();
  }
};

TEST(ClockForm, PreviewsTheCorrectionAndReturnsWhatWasTyped) {
  test::TempDir dir;
  samples::DvClipSpec spec;
  spec.file_name = "clip.avi";
  spec.frames = 60;
  spec.start = {2004, 2, 28, 23, 59, 59};
  samples::WriteDvClip(dir / spec.file_name, spec);
  media::TAfficherFichier entry;
  entry.fullName = (dir / spec.file_name).string();
  entry.name = spec.file_name;
  entry.frames = 60;

  ScriptedClockForm form;
  QString wrongPreview;
  bool okForWrong = true;
  QString preview;
  form.user = [&](TClockForm& shown) {
    auto* offset = shown.findChild<QLineEdit*>("edOffset");
    auto* from = shown.findChild<QSpinBox*>("seFromFrame");
    auto* label = shown.findChild<QLabel*>("lbPreview");
    auto* ok = shown.findChild<QPushButton*>("BitBtn1");
    ASSERT_TRUE(offset && from && label && ok);
    offset->setText("+1:61");
    wrongPreview = label->text();
    okForWrong = ok->isEnabled();
    offset->setText("+1d");
    from->setValue(25);
    preview = label->text();
    ok->click();
  };
  commands::ClockCorrectionState state{"+2:00", 0};
  ASSERT_TRUE(form.Choose(entry, state));
  EXPECT_FALSE(okForWrong);
  EXPECT_TRUE(wrongPreview.contains("minutes and seconds run from 00 to 59")) << wrongPreview.toStdString();
  EXPECT_EQ(preview.toStdString(),
            "First datecode: 2004-02-29 00:00:00 -> 2004-03-01 00:00:00\n"
            "Last datecode: 2004-02-29 00:00:01 -> 2004-03-01 00:00:01");
  EXPECT_EQ(state.offsetText, "+1d");
  EXPECT_EQ(state.fromFrame, 25);

  // Cancel keeps what the state held.
  form.user = [](TClockForm& shown) { shown.reject(); };
  EXPECT_FALSE(form.Choose(entry, state));
  EXPECT_EQ(state.offsetText, "+1d");
}

}  // namespace
}  // namespace korvid::ui
