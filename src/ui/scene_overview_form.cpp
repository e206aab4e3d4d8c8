#include "ui/scene_overview_form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include <filesystem>
#include <utility>
#include <vector>

#include "graphs/contact_sheet.h"
#include "graphs/scene_picture.h"
#include "graphs/scene_scan.h"
#include "graphs/scene_survey.h"
#include "resources/string_table.h"
#include "resources/user_error.h"
#include "ui/ui_text.h"

namespace korvid::ui {
namespace {

using resources::Text;

// Smaller than on the sheet: a window shows a few rows at a time.
constexpr int kStillHeight = 120;
constexpr int kStripGap = 2;
constexpr int kStripHeight = 6;

QString FileNameOf(const std::string& path) {
  return QString::fromStdString(std::filesystem::path(path).filename().string());
}

// The still over its strip, as one icon.
QPixmap SceneIcon(const graphs::SceneStill& still, const std::vector<graphs::FrameDamage>& damage, int width) {
  QPixmap icon(width, kStillHeight + kStripGap + kStripHeight);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  const QRect box(0, 0, width, kStillHeight);
  if (still.picture.isNull())
    painter.fillRect(box, QColor(60, 60, 60));
  else
    painter.drawImage(box, still.picture);
  const auto first = static_cast<std::size_t>(std::max(0, still.startFrame));
  const auto last = static_cast<std::size_t>(std::max(still.startFrame, still.endFrame));
  painter.drawImage(QPoint(0, kStillHeight + kStripGap),
                    graphs::DamageStrip(damage, first, last - first + 1, width, kStripHeight));
  return icon;
}

}  // namespace

struct TSceneOverviewForm::Result {
  std::vector<graphs::SceneStill> stills;
  std::vector<graphs::FrameDamage> damage;
  bool wide = false;
  std::string error;
};

TSceneOverviewForm::TSceneOverviewForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TSceneOverviewForm"));
  setWindowTitle(UiText(Text::kSceneOverviewCaption));
  scenes_ = new QListWidget(this);
  scenes_->setObjectName(QStringLiteral("SceneList"));
  scenes_->setViewMode(QListView::IconMode);
  scenes_->setResizeMode(QListView::Adjust);
  scenes_->setMovement(QListView::Static);
  scenes_->setWrapping(true);
  scenes_->setUniformItemSizes(true);
  scenes_->setSpacing(6);
  scenes_->setWordWrap(true);
  scenes_->setSelectionMode(QAbstractItemView::SingleSelection);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("SceneStatus"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scenes_);
  layout->addWidget(status_);
  resize(4 * (graphs::StillWidth(kStillHeight, false) + 24) + 40, 3 * (kStillHeight + 64) + 60);
  connect(scenes_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (item != nullptr && onSceneChosen) onSceneChosen(item->data(Qt::UserRole).toLongLong());
  });
}

TSceneOverviewForm::~TSceneOverviewForm() { StopReading(); }

void TSceneOverviewForm::ShowBeside(const QWidget& main) {
  if (!isVisible()) {
    // Right of the main window when the screen has room, else left of it.
    const QRect frame = main.frameGeometry();
    QPoint at(frame.right() + 8, frame.top());
    if (const QScreen* screen = main.screen()) {
      const QRect room = screen->availableGeometry();
      if (at.x() + width() > room.right()) at.setX(std::max(room.left(), frame.left() - width() - 8));
    }
    move(at);
  }
  show();
  raise();
}

void TSceneOverviewForm::StopReading() {
  abort_->store(true);
  if (worker_.joinable()) worker_.join();
}

void TSceneOverviewForm::closeEvent(QCloseEvent* event) {
  // Closed, it no longer follows the file: opened again, it reads anew.
  StopReading();
  shownKey_.clear();
  scenes_->clear();
  event->accept();
}

void TSceneOverviewForm::ShowFile(const media::TAfficherFichier* entry, const media::DatecodeFormat& format) {
  const std::string key = entry != nullptr ? entry->fullName + '\n' + entry->sizeKey + '\n' + entry->dateKey : "";
  if (key == shownKey_ && !key.empty()) return;
  StopReading();
  shownKey_ = key;
  scenes_->clear();
  if (entry == nullptr || !entry->isDV) {
    setWindowTitle(UiText(Text::kSceneOverviewCaption));
    status_->setText(entry != nullptr ? QString::fromStdString(resources::Fill(Text::kNoDvVideo, {entry->fullName}))
                                      : QString());
    return;
  }
  const QString name = FileNameOf(entry->fullName);
  setWindowTitle(QString::fromStdString(resources::Fill(Text::kSceneOverviewOf, {name.toStdString()})));
  status_->setText(QString::fromStdString(resources::Fill(Text::kSceneOverviewReading, {name.toStdString()})));

  const std::uint64_t ticket = ++ticket_;
  abort_ = std::make_shared<std::atomic<bool>>(false);
  done_ = std::make_shared<std::atomic<bool>>(false);
  worker_ = std::thread([this, ticket, abort = abort_, done = done_, path = entry->fullName,
                         datecode = entry->datecode, timecode = entry->timecodeText, format] {
    auto result = std::make_shared<Result>();
    try {
      graphs::SceneFrameReader reader(path, graphs::FrameReading::kWholeFrame);
      if (std::optional<graphs::SceneSurvey> survey = graphs::SurveyScenes(reader, datecode, timecode, *abort)) {
        result->stills = graphs::MakeSceneStills(*survey, reader, format, kStillHeight, *abort);
        result->damage = std::move(survey->damage);
        result->wide = survey->wide;
      }
    } catch (const UserError& failure) {
      result->error = failure.what();
    }
    done->store(true);
    // The window waits for this thread before it goes, so it is still there.
    if (!abort->load())
      QMetaObject::invokeMethod(this, [this, ticket, result] { ShowResult(ticket, result); }, Qt::QueuedConnection);
  });
}

void TSceneOverviewForm::ShowResult(std::uint64_t ticket, const std::shared_ptr<Result>& result) {
  if (ticket != ticket_) return;
  if (worker_.joinable()) worker_.join();
  if (!result->error.empty()) {
    status_->setText(QString::fromStdString(result->error));
    return;
  }
  const int width = graphs::StillWidth(kStillHeight, result->wide);
  scenes_->setIconSize(QSize(width, kStillHeight + kStripGap + kStripHeight));
  scenes_->setGridSize(QSize(width + 16, kStillHeight + kStripGap + kStripHeight + 2 * fontMetrics().height() + 16));
  for (const graphs::SceneStill& still : result->stills) {
    QString text = still.datecodeText.empty() ? UiText(Text::kSheetNoDatecode) : QString::fromStdString(still.datecodeText);
    text += QLatin1Char('\n') + QString::fromStdString(still.timecodeText);
    if (!still.timecodeText.empty()) text += QStringLiteral("  ");
    text += QString::fromStdString(still.durationText);
    auto* item = new QListWidgetItem(QIcon(SceneIcon(still, result->damage, width)), text, scenes_);
    item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(still.startFrame));
    item->setToolTip(text);
  }
  status_->setText(QString::fromStdString(resources::Fill(Text::kSheetSceneCount, {std::to_string(result->stills.size())})));
}

}  // namespace korvid::ui
