#pragma once
// FFmpeg's warnings and errors go to Korvid's log file, never to the
// terminal: a damaged or changing file can make the decoders say the same
// thing thousands of times.

#include <filesystem>

namespace korvid::graphs {

// "$XDG_STATE_HOME/Korvid/korvid.log", by default under ~/.local/state.
std::filesystem::path DefaultLogPath();

// From now on FFmpeg's messages are appended to `logFile` (its folder made
// when missing); a log grown past its limit is kept once as "*.old" and
// started afresh. When the file cannot be written the messages are dropped.
void SendFfmpegMessagesTo(const std::filesystem::path& logFile);

}  // namespace korvid::graphs
