#pragma once
// Widgets need a QApplication (a QGuiApplication is not enough). The test
// program makes one before its first test and ends it after the last,
// while main() is still running: a QApplication left to static
// destruction outlives parts of Qt it still uses and crashes at exit.

#include <gtest/gtest.h>

#include <QApplication>
#include <QObject>
#include <cstdlib>
#include <memory>

namespace korvid::test {

class WidgetApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QCoreApplication::instance() != nullptr) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "korvid-ui-tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

// The widget named `name` below `root`; null, and a failure, when there is none.
template <class Widget>
Widget* Named(const QObject& root, const char* name) {
  auto* widget = root.findChild<Widget*>(QLatin1String(name));
  EXPECT_NE(widget, nullptr) << "no widget named " << name;
  return widget;
}

// Registered once however many test files include this header.
inline ::testing::Environment* const kWidgetApplication =
    ::testing::AddGlobalTestEnvironment(new WidgetApplication);

}  // namespace korvid::test
