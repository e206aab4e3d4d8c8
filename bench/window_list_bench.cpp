// The main window's list over many rows: N two-frame clips (hard links to
// one clip, spread over 100 folders so that name order and size order
// differ) are listed in the real window, then timed: selecting every third
// row one row at a time (as a run over the selection does), a Ctrl+click on
// one row, sorting by size and by name with the selection kept, Select All,
// and removing every third entry.
// Each figure should grow with N, no faster. Runs on the offscreen platform
// unless QT_QPA_PLATFORM or a display says otherwise.
//
//   window_list_bench [counts...]   (default: 1000 3000 10000)

#include <QApplication>
#include <QItemSelectionModel>
#include <QListView>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "bench_support.h"
#include "ui/main_window.h"

namespace {

namespace fs = std::filesystem;
using korvid::bench::Clock;
using korvid::bench::Median;
using korvid::bench::MsSince;

void Settle() { QApplication::processEvents(QEventLoop::AllEvents); }

// `count` links to `clip`; folder and name ranks disagree.
std::vector<std::string> Links(const fs::path& work, const fs::path& clip, int count) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    char folder[16], name[32];
    std::snprintf(folder, sizeof folder, "d%02d", (i * 37) % 100);
    std::snprintf(name, sizeof name, "clip_%05d.avi", i);
    const fs::path target = work / folder / name;
    fs::create_directories(target.parent_path());
    std::error_code error;
    fs::create_hard_link(clip, target, error);
    if (error) fs::copy_file(clip, target);
    paths.push_back(target.string());
  }
  return paths;
}

void RunCount(const fs::path& work, const fs::path& clip, int count) {
  const fs::path home = work / "home";
  fs::create_directories(home);
  const fs::path files = work / ("files_" + std::to_string(count));
  const std::vector<std::string> paths = Links(files, clip, count);

  korvid::ui::TUIForm window(
      korvid::ui::WindowSetup{korvid::settings::StoreLocation{home / ".config"}, home.string(), "", {}});
  window.show();
  Settle();
  korvid::list::VideoList& list = window.Session().List();
  auto* control = window.findChild<QListView*>(QStringLiteral("lb"));

  auto start = Clock::now();
  list.BeginBatch("adding");
  for (const std::string& path : paths) list.AddFile(path);
  list.EndBatch();
  Settle();
  const double addMs = MsSince(start);

  start = Clock::now();
  for (int row = 0; row < list.Count(); row += 3) list.SetSelected(row, true);
  Settle();
  const double selectThirdMs = MsSince(start);

  // A Ctrl+click among the scattered selection.
  start = Clock::now();
  control->selectionModel()->select(control->model()->index(1, 0), QItemSelectionModel::Toggle);
  Settle();
  const double clickMs = MsSince(start);

  const int selected = list.SelectedCount();
  std::vector<double> sortMs;
  bool kept = true;
  for (int run = 0; run < 6; ++run) {
    start = Clock::now();
    list.SortList(run % 2 == 0 ? 2 : 1);
    Settle();
    sortMs.push_back(MsSince(start));
    int shown = 0;
    for (int row = 0; row < control->model()->rowCount(); ++row)
      if (control->selectionModel()->isRowSelected(row)) ++shown;
    kept = kept && shown == selected && list.SelectedCount() == selected;
  }

  start = Clock::now();
  list.SelectAll();
  Settle();
  const double selectAllMs = MsSince(start);

  // Every third entry leaves the list one at a time, as a command's run
  // over the selection removes them.
  std::vector<korvid::list::EntryId> leaving;
  for (int row = 0; row < list.Count(); row += 3) leaving.push_back(list.Entry(row).id);
  start = Clock::now();
  for (const korvid::list::EntryId id : leaving) list.RemoveEntry(list.IndexOfId(id));
  Settle();
  const double removeMs = MsSince(start);

  std::printf(
      "%6d rows: add %8.1f ms  select 1/3 %8.1f ms  ctrl+click %8.1f ms  sort %8.1f ms (median of %zu%s)  "
      "select all %7.1f ms  remove 1/3 %8.1f ms\n",
      count, addMs, selectThirdMs, clickMs, Median(sortMs), sortMs.size(), kept ? "" : ", SELECTION LOST",
      selectAllMs, removeMs);
  std::fflush(stdout);
  fs::remove_all(files);
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i)
    if (std::atoi(argv[i]) > 0) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {1000, 3000, 10000};

  const fs::path work = fs::temp_directory_path() / ("korvid-window-list-bench-" + std::to_string(::getpid()));
  fs::create_directories(work);
  korvid::samples::DvClipSpec spec;
  spec.frames = 2;
  const fs::path clip = work / "clip.avi";
  korvid::samples::WriteDvClip(clip, spec);
  std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
  for (const int count : counts) RunCount(work, clip, count);
  fs::remove_all(work);
  return 0;
}
