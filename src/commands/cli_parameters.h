#pragma once
// What the parameters of a start say: which are switch parameters, what
// kind of run they ask for, and the one way the rest reach the list. The
// `korvid` program decides with these alone which program runs a start,
// so nothing here reaches a command.

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "list/video_list.h"

namespace korvid::commands {

// A parameter that names anything that exists is a path, whatever it
// looks like (a folder called "+new"). Otherwise it is a switch parameter
// when it begins with "+" and holds no ".", or when it is "/?" (the help
// asked the old way). Every other parameter beginning with "/" is a path:
// a mistyped absolute path must never turn into commands.
bool IsSwitchParameter(std::string_view parameter);

// Whether a switch parameter holds `text` (compared in lower case).
bool SwitchHas(std::string_view parameter, std::string_view text);

enum class RunKind { kNone, kVisible, kHidden };
// No parameter: none; a switch parameter with "h": hidden; else visible.
RunKind DecideRunKind(const std::vector<std::string>& parameters);

// What the switch parameters of a visible run ask for, examined in order
// up to a "?" (help: open the About panel's command-line page, run nothing).
struct VisibleRunPlan {
  bool help = false;
  bool noConfirmation = false;
  bool closeAfterCommands = false;
};
VisibleRunPlan ExamineVisibleRun(const std::vector<std::string>& parameters);

// The files named on the command line itself (not found by a folder scan),
// and whether one parameter named nothing that can be listed.
struct ListedParameters {
  std::set<std::string> named;
  bool unusable = false;
};
// Told about a parameter that names nothing to list, with why ("no such
// file or folder").
using UnusableParameter = std::function<void(const std::string& parameter, const std::string& why)>;

// Every parameter that is no switch, in order, as one batch: folders are
// scanned for AVI files as "Open a folder..." does, files are offered to
// the list as they stand. A stop request or an aborted scan ends the walk.
ListedParameters ListParameters(list::VideoList& list, const std::vector<std::string>& parameters,
                                const UnusableParameter& unusable);

}  // namespace korvid::commands
