#pragma once
// Where the main window goes on the screen: the stored position when the
// window's title bar would be on a screen that exists now, else centred
// on the primary screen (a monitor unplugged since the last run, or a
// smaller one, must not leave the window out of reach).

#include <QPoint>
#include <QSize>

namespace korvid::ui {

// The centred position on the primary screen for a window of `size`.
QPoint CentredPosition(QSize size);

// `stored` when it keeps the title bar of a window of `size` on a screen,
// else the centred position.
QPoint PositionOnScreen(QPoint stored, QSize size);

}  // namespace korvid::ui
