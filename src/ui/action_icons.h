#pragma once
// Korvid's own images for the window's commands and for the program.

#include <QIcon>

#include "commands/window_actions.h"

namespace korvid::ui {

// The action's own image; image 15 (a generic command) for one that has
// only that; none for the rest.
QIcon ActionIcon(const commands::WindowAction& action);
QIcon ApplicationIcon();
// The two toggles show their state: the speaker struck through while the
// sound is off, the datecode crossed out while it is shown (a click hides it).
QIcon SoundIcon(bool muted);
QIcon DatecodeIcon(bool shown);

}  // namespace korvid::ui
