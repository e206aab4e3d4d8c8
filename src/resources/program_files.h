#pragma once
// Korvid is three programs: `korvid`, the one people run, answers the
// report options itself and hands every other start over to the window
// program or to the runner without a window. Those two live beside it in a
// build or a portable copy, and in <prefix>/libexec/korvid once installed,
// with the module of codec jobs that the runner opens beside the runner.
// Whatever names "the program" to the outside (Send To entries, the saved
// preferences, the plug-in folders) names `korvid`.

#include <filesystem>
#include <string_view>

namespace korvid::resources {

inline constexpr std::string_view kFrontProgramName = "korvid";
inline constexpr std::string_view kWindowProgramName = "korvid-window";
inline constexpr std::string_view kRunnerProgramName = "korvid-run";
inline constexpr std::string_view kCodecModuleName = "korvid-codecs.so";

// The executable of this process; empty when it cannot be read.
std::filesystem::path RunningProgram();

// `korvid` for a program at `running`: for the window program and the
// runner the `korvid` beside them, or <prefix>/bin/korvid when they are in
// <prefix>/libexec/korvid; any other program stands for itself.
std::filesystem::path FrontProgramFor(const std::filesystem::path& running);
std::filesystem::path FrontProgram();

// Where `korvid` at `front` finds the program `name`: beside it when it is
// there, else in <prefix>/libexec/korvid when `front` is in <prefix>/bin.
std::filesystem::path HelperProgramFor(const std::filesystem::path& front, std::string_view name);

}  // namespace korvid::resources
