#include "ui/riff_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "media/riff_report.h"
#include "resources/user_error.h"
#include "ui/ui_text.h"

namespace korvid::ui {

using resources::Text;

TRiffForm::TRiffForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TRiffForm"));
  setWindowTitle(UiText(Text::kRiffFormCaption));
  lines_ = new QListWidget(this);
  lines_->setObjectName(QStringLiteral("ListBox1"));
  lines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lines_->setUniformItemSizes(true);
  save_ = new QPushButton(UiText(Text::kRiffSaveButton), this);
  save_->setObjectName(QStringLiteral("SauverBtn"));
  save_->setToolTip(UiText(Text::kRiffSaveHint));
  close_ = new QPushButton(UiText(Text::kRiffCloseButton), this);
  close_->setObjectName(QStringLiteral("FermerBtn"));
  close_->setToolTip(UiText(Text::kRiffCloseHint));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save_);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lines_);
  layout->addLayout(buttons);
  // Wide enough for a 50-column report with its deepest indents.
  const int column = lines_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
  resize(column * 76, 520);
  connect(save_, &QPushButton::clicked, this, &TRiffForm::Save);
  connect(close_, &QPushButton::clicked, this, [this] {
    cancelled_ = true;
    hide();
  });
}

void TRiffForm::BeginReport(const std::string& fullName) {
  fullName_ = fullName;
  cancelled_ = false;
  report_.clear();
  lines_->clear();
  setWindowTitle(QString::fromStdString(resources::Fill(Text::kRiffHeaderOf, {fullName})));
  save_->setEnabled(false);
  show();
  raise();
}

bool TRiffForm::KeepGoing() {
  QApplication::processEvents();
  return !cancelled_;
}

void TRiffForm::EndReport(const media::RiffReport& report) {
  if (report.cancelled || cancelled_) {
    hide();
    return;
  }
  report_ = report.lines;
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(report_.size()));
  for (const std::string& line : report_) texts.append(QString::fromStdString(line));
  lines_->addItems(texts);
  save_->setEnabled(true);
}

void TRiffForm::CloseReport() { hide(); }

void TRiffForm::closeEvent(QCloseEvent* event) {
  cancelled_ = true;
  QDialog::closeEvent(event);
}

void TRiffForm::Save() {
  const QString proposed = QString::fromStdString(media::RiffReportLogPath(fullName_).string());
  const QString target = QFileDialog::getSaveFileName(this, QString(), proposed, UiText(Text::kRiffSaveFilter));
  if (target.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    media::SaveRiffReport(report_, target.toStdString());
    QApplication::restoreOverrideCursor();
  } catch (const UserError& e) {
    QApplication::restoreOverrideCursor();
    QMessageBox::warning(this, windowTitle(), QString::fromUtf8(e.what()));
  }
}

}  // namespace korvid::ui
