#include "ui/fault_report.h"

#include <QMessageBox>
#include <cstdio>

#include "commands/program_faults.h"
#include "resources/product.h"

namespace korvid::ui {

bool DeliverReportingFaults(const std::function<bool()>& deliver, const std::function<void(const QString&)>& report) {
  try {
    return deliver();
  } catch (...) {
    report(QString::fromStdString(commands::DescribeCaughtException().text));
  }
  return false;
}

bool FaultReportingApplication::notify(QObject* receiver, QEvent* event) {
  return DeliverReportingFaults([&] { return QApplication::notify(receiver, event); },
                                [this](const QString& text) {
                                  std::fprintf(stderr, "korvid: %s\n", qPrintable(text));
                                  if (reporting_) return;
                                  reporting_ = true;
                                  QMessageBox::critical(activeWindow(), QString::fromUtf8(resources::kProductName.data(),
                                                                           static_cast<qsizetype>(resources::kProductName.size())),
                                                        text);
                                  reporting_ = false;
                                });
}

}  // namespace korvid::ui
