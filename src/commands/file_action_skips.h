#pragma once
// Why a command leaves a file alone, in words for the run report: what
// each built-in file condition asks of a file, and which commands may act
// only on files the user named himself.

#include <string>
#include <string_view>

namespace korvid::commands {

// What the file lacks when the condition of the file action `name` says no;
// a general text for conditions without words of their own.
std::string ConditionFailedText(std::string_view name);

// The commands that delete ("Delete the file", "Delete the scn file"):
// they act only on files named on the command line, never on files a
// folder scan found.
bool DeletesFiles(std::string_view name);

}  // namespace korvid::commands
