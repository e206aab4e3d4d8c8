// Adds files one at a time to the video list and to its bare key list,
// at two sizes, and prints the time per addition at each. An addition
// that costs a binary search keeps the per-file time nearly flat from the
// small list to the one eight times larger; one that resorts or compares
// against every key grows with the list.
//
//   list_add_bench [files]   (default 8000; the small run has an eighth of them)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <QLocale>

#include "list/sort_key_list.h"
#include "list/video_list.h"
#include "media/video_record.h"
#include "settings/process_flags.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double MicrosPerItem(Clock::time_point start, int items) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / items;
}

double KeyListMicros(int keys) {
  korvid::list::SortKeyList list(QLocale(QLocale::English, QLocale::UnitedStates));
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::vector<std::string> texts(static_cast<std::size_t>(keys));
  for (std::string& text : texts)
    for (int i = 0; i < 12; ++i) text += static_cast<char>(letter(random));
  const auto start = Clock::now();
  for (const std::string& text : texts) list.Add(text);
  return MicrosPerItem(start, keys);
}

// The records are made up from the path: this times the list, not the analysis.
double VideoListMicros(const fs::path& folder, int files) {
  korvid::list::VideoListView view;
  korvid::settings::ProcessFlags flags;
  korvid::list::VideoList list(
      view,
      [](const fs::path& path, const korvid::media::DatecodeFormat&) {
        korvid::media::TAfficherFichier record;
        korvid::media::SetNameFields(path, record);
        record.datecodeKey = std::string(korvid::media::kNoDatecodeKey);
        record.datecodeNameKey = record.datecodeKey + korvid::media::AsciiLower(record.name + record.fullName);
        return record;
      },
      {}, QLocale(QLocale::English, QLocale::UnitedStates), 0, false, flags);
  std::vector<std::string> paths;
  for (const auto& entry : fs::directory_iterator(folder)) {
    paths.push_back(entry.path().string());
    if (static_cast<int>(paths.size()) == files) break;
  }
  const auto start = Clock::now();
  for (const std::string& path : paths) list.AddFile(path);
  return MicrosPerItem(start, static_cast<int>(paths.size()));
}

}  // namespace

int main(int argc, char** argv) {
  const int large = argc > 1 ? std::max(8, std::atoi(argv[1])) : 8000;
  const int small = large / 8;
  const fs::path folder = fs::temp_directory_path() / "korvid_list_add_bench";
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::mt19937 random(7);
  for (int n = 0; n < large; ++n)
    std::ofstream(folder / ("f" + std::to_string(random()) + "_" + std::to_string(n) + ".avi"));

  const double keys_small = KeyListMicros(small);
  const double keys_large = KeyListMicros(large);
  std::printf("key list:   %7.2f us per key at %d, %7.2f at %d (ratio %.2f)\n", keys_small, small, keys_large, large,
              keys_large / keys_small);
  const double list_small = VideoListMicros(folder, small);
  const double list_large = VideoListMicros(folder, large);
  std::printf("video list: %7.2f us per file at %d, %7.2f at %d (ratio %.2f)\n", list_small, small, list_large, large,
              list_large / list_small);
  fs::remove_all(folder);
  return 0;
}
