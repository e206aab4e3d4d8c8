#include "ui/window_command_host.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "commands/command_line.h"
#include "resources/string_table.h"
#include "ui/main_window.h"
#include "ui/player_frame.h"
#include "ui/ui_text.h"

namespace korvid::ui {

using resources::Text;

commands::Answer WindowCommandHost::Ask(commands::MessageKind kind, const std::string& text,
                                        commands::Buttons buttons) {
  using commands::Answer;
  QMessageBox box(&window_);
  box.setWindowTitle(QString::fromStdString(commands::WindowCaption()));
  box.setText(QString::fromStdString(text));
  box.setIcon(kind == commands::MessageKind::kError     ? QMessageBox::Critical
              : kind == commands::MessageKind::kWarning ? QMessageBox::Warning
                                                        : QMessageBox::Information);
  if (buttons == commands::Buttons::kOk) {
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::kOk;
  }
  QPushButton* yes = box.addButton(QMessageBox::Yes);
  QPushButton* no = box.addButton(QMessageBox::No);
  QPushButton* cancel = nullptr;
  QPushButton* all = nullptr;
  if (buttons == commands::Buttons::kYesNoCancelAll) {
    cancel = box.addButton(QMessageBox::Cancel);
    all = box.addButton(UiText(Text::kAllButton), QMessageBox::YesRole);
  }
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel != nullptr ? cancel : no);
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  QApplication::restoreOverrideCursor();
  const QAbstractButton* clicked = box.clickedButton();
  if (clicked == yes) return Answer::kYes;
  if (clicked == all && all != nullptr) return Answer::kAll;
  if (clicked == cancel && cancel != nullptr) return Answer::kCancel;
  return cancel != nullptr && clicked != no ? Answer::kCancel : Answer::kNo;
}

void WindowCommandHost::SetStatusText(const std::string& text) { window_.SetStatusText(text); }
void WindowCommandHost::ShowNote(const std::string& text) { window_.ShowNote(text); }

void WindowCommandHost::ShowGauge(bool visible) { window_.player_->ShowGauge(visible); }
void WindowCommandHost::SetGauge(int percent) { window_.player_->SetGauge(percent); }

void WindowCommandHost::ReleasePlayerFile() { window_.ReleasePlayerFile(); }
void WindowCommandHost::RetakePlayerFile() { window_.RetakePlayerFile(); }

void WindowCommandHost::ProcessEvents(int max_wait_ms) {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  if (dispatcher->processEvents(QEventLoop::AllEvents) || max_wait_ms <= 0) return;
  // The timer ends the wait when no event comes sooner.
  QTimer timeout;
  timeout.setSingleShot(true);
  timeout.start(max_wait_ms);
  dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// A posted event is what a waiting event loop wakes for; posting is safe
// from any thread.
void WindowCommandHost::Wake() {
  QMetaObject::invokeMethod(&window_, [] {}, Qt::QueuedConnection);
}

void WindowCommandHost::SetListEnabled(bool enabled) {
  window_.lb_->setEnabled(enabled);
  if (enabled)
    QApplication::restoreOverrideCursor();
  else
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

}  // namespace korvid::ui
