// The sorted key list: collation, marker ranks, duplicates, and the order
// kept through many insertions.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "list/sort_key_list.h"
#include "list/video_list.h"
#include "commands/process_flags.h"
#include "support/list_samples.h"
#include "support/recording_list_view.h"
#include "support/test_env.h"

namespace korvid {
namespace {

QLocale English() { return QLocale(QLocale::English, QLocale::UnitedStates); }

TEST(SortKeyListTest, MarkedKeysFollowEveryDatecodeAndFailuresComeLast) {
  list::SortKeyList keys(English());
  keys.Add("\xFF" "a.avi/x/a.avi");
  keys.Add("\xFA" "b.avi/x/b.avi");
  keys.Add("20050814150211c.avi/x/c.avi");
  keys.Add("\xFA" "a.avi/x/a.avi");
  keys.Add("19991231235959z.avi/x/z.avi");
  ASSERT_EQ(keys.Size(), 5);
  EXPECT_EQ(keys.At(0), "19991231235959z.avi/x/z.avi");
  EXPECT_EQ(keys.At(1), "20050814150211c.avi/x/c.avi");
  EXPECT_EQ(keys.At(2), "\xFA" "a.avi/x/a.avi");
  EXPECT_EQ(keys.At(3), "\xFA" "b.avi/x/b.avi");
  EXPECT_EQ(keys.At(4), "\xFF" "a.avi/x/a.avi");
}

TEST(SortKeyListTest, AnExistingKeyInsertsNothingAndGivesItsIndex) {
  list::SortKeyList keys(English());
  keys.Add("b");
  keys.Add("a");
  const auto again = keys.Add("b");
  EXPECT_FALSE(again.inserted);
  EXPECT_EQ(again.index, 1);
  EXPECT_EQ(keys.Size(), 2);
  keys.RemoveAt(0);
  EXPECT_EQ(keys.At(0), "b");
  EXPECT_THROW(keys.RemoveAt(3), std::out_of_range);
}

TEST(SortKeyListTest, CollationIgnoresCaseButKeepsDifferentKeysApart) {
  list::SortKeyList keys(English());
  EXPECT_LT(keys.Compare("\xC3\x81" "bc", "abd"), 0);  // Ábc before abd
  EXPECT_LT(keys.Compare("abd", "B"), 0);
  EXPECT_NE(keys.Compare("\xC3\x89" "a", "\xC3\xA9" "a"), 0);
  // Hexadecimal digits of size keys: digits before letters, whatever the case.
  EXPECT_LT(keys.Compare("00000000000000090", "000000000000000A0"), 0);
}

// What each addition costs is timed by bench/list_add_bench.
TEST(SortKeyListTest, TenThousandRandomInsertionsStayInOrder) {
  list::SortKeyList keys(English());
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> letter('a', 'z');
  for (int n = 0; n < 10000; ++n) {
    std::string key;
    for (int i = 0; i < 12; ++i) key += static_cast<char>(letter(random));
    keys.Add(key);
  }
  for (int i = 1; i < keys.Size(); ++i) ASSERT_LT(keys.Compare(keys.At(i - 1), keys.At(i)), 0);
}

// A sort places every key at once; it must end where adding them one by
// one would, each key told where it went and every repeat refused.
TEST(SortKeyListTest, AssigningKeysAtOnceOrdersThemAsAddingOneByOne) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> letter(0, 6);
  std::vector<std::string> keys;
  for (int n = 0; n < 3000; ++n) {
    std::string key;
    for (int i = 0; i < 4; ++i) key += "aAbB\xC3\xA9\xFA"[letter(random)];
    if (n % 7 == 0) key.insert(0, "\xFF");
    keys.push_back(key);
  }
  list::SortKeyList added(English());
  for (const std::string& key : keys) added.Add(key);
  list::SortKeyList assigned(English());
  assigned.Add("left over");
  const std::vector<int> placed = assigned.Assign(keys);

  ASSERT_EQ(assigned.Size(), added.Size());
  for (int i = 0; i < added.Size(); ++i) ASSERT_EQ(assigned.At(i), added.At(i)) << i;
  ASSERT_EQ(placed.size(), keys.size());
  std::set<std::string> seen;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (seen.insert(keys[i]).second)
      EXPECT_EQ(placed[i], added.Find(keys[i])) << i;
    else
      EXPECT_EQ(placed[i], -1) << i;
  }
}

TEST(SortKeyListTest, TheVideoListKeepsAThousandAddedFilesInOrder) {
  commands::Flags().ClearAborts();
  test::TempDir dir;
  test::RecordingListView view;
  // The records are made up from the path: this measures the list, not the analysis.
  list::VideoList videos(
      view,
      [](const std::filesystem::path& path, const media::DatecodeFormat&) {
        media::TAfficherFichier record;
        media::SetNameFields(path, record);
        record.datecodeKey = std::string(media::kNoDatecodeKey);
        record.datecodeNameKey = record.datecodeKey + media::AsciiLower(record.name + record.fullName);
        return record;
      },
      {}, English(), 0, false, commands::Flags());
  std::mt19937 random(7);
  for (int n = 0; n < 1000; ++n) {
    const auto path = dir / ("f" + std::to_string(random()) + "_" + std::to_string(n) + ".avi");
    { std::ofstream touch(path); }
    ASSERT_GE(videos.AddFile(path.string()), 0);
  }
  EXPECT_EQ(videos.Count(), 1000);
  for (int i = 1; i < videos.Count(); ++i)
    ASSERT_LT(videos.Keys().Compare(videos.Keys().At(i - 1), videos.Keys().At(i)), 0);
}

}  // namespace
}  // namespace korvid
