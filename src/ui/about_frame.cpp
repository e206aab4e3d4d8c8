#include "ui/about_frame.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSysInfo>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
}

#include "commands/plugin_loader.h"
#include "resources/product.h"
#include "ui/action_icons.h"
#include "ui/ui_text.h"

namespace korvid::ui {

using resources::Text;

namespace {

QString FromStd(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QTextEdit* RichPage() {
  auto* page = new QTextEdit;
  page->setReadOnly(true);
  QFont arial(QStringLiteral("Arial"));
  arial.setPixelSize(12);
  page->setFont(arial);
  return page;
}

enum Style { kRegular = 0, kBold = 1, kItalic = 2, kUnderline = 4 };

// One paragraph in the given style; red for what is missing.
void Write(QTextEdit* page, const QString& text, int style, const QColor& colour = Qt::black) {
  QString html = text.toHtmlEscaped();
  if ((style & kBold) != 0) html = QStringLiteral("<b>") + html + QStringLiteral("</b>");
  if ((style & kItalic) != 0) html = QStringLiteral("<i>") + html + QStringLiteral("</i>");
  if ((style & kUnderline) != 0) html = QStringLiteral("<u>") + html + QStringLiteral("</u>");
  page->append(QStringLiteral("<span style=\"color:%1\">%2</span>").arg(colour.name(), html));
}

std::string VersionTriplet(unsigned version) {
  return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xFF) + "." +
         std::to_string(version & 0xFF);
}

}  // namespace

TAboutFrame::TAboutFrame(commands::CoreSession& session, QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("AproposFrame2"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(this);
  // The window's Settings, About and Quit buttons stay above the top strip.
  layout->setContentsMargins(6, 38, 6, 6);
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl2"));
  pages_->setUsesScrollButtons(true);
  pages_->addTab(BuildCredits(), UiText(Text::kAboutPageCredits));
  commandLineIndex_ = pages_->addTab(BuildCommandLine(session), UiText(Text::kCommandLineTitle));
  plugins_ = RichPage();
  plugins_->setObjectName(QStringLiteral("rePlugins"));
  pages_->addTab(plugins_, UiText(Text::kAboutPagePlugins));
  system_ = RichPage();
  system_->setObjectName(QStringLiteral("reSystem"));
  pages_->addTab(system_, UiText(Text::kAboutPageSystem));
  layout->addWidget(pages_);
  FillPlugins(session);
  FillSystem(session.Availability());
  hide();
}

QWidget* TAboutFrame::BuildCredits() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* picture = new QLabel(page);
  picture->setPixmap(ApplicationIcon().pixmap(64, 64));
  picture->setAlignment(Qt::AlignCenter);
  layout->addWidget(picture);
  auto* title = new QLabel(FromStd(resources::kProductName), page);
  QFont big = title->font();
  big.setPixelSize(20);
  big.setBold(true);
  title->setFont(big);
  title->setAlignment(Qt::AlignCenter);
  layout->addWidget(title);
  auto* credits = new QLabel(FromStd(resources::Fill(Text::kAboutCredits, {resources::kProductName,
                                                                           resources::kProductVersion,
                                                                           resources::kMakerName})),
                             page);
  credits->setObjectName(QStringLiteral("labCredits"));
  credits->setWordWrap(true);
  credits->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  layout->addWidget(credits, 1);
  return page;
}

QWidget* TAboutFrame::BuildCommandLine(commands::CoreSession& session) {
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  switches_ = new QTreeWidget(page);
  switches_->setObjectName(QStringLiteral("lvCommandLine"));
  switches_->setToolTip(UiText(Text::kAboutSwitchesHint));
  switches_->setRootIsDecorated(false);
  switches_->setColumnCount(2);
  switches_->setHeaderLabels({UiText(Text::kAboutSwitchFunction), UiText(Text::kAboutSwitchKey)});
  const commands::CommandSet& commands = session.Commands();
  for (const commands::CommandLineRow& row : commands::CommandLineRows(commands.switches, commands.actions))
    new QTreeWidgetItem(switches_, {FromStd(row.function), FromStd(row.key)});
  switches_->header()->setStretchLastSection(false);
  switches_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  switches_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  layout->addWidget(switches_, 1);
  auto* note = new QLabel(UiText(Text::kAboutSwitchesNote), page);
  note->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  layout->addWidget(note);
  return page;
}

void TAboutFrame::FillPlugins(commands::CoreSession& session) {
  plugins_->clear();
  // The title lines of a plug-in come every fourth line: name, version,
  // description, blank.
  const std::vector<std::string> lines = commands::PluginPageLines(session.Plugins());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const QString text = FromStd(lines[i]);
    if (i < 2) {
      Write(plugins_, text, kRegular);
      continue;
    }
    static constexpr int kStyles[] = {kBold | kUnderline, kRegular, kItalic, kRegular};
    Write(plugins_, text, kStyles[(i - 2) % 4]);
  }
  pages_->setTabVisible(pages_->indexOf(plugins_), !lines.empty());
}

void TAboutFrame::FillSystem(const graphs::FilterAvailability& availability) {
  system_->clear();
  Write(system_, UiText(Text::kAboutOperatingSystem), kItalic);
  Write(system_,
        QStringLiteral("%1 (%2 %3). ").arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion()),
        kBold);
  Write(system_, QString(), kRegular);
  Write(system_, UiText(Text::kAboutUsing), kItalic);
  Write(system_, FromStd(resources::Fill(Text::kAboutQtVersion, {qVersion()})), kBold);
  Write(system_, FromStd(resources::Fill(Text::kAboutFfmpegVersion, {av_version_info(), VersionTriplet(avcodec_version())})),
        kBold);
  Write(system_, QString(), kRegular);
  for (const graphs::ReportLine& line : graphs::AvailabilityReportLines(availability))
    Write(system_, FromStd(line.text), kBold, line.colour == graphs::ReportColour::kRed ? QColor(Qt::red) : QColor(Qt::black));
  system_->moveCursor(QTextCursor::Start);
}

void TAboutFrame::ShowCommandLinePage() { pages_->setCurrentIndex(commandLineIndex_); }

}  // namespace korvid::ui
