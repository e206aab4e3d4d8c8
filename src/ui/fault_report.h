#pragma once
// The window's last line of defence: a program fault (any exception other
// than a UserError) that escapes an event handler is shown with its text,
// and the event loop goes on instead of ending the program.

#include <QApplication>
#include <QString>
#include <functional>

namespace korvid::ui {

// Runs `deliver`; an exception it throws goes to `report` as the text the
// user reads (a UserError as it is, anything else as a program fault), and
// the result is then false.
bool DeliverReportingFaults(const std::function<bool()>& deliver, const std::function<void(const QString&)>& report);

class FaultReportingApplication final : public QApplication {
 public:
  FaultReportingApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  bool reporting_ = false;  // a fault while its message shows goes to standard error only
};

}  // namespace korvid::ui
