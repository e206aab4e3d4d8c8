// The scene overview beside the real main window on the offscreen
// platform: a still for every scene of the current file, a click that
// moves the player to the scene's first frame, and the window following
// the list's current file.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sample_clip.h"
#include "support/test_env.h"
#include "ui/main_window.h"
#include "ui/player_frame.h"
#include "ui/scene_overview_form.h"
#include "widget_app.h"

namespace korvid::ui {
namespace {

namespace fs = std::filesystem;

void MakeClip(const fs::path& path, std::vector<int> jumps) {
  samples::DvClipSpec spec;
  spec.frames = 90;
  for (const int frame : jumps) spec.jumps.push_back({frame, 3600});
  samples::WriteDvClip(path, spec);
}

TEST(SceneOverviewTest, ShowsTheCurrentFilesScenesAndAClickMovesThePlayer) {
  const test::TempDir home;
  const test::TempDir work;
  MakeClip(work / "a.avi", {30, 60});
  MakeClip(work / "b.avi", {45});
  auto window = std::make_unique<TUIForm>(
      WindowSetup{settings::StoreLocation{home / ".config"}, home.path().string(), "", {}});
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(QString::fromStdString((work / "a.avi").string())),
                 QUrl::fromLocalFile(QString::fromStdString((work / "b.avi").string()))});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &enter);
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &drop);
  delete data;
  QTest::qWait(10);

  QAction* open = window->Action("afSceneOverview");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->text(), "Scene overview");
  open->trigger();
  TSceneOverviewForm* overview = window->findChild<TSceneOverviewForm*>(QStringLiteral("TSceneOverviewForm"));
  ASSERT_NE(overview, nullptr);
  EXPECT_TRUE(overview->isVisible());
  auto* scenes = overview->findChild<QListWidget*>(QStringLiteral("SceneList"));
  ASSERT_NE(scenes, nullptr);
  QTRY_COMPARE_WITH_TIMEOUT(scenes->count(), 3, 20000);
  EXPECT_TRUE(overview->windowTitle().contains(QStringLiteral("a.avi")));
  EXPECT_FALSE(scenes->item(0)->icon().isNull());
  EXPECT_TRUE(scenes->item(1)->text().contains(QStringLiteral("1s 05fr"))) << scenes->item(1)->text().toStdString();

  // The third scene starts at frame 60: 2 s 10 frames in.
  const TBaseFrame* player = test::Named<TBaseFrame>(*window, "BaseFrame");
  scenes->scrollToItem(scenes->item(2));
  const QRect third = scenes->visualItemRect(scenes->item(2));
  QTest::mouseClick(scenes->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
  QTRY_COMPARE_WITH_TIMEOUT(player->labTimeStamp->text(), QStringLiteral("0:00:02:10"), 5000);

  // The list's current file changes: the window follows.
  QListView* list = test::Named<QListView>(*window, "lb");
  list->selectionModel()->setCurrentIndex(list->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
  QTRY_COMPARE_WITH_TIMEOUT(scenes->count(), 2, 20000);
  EXPECT_TRUE(overview->windowTitle().contains(QStringLiteral("b.avi")));
  EXPECT_EQ(scenes->item(1)->data(Qt::UserRole).toLongLong(), 45);
  window.reset();
}

}  // namespace
}  // namespace korvid::ui
