#include "list/playlist.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <climits>
#include <cstring>
#include <fstream>
#include <optional>

#include "settings/file_replacement.h"
#include "settings/system_locale.h"
#include "resources/product.h"
#include "resources/string_table.h"

namespace korvid::list {

namespace {

constexpr std::string_view kHyphenLine = "# -------------------------------------------------------------";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kEntryIndent = "     ";

using resources::Text;

std::string_view OrderText(int order) {
  switch (order) {
    case 1: return resources::Str(Text::kPlaylistByAlphabet);
    case 2: return resources::Str(Text::kPlaylistByFilesize);
    case 3: return resources::Str(Text::kPlaylistByFiledate);
    default: return resources::Str(Text::kPlaylistByDatecode);
  }
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trim(std::string_view line) {
  while (!line.empty() && IsBlankOrControl(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlankOrControl(line.back())) line.remove_suffix(1);
  return line;
}

// Editors on some systems start UTF-8 text with a byte order mark.
std::string_view WithoutByteOrderMark(std::string_view line) {
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  if (line.substr(0, kMark.size()) == kMark) line.remove_prefix(kMark.size());
  return line;
}

// No path the system opens is longer (PATH_MAX counts the closing zero).
constexpr std::size_t kLongestPath = PATH_MAX - 1;
// A line is read into memory up to the longest path with room for its
// indentation and line end; the rest of a longer line is only skipped.
constexpr std::size_t kLongestLine = kLongestPath + 64;

std::string EntryPathOf(std::string_view raw, bool first) {
  if (raw.size() > kLongestLine) return {};
  const std::string_view line = Trim(first ? WithoutByteOrderMark(raw) : raw);
  if (line.empty() || line.front() == '#' || line.size() > kLongestPath) return {};
  return std::string(line);
}

// The next line of `in` without its "\n", or nothing at the end. A line
// longer than kLongestLine comes back cut to kLongestLine + 1 bytes, which
// EntryPathOf skips: a file of one endless line costs no more memory.
std::optional<std::string> ReadBoundedLine(std::istream& in) {
  std::streambuf& buffer = *in.rdbuf();
  std::string line;
  for (int c = buffer.sbumpc();; c = buffer.sbumpc()) {
    if (c == std::char_traits<char>::eof()) {
      if (line.empty()) return std::nullopt;
      break;
    }
    if (c == '\n') break;
    if (line.size() <= kLongestLine) line.push_back(static_cast<char>(c));
  }
  return line;
}

}  // namespace

PlaylistStamp CurrentPlaylistStamp(const std::string& dateFormat) {
  PlaylistStamp stamp;
  stamp.version = std::string(resources::kProductVersion);
  stamp.webAddress = std::string(resources::kMakerWebAddress);
  const QDateTime now = QDateTime::currentDateTime();
  stamp.now = {now.date().year(),   now.date().month(),  now.date().day(),
               now.time().hour(),   now.time().minute(), now.time().second()};
  stamp.dateFormat = dateFormat;
  stamp.locale = settings::SystemLocaleFormats();
  return stamp;
}

std::string PlaylistText(const std::vector<std::string>& fullPaths, int order, const PlaylistStamp& stamp) {
  std::string text;
  auto line = [&text](std::string_view content) {
    text += content;
    text += kLineEnd;
  };
  line(kHyphenLine);
  line("#");
  line(resources::Fill(Text::kPlaylistTitle, {stamp.version}));
  line("#");
  line(kHyphenLine);
  line(resources::Fill(Text::kPlaylistWebSite, {stamp.webAddress}));
  line("");
  for (const std::string& path : fullPaths) line(std::string(kEntryIndent) + path);
  line("");
  line(kHyphenLine);
  const Text count = fullPaths.size() >= 2 ? Text::kPlaylistCountMany : Text::kPlaylistCountOne;
  line(resources::Fill(count, {std::to_string(fullPaths.size())}).append(OrderText(order)));
  line(resources::Fill(Text::kPlaylistDoneOn,
                       {settings::FormatDateTime(stamp.dateFormat, stamp.now, stamp.locale)}));
  return text;
}

std::vector<std::string> PlaylistPaths(std::string_view text) {
  std::vector<std::string> paths;
  std::size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string path = EntryPathOf(text.substr(start, end - start), first);
    if (!path.empty()) paths.push_back(std::move(path));
    first = false;
    start = end + 1;
  }
  return paths;
}

void SavePlaylist(VideoList& list, const std::filesystem::path& path, const PlaylistStamp& stamp) {
  list.View().ProcessEvents();
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) paths.push_back(list.Entry(i).record->fullName);
  const std::string text = PlaylistText(paths, list.Order(), stamp);

  if (const int why = settings::ReplaceFile(path, text); why != 0)
    throw PlaylistError(resources::Fill(Text::kPlaylistCannotWrite, {path.string(), std::strerror(why)}));
}

void LoadPlaylist(VideoList& list, const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return;
  list.BeginBatch(resources::Fill(Text::kOpenPlaylist, {path.string()}));
  if (!list.Flags().AbortCommand) {
    std::ifstream in(path, std::ios::binary);
    bool first = true;
    while (in && !list.Flags().AbortCommand) {
      list.View().ProcessEvents();
      if (list.Flags().AbortCommand) break;
      const std::optional<std::string> raw = ReadBoundedLine(in);
      if (!raw) break;
      const std::string entry = EntryPathOf(*raw, first);
      first = false;
      if (!entry.empty()) list.AddFile(entry);
    }
  }
  list.EndBatch();
}

std::filesystem::path DefaultPlaylistPath(const std::string& playlistFolder) {
  std::string folder = playlistFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return std::filesystem::path(folder + std::string(kDefaultPlaylistName));
}

}  // namespace korvid::list
