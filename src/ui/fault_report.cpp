#include "ui/fault_report.h"

#include <QMessageBox>
#include <cstdio>
#include <exception>

#include "resources/product.h"
#include "resources/string_table.h"
#include "resources/user_error.h"

namespace korvid::ui {

bool DeliverReportingFaults(const std::function<bool()>& deliver, const std::function<void(const QString&)>& report) {
  try {
    return deliver();
  } catch (const UserError& error) {
    report(QString::fromStdString(error.what()));
  } catch (const std::exception& fault) {
    report(QString::fromStdString(resources::Fill(resources::Text::kProgramFault, {fault.what()})));
  } catch (...) {
    report(QString::fromStdString(resources::Fill(resources::Text::kProgramFault, {"an unknown exception"})));
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
