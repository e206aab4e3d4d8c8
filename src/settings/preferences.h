#pragma once
// The user's preferences as one typed set of values. Their stored names,
// types and defaults live in preference_table.h; this header only holds the
// values. A default-constructed object is blank: use DefaultPreferences().

#include <string>
#include <vector>

namespace korvid::settings {

// The font of the datecode overlay.
struct IncrustFont {
  int size = 0;
  int color = 0;  // 0x00BBGGRR
  std::string name;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;

  // Bits 1 bold, 2 italic, 4 underline, 8 strike-out.
  int StyleBits() const;
  void SetStyleBits(int bits);

  friend bool operator==(const IncrustFont&, const IncrustFont&) = default;
};

// Whether one action of the main window is offered in the settings panel's
// command list, and ticked there.
struct ActionChoice {
  static constexpr int kNotListed = -1;
  static constexpr int kUnticked = 0;
  static constexpr int kTicked = 1;

  std::string name;
  int state = kNotListed;

  friend bool operator==(const ActionChoice&, const ActionChoice&) = default;
};

// Sort orders of the video list, as stored.
enum class ListOrder { ByDatecode = 0, ByName = 1, BySize = 2, ByFileDate = 3 };

struct Preferences {
  int top = 0;
  int left = 0;
  int listOrder = 0;  // a ListOrder value
  bool saveOnQuit = false;
  bool selectOnOpen = false;
  bool saveListOnQuit = false;
  bool saveInSameFolder = false;
  std::string openFolder;
  std::string autoOpenFolder;
  std::string outputFolder;
  std::string playlistFolder;
  std::string frameGrabProgram;
  int defaultStandard = 0;  // 1 PAL, 2 NTSC
  std::string addDatecodeFormat;
  std::string displayDatecodeFormat;
  std::string renameFormat;
  std::string renameRoot;
  bool autoFontSize = false;
  bool automaticInlay = false;
  int inlayDurationSeconds = 0;
  int clockOffsetHours = 0;
  bool sendTo = false;
  int inlayPositionX = 0;
  int inlayPositionY = 0;  // 1000 minus the vertical slider's value
  bool muteOn = false;
  bool inlayOn = false;
  bool inlaySlidersVisible = false;
  int mp4Quality = 0;  // x264 constant rate factor: lower is better and larger
  std::string timeZone;  // IANA name the datecodes were recorded in; empty: the system's
  bool soundLocked = false;   // extracted sound resampled to end with the picture
  bool fourChannels = false;  // four-channel recordings: all four in the WAV, pairs mixed in the MP4

  std::vector<ActionChoice> actions;
  IncrustFont incrustFont;

  friend bool operator==(const Preferences&, const Preferences&) = default;
};

// The vertical overlay slider runs the other way round from the stored value.
constexpr int kInlayPositionRange = 1000;
constexpr int VerticalSliderFromStored(int stored) { return kInlayPositionRange - stored; }
constexpr int StoredFromVerticalSlider(int slider) { return kInlayPositionRange - slider; }

}  // namespace korvid::settings
