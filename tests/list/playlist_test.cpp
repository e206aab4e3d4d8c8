// Playlists: the exact file, round trips, hand-edited files, loading twice
// and loading into another order.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commands/process_flags.h"
#include "list/playlist.h"
#include "media/avi_stream_analysis.h"
#include "support/list_samples.h"
#include "support/recording_list_view.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  const auto bytes = test::ReadWholeFile(path);
  return {bytes.begin(), bytes.end()};
}

void WriteText(const fs::path& path, const std::string& text) {
  test::WriteWholeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

list::PlaylistStamp FixedStamp() {
  list::PlaylistStamp stamp;
  stamp.version = "5.3.6";
  stamp.webAddress = "https://korvid.example.org";
  stamp.now = {2024, 3, 9, 17, 5, 42};
  stamp.dateFormat = "yyyy/mm/dd hh:nn:ss";
  stamp.locale = settings::EnglishLocaleFormats();
  return stamp;
}

class PlaylistTest : public ::testing::Test {
 protected:
  void SetUp() override { commands::Flags().ClearAborts(); }
  void TearDown() override { commands::Flags().ClearAborts(); }

  std::unique_ptr<list::VideoList> MakeList(int order) {
    return std::make_unique<list::VideoList>(
        view_, media::AnalyseFile, test::PlainDatecodeFormat(),
        QLocale(QLocale::English, QLocale::UnitedStates), order, false, commands::Flags());
  }
  static std::vector<std::string> Paths(const list::VideoList& list) {
    std::vector<std::string> paths;
    for (int i = 0; i < list.Count(); ++i) paths.push_back(list.Entry(i).record->fullName);
    return paths;
  }

  test::TempDir dir_;
  test::RecordingListView view_;
};

TEST_F(PlaylistTest, AnEmptyListWritesTheHeaderAndFooterOnly) {
  auto list = MakeList(0);
  const fs::path file = dir_ / "empty.txt";
  list::SavePlaylist(*list, file, FixedStamp());
  EXPECT_EQ(ReadText(file),
            "# -------------------------------------------------------------\r\n"
            "#\r\n"
            "# Playlist of Korvid version 5.3.6 En\r\n"
            "#\r\n"
            "# -------------------------------------------------------------\r\n"
            "# Visit my website : https://korvid.example.org\r\n"
            "\r\n"
            "\r\n"
            "# -------------------------------------------------------------\r\n"
            "# 0 file sorted by datecode\r\n"
            "# Done on 2024/03/09 17:05:42\r\n");
}

TEST_F(PlaylistTest, FooterCountsWithTheDoublePluralAndNamesTheOrder) {
  const auto stamp = FixedStamp();
  const std::string one = list::PlaylistText({"/a.avi"}, 2, stamp);
  EXPECT_NE(one.find("\r\n     /a.avi\r\n\r\n"), std::string::npos);
  EXPECT_NE(one.find("# 1 file sorted by filesize\r\n"), std::string::npos);
  const std::string three = list::PlaylistText({"/a.avi", "/b.avi", "/c.avi"}, 0, stamp);
  EXPECT_NE(three.find("# 3 files sorteds by datecode\r\n"), std::string::npos);
  EXPECT_NE(list::PlaylistText({}, 1, stamp).find("sorted by alphabetical order"), std::string::npos);
  EXPECT_NE(list::PlaylistText({}, 3, stamp).find("sorted by filedate"), std::string::npos);
}

TEST_F(PlaylistTest, RoundTripKeepsEveryPathIncludingBlanksAndAccents) {
  auto list = MakeList(1);
  const std::vector<std::string> files{
      test::PlaceSample("pal_type1.avi", dir_ / "My Clips/caf\xC3\xA9 1.avi").string(),
      test::PlaceSample("ntsc_type2.avi", dir_ / "b.avi").string(),
      test::PlaceSample("pal_wide.avi", dir_ / "c.avi").string()};
  for (const auto& file : files) list->AddFile(file);
  const fs::path playlist = dir_ / "list.txt";
  list::SavePlaylist(*list, playlist, FixedStamp());
  EXPECT_EQ(list::PlaylistPaths(ReadText(playlist)), Paths(*list));

  auto loaded = MakeList(1);
  list::LoadPlaylist(*loaded, playlist);
  EXPECT_EQ(Paths(*loaded), Paths(*list));
  EXPECT_EQ(view_.batch_messages.back(), "Open the playlist " + playlist.string());

  // Loading again adds nothing for unchanged files.
  list::LoadPlaylist(*loaded, playlist);
  EXPECT_EQ(loaded->Count(), 3);
}

TEST_F(PlaylistTest, AHandEditedPlaylistLoadsOnlyItsPaths) {
  const auto a = test::PlaceSample("pal_type1.avi", dir_ / "a.avi");
  const auto b = test::PlaceSample("ntsc_type2.avi", dir_ / "b.avi");
  const auto notes = dir_ / "notes.txt";
  WriteText(notes, "text");
  const fs::path playlist = dir_ / "edited.txt";
  WriteText(playlist,
            "\xEF\xBB\xBF# saved by hand\n"
            "\n"
            "   # an indented comment\r\n"
            "\t" + a.string() + "  \t\r\n"
            "\r\n" +
                (dir_ / "gone.avi").string() + "\n" + notes.string() + "\n" + b.string());
  auto list = MakeList(0);
  list::LoadPlaylist(*list, playlist);
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{b.string(), a.string()}));
}

TEST_F(PlaylistTest, EntriesTakeTheListsOrderNotTheFilesOrder) {
  auto by_size = MakeList(2);
  const auto older = test::PlaceSample("ntsc_type2.avi", dir_ / "older.avi");  // 2003, larger
  const auto newer = test::PlaceSample("pal_type1.avi", dir_ / "newer.avi");   // 2005, smaller
  by_size->AddFile(older.string());
  by_size->AddFile(newer.string());
  ASSERT_EQ(Paths(*by_size), (std::vector<std::string>{newer.string(), older.string()}));
  const fs::path playlist = dir_ / "by_size.txt";
  list::SavePlaylist(*by_size, playlist, FixedStamp());

  auto by_datecode = MakeList(0);
  list::LoadPlaylist(*by_datecode, playlist);
  EXPECT_EQ(Paths(*by_datecode), (std::vector<std::string>{older.string(), newer.string()}));
}

TEST_F(PlaylistTest, RelativePathsResolveAgainstTheWorkingFolder) {
  test::PlaceSample("pal_type1.avi", dir_ / "clips/a.avi");
  const fs::path playlist = dir_ / "elsewhere/rel.txt";
  fs::create_directories(playlist.parent_path());
  WriteText(playlist, "     clips/a.avi\r\n");
  const fs::path keep = fs::current_path();
  fs::current_path(dir_.path());
  auto list = MakeList(0);
  list::LoadPlaylist(*list, playlist);
  fs::current_path(keep);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Entry(0).record->fullName, (dir_ / "clips/a.avi").string());
}

TEST_F(PlaylistTest, AMissingPlaylistDoesNothingAndAFailedSaveSaysWhy) {
  auto list = MakeList(0);
  list::LoadPlaylist(*list, dir_ / "none.txt");
  EXPECT_TRUE(view_.batch_messages.empty());

  const fs::path blocker = dir_ / "file";
  WriteText(blocker, "x");
  try {
    list::SavePlaylist(*list, blocker / "list.txt", FixedStamp());
    FAIL() << "saving under a file must fail";
  } catch (const list::PlaylistError& error) {
    EXPECT_NE(std::string(error.what()).find("list.txt"), std::string::npos);
  }
}

TEST_F(PlaylistTest, AbortStopsALoadBetweenTwoLines) {
  const auto a = test::PlaceSample("pal_type1.avi", dir_ / "a.avi");
  const auto b = test::PlaceSample("pal_type1.avi", dir_ / "b.avi");
  const fs::path playlist = dir_ / "p.txt";
  WriteText(playlist, a.string() + "\r\n" + b.string() + "\r\n");
  auto list = MakeList(1);
  int lines = 0;
  view_.on_events = [&lines] {
    if (++lines == 2) commands::Flags().AbortCommand = true;
  };
  list::LoadPlaylist(*list, playlist);
  EXPECT_EQ(list->Count(), 1);
  EXPECT_FALSE(commands::Flags().AbortCommand);
}

// The most memory this process has held so far, in KiB.
long PeakKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A line without an end in sight (256 MiB of a sparse file) once went into
// memory whole. Lines longer than any path are skipped, the long one
// without being held; the entries around them still load.
TEST_F(PlaylistTest, LinesLongerThanAnyPathAreSkippedWithoutBeingHeld) {
  const auto a = test::PlaceSample("pal_type1.avi", dir_ / "a.avi");
  const auto b = test::PlaceSample("pal_type1.avi", dir_ / "b.avi");
  const fs::path playlist = dir_ / "long.txt";
  WriteText(playlist, "     " + a.string() + "\r\n     /none/");
  constexpr std::uintmax_t kLineBytes = std::uintmax_t{256} << 20;
  fs::resize_file(playlist, kLineBytes);
  {
    std::ofstream out(playlist, std::ios::binary | std::ios::app);
    // One byte too long to be a path, then one that is.
    out << "x.avi\r\n     /" << std::string(PATH_MAX - 1, 'y') << "\r\n     " << b.string() << "\r\n";
  }
  auto list = MakeList(1);
  const long before = PeakKib();
  list::LoadPlaylist(*list, playlist);
  EXPECT_LT(PeakKib() - before, 64 * 1024);
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{a.string(), b.string()}));
}

TEST(DefaultPlaylistTest, LivesInThePlaylistFolder) {
  EXPECT_EQ(list::DefaultPlaylistPath("/home/me/Documents/"), fs::path("/home/me/Documents/PlayList.txt"));
  EXPECT_EQ(list::DefaultPlaylistPath("/home/me/Documents"), fs::path("/home/me/Documents/PlayList.txt"));
}

}  // namespace
}  // namespace korvid
