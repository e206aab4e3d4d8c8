#include "ui/main_window_panels.h"

#include <QLabel>
#include <QPlainTextEdit>

#include "ui/about_frame.h"
#include "ui/action_icons.h"
#include "ui/options_frame.h"
#include "ui/ui_text.h"

namespace korvid::ui {

using resources::Text;

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
}

void WindowPanels::BuildPanels(QWidget* client, commands::CoreSession& session, TBaseFrame& player) {
  options = new TOptionsFrame(session, player, {}, client);
  options->setGeometry(0, 0, TOptionsFrame::kWidth, kClientHeight);
  aboutPanel = new TAboutFrame(session, client);
  aboutPanel->setGeometry(0, 0, TAboutFrame::kWidth, kClientHeight);
  settings = options;
  about = aboutPanel;
}

void WindowPanels::ShowEmptyHelp() {
  emptyHelp->move(0, 36);
  emptyHelp->show();
  emptyHelp->raise();
}

}  // namespace korvid::ui
