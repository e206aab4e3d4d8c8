// Time from starting the main window (the core session included) to its
// first paint with an empty list, against a bare QMainWindow on the same
// platform in the same run. The goal is half a second on the project's
// machine. Runs on the offscreen platform unless QT_QPA_PLATFORM or a
// display says otherwise.
#include <QApplication>
#include <QMainWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "ui/main_window.h"
#include "bench_support.h"

namespace {

using korvid::bench::Median;

using Clock = std::chrono::steady_clock;

// Notes the first paint of any widget inside the watched window.
class FirstPaint : public QObject {
 public:
  explicit FirstPaint(const QWidget*& window) : window_(window) {}
  bool painted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!painted && event->type() == QEvent::Paint && window_ != nullptr) {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget != nullptr && widget->window() == window_) painted = true;
    }
    return false;
  }

 private:
  const QWidget*& window_;
};

// Milliseconds from calling `open` to the first paint of what it opened.
double TimeToFirstPaint(const std::function<std::unique_ptr<QWidget>()>& open) {
  const QWidget* window = nullptr;
  FirstPaint watch(window);
  qApp->installEventFilter(&watch);
  const auto start = Clock::now();
  std::unique_ptr<QWidget> opened = open();
  window = opened.get();
  opened->show();
  while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  qApp->removeEventFilter(&watch);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "korvid-first-paint-bench";
  constexpr int kRuns = 15;
  std::vector<double> window, bare;
  for (int run = 0; run < kRuns; ++run) {
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    window.push_back(TimeToFirstPaint([&home] {
      return std::make_unique<korvid::ui::TUIForm>(
          korvid::ui::WindowSetup{korvid::settings::StoreLocation{home / ".config"}, home.string(), "", {}});
    }));
    bare.push_back(TimeToFirstPaint([] {
      auto plain = std::make_unique<QMainWindow>();
      plain->resize(288, 480);
      return plain;
    }));
  }
  std::filesystem::remove_all(home);
  std::printf("platform %s, %d runs\n", qPrintable(QGuiApplication::platformName()), kRuns);
  std::printf("first paint, empty list: Korvid window %.1f ms (first %.1f ms, max %.1f ms); bare QMainWindow %.1f ms\n",
              Median(window), window.front(), *std::max_element(window.begin(), window.end()), Median(bare));
  return 0;
}
