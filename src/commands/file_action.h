#pragma once
// A file action: one command that acts on files of the video list, with its
// texts, shortcut, command-line switch and up to four handlers. The runners
// (runners.h) call the handlers in a fixed order; what a command does to a
// file is the business of its handlers.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "commands/update_type.h"
#include "media/video_record.h"

namespace korvid::commands {

class SceneWriter;

// Private data handed to every handler of an action, copied by value.
// Key is the action's own name for the two scene scans, empty for the
// other built-in actions.
struct TParam {
  std::string Key;  // at most 255 bytes
  // A plug-in's own data, handed back to its handlers untouched; never
  // read by the program.
  std::int32_t DataSize = 0;
  void* Data = nullptr;
  // The writer a scene scan puts its scenes into; null for every other
  // action, plug-ins' included.
  SceneWriter* sceneWriter = nullptr;
};

// Handlers receive the list's full record; TAfficherFichier is a
// TBaseFichier, so a handler written against the root class takes it too.
using TExecutionEvent =
    std::function<void(const TParam& param, const media::TAfficherFichier& fichier, std::string& newfichier,
                       TchUpdateType& update)>;
using TConfirmationEvent =
    std::function<void(const TParam& param, const media::TAfficherFichier& fichier, std::string& confirmMsg)>;
using TFileConditionEvent =
    std::function<void(const TParam& param, const media::TAfficherFichier& fichier, bool& visible, bool& enabled)>;
using TGeneralConditionEvent = std::function<void(const TParam& param, bool& visible)>;

// Shortcuts are kept as their text ("Ctrl+D", "F5", "Shift+Esc"). Writing
// normalises a text: modifiers in the order Ctrl, Shift, Alt, Meta, key
// names in their usual spelling, single letters upper-case. A text that is
// not a shortcut normalises to "" (no shortcut).
std::string NormaliseShortcut(std::string_view text);

class tFileAction {
 public:
  explicit tFileAction(std::string name = {}) : name_(std::move(name)) {}

  // Component part: the name the registry and the window use, the owner
  // (empty for plug-in actions made without one) and the menu tag.
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  int Tag = 0;

  TParam Param;
  std::string Modele;
  std::string MonoMessage;
  std::string Caption;
  TConfirmationEvent OnConfirmation;
  TExecutionEvent OnExecution;
  TFileConditionEvent OnFileCondition;
  TGeneralConditionEvent OnGeneralCondition;

  std::string Shortcut() const { return shortcut_; }
  void SetShortcut(std::string_view text) { shortcut_ = NormaliseShortcut(text); }
  // Stored lower-case; read lower-case again.
  std::string Switch() const;
  void SetSwitch(std::string_view text);

 private:
  std::string name_;
  std::string shortcut_;
  std::string switch_;
};

// The longest question a confirmation may ask as it stands.
inline constexpr std::size_t kMaxConfirmationBytes = 254;
// True when `text` is short enough to be asked as it stands.
inline bool FitsConfirmation(std::string_view text) { return text.size() <= kMaxConfirmationBytes; }
// `text` cut to at most `bytes` bytes without splitting a UTF-8 character.
std::string CutUtf8(std::string_view text, std::size_t bytes);

}  // namespace korvid::commands
