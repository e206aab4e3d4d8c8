#pragma once
// A video list view for tests: keeps what the list told it and can run a
// hook whenever the list lets events run.

#include <functional>
#include <string>
#include <vector>

#include "list/video_list_view.h"

namespace korvid::test {

class RecordingListView : public list::VideoListView {
 public:
  void StatusRefreshed(const list::ListStatus& status) override { last_status = status; ++refreshes; }
  void BatchStarted(const std::string& message) override { batch_messages.push_back(message); }
  void BatchEnded() override { ++batches_ended; }
  void SetStatusText(const std::string& text) override { status_texts.push_back(text); }
  void ShowCurrentEntry(const media::TAfficherFichier* record) override {
    shown.push_back(record != nullptr ? record->fullName : std::string());
  }
  void StopPlayback() override { ++playback_stops; }
  void ProcessEvents() override {
    ++events_processed;
    if (on_events) on_events();
  }

  list::ListStatus last_status;
  int refreshes = 0;
  std::vector<std::string> batch_messages;
  int batches_ended = 0;
  std::vector<std::string> status_texts;
  std::vector<std::string> shown;
  int playback_stops = 0;
  int events_processed = 0;
  std::function<void()> on_events;
};

}  // namespace korvid::test
