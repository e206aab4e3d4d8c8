#pragma once
// Widgets need a QApplication (a QGuiApplication is not enough), made
// once per test program before the first widget.

#include <QApplication>
#include <cstdlib>

namespace korvid::test {

inline void EnsureWidgetApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "korvid-ui-tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
}

}  // namespace korvid::test
