#include "ui/main_window_placement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <algorithm>

namespace korvid::ui {

namespace {

// A grip of the title bar that must be on a screen: enough to drag it by.
constexpr int kGripWidth = 64;
constexpr int kGripHeight = 16;

}  // namespace

QPoint CentredPosition(QSize size) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QRect area = screen->availableGeometry();
  return {area.left() + std::max(0, (area.width() - size.width()) / 2),
          area.top() + std::max(0, (area.height() - size.height()) / 2)};
}

QPoint PositionOnScreen(QPoint stored, QSize size) {
  const QRect grip(stored.x() + std::max(0, (size.width() - kGripWidth) / 2), stored.y(), kGripWidth, kGripHeight);
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().contains(grip)) return stored;
  return CentredPosition(size);
}

}  // namespace korvid::ui
