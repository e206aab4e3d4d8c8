#pragma once
// Why a file cannot be played, by how far opening it got, so that the
// player can say which step failed.

#include <string>

#include "resources/user_error.h"

namespace korvid::graphs {

enum class PlaybackStage {
  kUnreadable = 1,  // missing or cannot be read
  kNotAvi = 2,      // not an AVI file, or one with neither picture nor sound
  kNoDecoder = 4,   // no decoder for the picture's codec
};

class PlaybackError : public UserError {
 public:
  PlaybackError(PlaybackStage stage, const std::string& text) : UserError(text), stage_(stage) {}
  PlaybackStage Stage() const { return stage_; }

 private:
  PlaybackStage stage_;
};

}  // namespace korvid::graphs
