#pragma once
// The scene overview: a window beside the main one with a still of every
// scene of the current file over its damage strip, as the contact sheet
// draws them. A click on a scene moves the player to its first frame. The
// file is read on a worker thread; a new file stops the reading of the
// old one.

#include <QDialog>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "media/video_record.h"

class QLabel;
class QListWidget;

namespace korvid::ui {

class TSceneOverviewForm final : public QDialog {
  Q_OBJECT

 public:
  explicit TSceneOverviewForm(QWidget* parent = nullptr);
  ~TSceneOverviewForm() override;

  // Shows the scenes of `entry`, read again only when the file changed
  // (its name, size or date); null or a file without DV clears the window.
  void ShowFile(const media::TAfficherFichier* entry, const media::DatecodeFormat& format);
  // Shows the window, placed beside `main` the first time it opens.
  void ShowBeside(const QWidget& main);

  // Called with the first frame of the scene clicked.
  std::function<void(std::int64_t frame)> onSceneChosen;

  QListWidget* Scenes() const { return scenes_; }
  QLabel* Status() const { return status_; }
  // Whether a file is being read.
  bool Reading() const { return worker_.joinable() && !done_->load(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Result;
  void StopReading();
  void ShowResult(std::uint64_t ticket, const std::shared_ptr<Result>& result);

  QListWidget* scenes_ = nullptr;
  QLabel* status_ = nullptr;
  std::string shownKey_;  // the file shown or being read, by name, size and date
  std::uint64_t ticket_ = 0;
  std::shared_ptr<std::atomic<bool>> abort_ = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<std::atomic<bool>> done_ = std::make_shared<std::atomic<bool>>(true);
  std::thread worker_;
};

}  // namespace korvid::ui
