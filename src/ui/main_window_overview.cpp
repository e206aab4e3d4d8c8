// The main window's part in the scene overview: it opens the window on
// the current file, keeps it on the current file, and lets a click on a
// scene move the player.

#include "settings/system_locale.h"
#include "ui/main_window.h"
#include "ui/player_frame.h"
#include "ui/scene_overview_form.h"

namespace korvid::ui {

namespace {

media::DatecodeFormat DisplayFormat(commands::CoreSession& session) {
  return {session.Preferences().values().displayDatecodeFormat, settings::SystemLocaleFormats()};
}

}  // namespace

void TUIForm::OpenSceneOverview() {
  if (!sceneOverview_->onSceneChosen) {
    sceneOverview_->onSceneChosen = [this](std::int64_t frame) {
      if (player_ == nullptr) return;
      player_->PausePlayer();
      player_->SeekToFrame(frame);
    };
  }
  sceneOverview_->ShowBeside(*this);
  sceneOverview_->ShowFile(session_->List().Current(), DisplayFormat(*session_));
}

void TUIForm::FollowInOverview(const media::TAfficherFichier* record) {
  if (sceneOverview_ == nullptr || !sceneOverview_->isVisible() || !session_) return;
  sceneOverview_->ShowFile(record, DisplayFormat(*session_));
}

}  // namespace korvid::ui
