#include "ui/main_window_panels.h"

#include <QLabel>
#include <QPlainTextEdit>

#include "ui/action_icons.h"
#include "ui/ui_text.h"

namespace korvid::ui {

using resources::Text;

namespace {

QFrame* Panel(QWidget* client, const char* name, int width, Text title) {
  auto* panel = new QFrame(client);
  panel->setObjectName(QLatin1String(name));
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setAutoFillBackground(true);
  panel->setGeometry(0, 0, width, kClientHeight);
  auto* heading = new QLabel(UiText(title), panel);
  QFont font = heading->font();
  font.setBold(true);
  font.setPixelSize(16);
  heading->setFont(font);
  heading->setGeometry(16, 12, width - 32, 24);
  panel->hide();
  return panel;
}

}  // namespace

WindowPanels::WindowPanels(QWidget* client) {
  emptyHelp = new QFrame(client);
  emptyHelp->setObjectName(QStringLiteral("VideFrame1"));
  emptyHelp->setAutoFillBackground(true);
  emptyHelp->setGeometry(0, 36, kListLeft, 385);
  auto* memo = new QPlainTextEdit(emptyHelp);
  memo->setObjectName(QStringLiteral("Memo1"));
  memo->setReadOnly(true);
  memo->setPlainText(UiText(Text::kEmptyListHelp));
  QFont arial(QStringLiteral("Arial"));
  arial.setPixelSize(13);
  memo->setFont(arial);
  memo->setGeometry(6, 6, kListLeft - 12, 300);
  auto* picture = new QLabel(emptyHelp);
  picture->setObjectName(QStringLiteral("Image1"));
  picture->setPixmap(ApplicationIcon().pixmap(64, 64));
  picture->setAlignment(Qt::AlignCenter);
  picture->setToolTip(UiText(Text::kEmptyListPictureHint));
  picture->setGeometry(6, 310, kListLeft - 12, 70);

  settings = Panel(client, "OptionsFrame1", 592, Text::kSettingsPanelTitle);
  about = Panel(client, "AproposFrame2", 324, Text::kAboutPanelTitle);
}

void WindowPanels::ShowEmptyHelp() {
  emptyHelp->move(0, 36);
  emptyHelp->show();
  emptyHelp->raise();
}

}  // namespace korvid::ui
