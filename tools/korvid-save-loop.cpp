// Saves a playlist or the preferences over and over, switching between two
// contents, the way the program saves them; the fault tests kill it at
// random moments and then ask it what the saved file holds.
//   korvid-save-loop playlist FILE.txt ROUNDS CLIP.avi...
//       each round saves the list of all the clips, then of the first alone
//   korvid-save-loop playlist-check FILE.txt CLIP.avi...
//   korvid-save-loop preferences FOLDER ROUNDS
//       each round saves preference set "a", then set "b", into FOLDER
//   korvid-save-loop preferences-check FOLDER
// ROUNDS 0 goes on until killed; "saving" is printed when the first save
// starts. A check prints what the file holds ("all",
// "first", "a", "b") and exits 0, or says what is wrong and exits 1.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QLocale>

#include "list/playlist.h"
#include "list/video_list.h"
#include "list/video_list_view.h"
#include "media/avi_stream_analysis.h"
#include "settings/date_time_format.h"
#include "settings/preference_table.h"
#include "settings/preferences_store.h"

namespace {

namespace fs = std::filesystem;
using korvid::list::VideoList;
namespace settings = korvid::settings;

int Usage() {
  std::fprintf(stderr,
               "usage: korvid-save-loop playlist FILE.txt ROUNDS CLIP.avi...\n"
               "       korvid-save-loop playlist-check FILE.txt CLIP.avi...\n"
               "       korvid-save-loop preferences FOLDER ROUNDS\n"
               "       korvid-save-loop preferences-check FOLDER\n");
  return 2;
}

void SavingStarts() {
  std::printf("saving\n");
  std::fflush(stdout);
}

std::unique_ptr<VideoList> ListOf(korvid::list::VideoListView& view, const std::vector<std::string>& clips) {
  auto list = std::make_unique<VideoList>(view, korvid::media::AnalyseFile,
                                          korvid::media::DatecodeFormat{"yyyy-mm-dd hh:nn:ss",
                                                                        settings::EnglishLocaleFormats()},
                                          QLocale(QLocale::English, QLocale::UnitedStates), 1, false, korvid::settings::Flags());
  for (const std::string& clip : clips)
    if (list->AddFile(clip) < 0) throw std::runtime_error("cannot list " + clip);
  return list;
}

int SavePlaylists(const fs::path& file, long rounds, const std::vector<std::string>& clips) {
  korvid::list::VideoListView view;
  const auto all = ListOf(view, clips);
  const auto first = ListOf(view, {clips.front()});
  const korvid::list::PlaylistStamp stamp = korvid::list::CurrentPlaylistStamp("yyyy-mm-dd hh:nn:ss");
  SavingStarts();
  for (long n = 0; rounds == 0 || n < rounds; ++n) {
    korvid::list::SavePlaylist(*all, file, stamp);
    korvid::list::SavePlaylist(*first, file, stamp);
  }
  return 0;
}

// Whole: every line ended, the header, the entries and the footer all there.
int CheckPlaylist(const fs::path& file, const std::vector<std::string>& clips) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::printf("no playlist\n"), 1;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::vector<std::string> paths = korvid::list::PlaylistPaths(text);
  std::size_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0 || lines != paths.size() + 11)
    return std::printf("a partial playlist (%zu lines, %zu entries)\n", lines, paths.size()), 1;
  std::vector<std::string> full;
  for (const std::string& clip : clips) full.push_back(korvid::list::FullPathOf(clip));
  if (paths == full) return std::printf("all\n"), 0;
  if (paths == std::vector<std::string>{full.front()}) return std::printf("first\n"), 0;
  return std::printf("other entries (%zu)\n", paths.size()), 1;
}

// Two sets that differ in their first and last values written, with enough
// actions to make the file a few pages long.
settings::Preferences PreferenceSet(char which) {
  settings::Preferences preferences = settings::DefaultPreferences(settings::DefaultEnvironment{}, false);
  preferences.displayDatecodeFormat = std::string("set ") + which + " yyyy-mm-dd";
  preferences.incrustFont.name = std::string("Font ") + which;
  for (int i = 0; i < 300; ++i)
    preferences.actions.push_back({"amAction" + std::to_string(i) + which, settings::ActionChoice::kTicked});
  return preferences;
}

int SavePreferenceSets(const fs::path& folder, long rounds) {
  const settings::StoreLocation location{folder};
  const settings::SaveStamp stamp = settings::CurrentSaveStamp("1.0");
  const settings::Preferences a = PreferenceSet('a');
  const settings::Preferences b = PreferenceSet('b');
  SavingStarts();
  for (long n = 0; rounds == 0 || n < rounds; ++n) {
    settings::SavePreferences(location, a, stamp);
    settings::SavePreferences(location, b, stamp);
  }
  return 0;
}

int CheckPreferences(const fs::path& folder) {
  const settings::Preferences stored =
      settings::LoadPreferences(settings::StoreLocation{folder}, settings::DefaultEnvironment{});
  for (const char which : {'a', 'b'}) {
    const settings::Preferences expected = PreferenceSet(which);
    if (stored.displayDatecodeFormat == expected.displayDatecodeFormat &&
        stored.incrustFont.name == expected.incrustFont.name && stored.actions.size() == expected.actions.size())
      return std::printf("%c\n", which), 0;
  }
  std::printf("neither set: format '%s', font '%s', %zu actions\n", stored.displayDatecodeFormat.c_str(),
              stored.incrustFont.name.c_str(), stored.actions.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() >= 4 && args[0] == "playlist")
      return SavePlaylists(args[1], std::strtol(args[2].c_str(), nullptr, 10), {args.begin() + 3, args.end()});
    if (args.size() >= 3 && args[0] == "playlist-check") return CheckPlaylist(args[1], {args.begin() + 2, args.end()});
    if (args.size() == 3 && args[0] == "preferences")
      return SavePreferenceSets(args[1], std::strtol(args[2].c_str(), nullptr, 10));
    if (args.size() == 2 && args[0] == "preferences-check") return CheckPreferences(args[1]);
    return Usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvid-save-loop: %s\n", e.what());
    return 1;
  }
}
