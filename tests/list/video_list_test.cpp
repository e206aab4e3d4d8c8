// The video list on the generated clips: admission, the four orders,
// focus and selection through insertions, sorts, removals and the update
// reactions, batches and the status texts.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "commands/process_flags.h"
#include "list/video_list.h"
#include "media/avi_stream_analysis.h"
#include "media/binary_file.h"
#include "support/list_samples.h"
#include "support/recording_list_view.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;
using list::VideoList;

class VideoListTest : public ::testing::Test {
 protected:
  void SetUp() override { commands::Flags().ClearAborts(); }
  // Every test also checks that a view replaying the list's row calls kept its rows.
  void TearDown() override {
    commands::Flags().ClearAborts();
    EXPECT_EQ(view_.mismatches, std::vector<std::string>{});
  }

  std::unique_ptr<VideoList> MakeList(int order = 0, bool selectOnOpen = false) {
    auto list = std::make_unique<VideoList>(view_, media::AnalyseFile, test::PlainDatecodeFormat(),
                                            QLocale(QLocale::English, QLocale::UnitedStates), order, selectOnOpen, commands::Flags());
    view_.Watch(*list);
    return list;
  }
  std::string Place(const std::string& sample, const std::string& relative) {
    return test::PlaceSample(sample, dir_ / relative).string();
  }
  static std::vector<std::string> Paths(const VideoList& list) {
    std::vector<std::string> paths;
    for (int i = 0; i < list.Count(); ++i) paths.push_back(list.Entry(i).record->fullName);
    return paths;
  }

  test::TempDir dir_;
  test::RecordingListView view_;
};

TEST_F(VideoListTest, AdmitsExistingAviFilesOnlyWhateverTheExtensionCase) {
  auto list = MakeList();
  const std::string upper = Place("pal_type1.avi", "UPPER.AVI");
  const std::string backup = Place("pal_type1.avi", "clip.avi.bak");
  EXPECT_EQ(list->AddFile((dir_ / "missing.avi").string()), -1);
  EXPECT_EQ(list->AddFile(backup), -1);
  EXPECT_EQ(list->AddFile(dir_.path().string()), -1);
  EXPECT_EQ(list->AddFile(upper), 0);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Entry(0).name, "UPPER.AVI");
  EXPECT_EQ(list->Keys().Size(), 1);
}

TEST_F(VideoListTest, SameFileTwiceKeepsOneEntryWithItsPlaceNameAndSelection) {
  auto list = MakeList();
  const std::string a = Place("ntsc_type2.avi", "a.avi");
  const std::string b = Place("pal_type1.avi", "b.avi");
  list->AddFile(a);
  list->AddFile(b);
  list->SetSelected(1, true);
  const media::TAfficherFichier* before = list->Entry(1).record.get();

  EXPECT_EQ(list->AddFile(b), 1);
  EXPECT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Keys().Size(), 2);
  EXPECT_EQ(list->Entry(1).name, "b.avi");
  EXPECT_TRUE(list->Entry(1).selected);
  EXPECT_NE(list->Entry(1).record.get(), before) << "the record is built anew";
  // Relative paths name the same file once made absolute.
  const fs::path keep = fs::current_path();
  fs::current_path(dir_.path());
  EXPECT_EQ(list->AddFile("b.avi"), 1);
  fs::current_path(keep);
  EXPECT_EQ(list->Count(), 2);
}

TEST_F(VideoListTest, DatecodeOrderIsDatedOldestFirstThenUndatedByNameThenFailed) {
  auto list = MakeList(0);
  const std::string failed = test::PlaceNotAvi(dir_ / "aaa_broken.avi").string();
  const std::string undated_z = Place("no_datecode.avi", "z_undated.avi");
  const std::string mjpeg = Place("mjpeg_not_dv.avi", "m_mjpeg.avi");
  const std::string d2010 = Place("pal_wide.avi", "a2010.avi");
  const std::string d2003 = Place("ntsc_type2.avi", "z2003.avi");
  const std::string d2005 = Place("pal_type1.avi", "m2005.avi");
  for (const std::string& path : {failed, undated_z, mjpeg, d2010, d2003, d2005}) list->AddFile(path);

  EXPECT_EQ(Paths(*list), (std::vector<std::string>{d2003, d2005, d2010, mjpeg, undated_z, failed}));
  EXPECT_EQ(list->Entry(5).record->datecodeText, "Error");
  EXPECT_EQ(list->Entry(4).record->datecodeText, "N/A");
}

TEST_F(VideoListTest, EqualDatecodesSortByNameThenFolder) {
  auto list = MakeList(0);
  const std::string yb = Place("pal_type1.avi", "y/b.avi");
  const std::string xb = Place("pal_type1.avi", "x/b.avi");
  const std::string ya = Place("pal_type1.avi", "y/A.avi");
  list->AddFile(yb);
  list->AddFile(xb);
  list->AddFile(ya);
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{ya, xb, yb}));
}

TEST_F(VideoListTest, NamesCollateCaseInsensitivelyBeyondAsciiAndNeverMerge) {
  auto list = MakeList(1);
  // Byte order would put every "e..." name before "é..." and "É...".
  const std::string eb = Place("pal_type1.avi", "eb.avi");
  const std::string ea_acute = Place("pal_type1.avi", "\xC3\xA9" "a.avi");
  const std::string upper_ea_acute = Place("pal_type1.avi", "\xC3\x89" "a.avi");
  const std::string f = Place("pal_type1.avi", "f.avi");
  for (const std::string& path : {f, eb, ea_acute, upper_ea_acute}) list->AddFile(path);

  ASSERT_EQ(list->Count(), 4) << "names that collate equal are still different files";
  EXPECT_EQ(list->Entry(2).record->fullName, eb);
  EXPECT_EQ(list->Entry(3).record->fullName, f);
}

TEST_F(VideoListTest, SizeOrderComparesTheWholeSixtyFourBitSize) {
  auto list = MakeList(2);
  const fs::path big = dir_ / "a_big.avi";
  const fs::path small = dir_ / "b_small.avi";
  test::PlaceNotAvi(big);
  test::PlaceNotAvi(small);
  fs::resize_file(big, 4294967296ULL);  // sparse: no disk space used
  fs::resize_file(small, 4294967295ULL);
  const std::string tiny = test::PlaceNotAvi(dir_ / "c_tiny.avi").string();
  list->AddFile(big.string());
  list->AddFile(small.string());
  list->AddFile(tiny);
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{tiny, small.string(), big.string()}));
  EXPECT_EQ(list->Entry(2).record->sizeHigh, 1u);
}

TEST_F(VideoListTest, SortingAnEmptyListChangesNothing) {
  auto list = MakeList(3);
  list->SortList(1);
  EXPECT_EQ(list->Order(), 3);
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(VideoListTest, SortingKeepsSelectionAndFocusOnTheSameFiles) {
  auto list = MakeList(0);
  const std::string c = Place("ntsc_type2.avi", "c.avi");     // 2003
  const std::string a = Place("pal_wide.avi", "a.avi");       // 2010
  const std::string b = Place("pal_type1.avi", "b.avi");      // 2005
  const std::string d = Place("no_datecode.avi", "d.avi");
  for (const std::string& path : {c, a, b, d}) list->AddFile(path);
  ASSERT_EQ(Paths(*list), (std::vector<std::string>{c, b, a, d}));
  list->SetSelected(0, true);  // c
  list->SetFocus(2);           // a
  list->RefreshListStatus();

  const std::size_t focusCalls = view_.focus_changes.size();
  list->SortList(1);
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{a, b, c, d}));
  EXPECT_EQ(list->Order(), 1);
  EXPECT_EQ(list->Focus(), 0);
  EXPECT_EQ(view_.focus_changes.size(), focusCalls) << "the focused entry only moved";
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{0, 2}));
  EXPECT_EQ(list->Current()->fullName, a);

  list->SortList(0);
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{c, b, a, d}));
  EXPECT_EQ(list->Current()->fullName, a);
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{0, 2}));
}

TEST_F(VideoListTest, FocusStaysOnItsEntryWhenAFileIsInsertedAbove) {
  auto list = MakeList(1);
  list->AddFile(Place("pal_type1.avi", "m.avi"));
  list->AddFile(Place("pal_type1.avi", "z.avi"));
  list->SetFocus(1);
  list->AddFile(Place("pal_type1.avi", "a.avi"));
  EXPECT_EQ(list->Focus(), 2);
  EXPECT_EQ(list->Current()->name, "z.avi");
  list->AddFile(Place("pal_type1.avi", "zz.avi"));
  EXPECT_EQ(list->Current()->name, "z.avi");
  list->SetFocus(2);
  // Told once, when z.avi took the focus; not when its row changed.
  EXPECT_EQ(view_.focus_changes, std::vector<int>{1});
}

TEST_F(VideoListTest, RemovalsMoveTheFocusAsTheListShrinks) {
  auto list = MakeList(1);
  list->AddFile(Place("pal_type1.avi", "a.avi"));
  list->AddFile(Place("pal_type1.avi", "b.avi"));
  list->SetFocus(0);
  list->RemoveEntry(0);
  EXPECT_EQ(list->Focus(), 0);
  EXPECT_EQ(list->Current()->name, "b.avi");
  EXPECT_EQ(list->Keys().Size(), 1);
  list->RemoveEntry(-1);
  list->RemoveEntry(5);
  EXPECT_EQ(list->Count(), 1);
  list->RemoveEntry(0);
  EXPECT_EQ(list->Focus(), -1);
  EXPECT_EQ(list->Current(), nullptr);

  for (const char* name : {"p.avi", "q.avi", "r.avi", "s.avi"}) list->AddFile(Place("pal_type1.avi", name));
  list->SetFocus(3);
  list->RemoveEntry(1);  // before the focus: the focus moves up one line
  EXPECT_EQ(list->Focus(), 2);
  EXPECT_EQ(list->Current()->name, "s.avi");
  list->RemoveEntry(2);  // the focused line
  EXPECT_EQ(list->Focus(), 1);
  EXPECT_EQ(view_.focus_changes.back(), 1);
}

TEST_F(VideoListTest, RenameMovesTheEntryToItsNewPlaceSelectedAndFocused) {
  auto list = MakeList(1);
  const std::string a = Place("pal_type1.avi", "a.avi");
  const std::string m = Place("pal_type1.avi", "m.avi");
  const std::string z = Place("pal_type1.avi", "z.avi");
  for (const std::string& path : {a, m, z}) list->AddFile(path);
  list->SetFocus(0);
  const std::string renamed = (dir_ / "q.avi").string();
  fs::rename(a, renamed);

  list->ApplyUpdate(list::utRename, list->FindEntry(a), renamed);
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{m, renamed, z}));
  EXPECT_EQ(list->Entry(1).name, "q.avi");
  EXPECT_TRUE(list->Entry(1).selected);
  EXPECT_EQ(list->Focus(), 1);
  EXPECT_EQ(list->Keys().Size(), 3);

  // An unfocused entry moving past the focus leaves the focus on its file.
  list->SetFocus(0);  // m
  const std::string renamed_z = (dir_ / "b.avi").string();
  fs::rename(z, renamed_z);
  list->RenameEntry(list->FindEntry(z), renamed_z);
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{renamed_z, m, renamed}));
  EXPECT_EQ(list->Current()->fullName, m);
}

TEST_F(VideoListTest, RenameOntoAListedFileKeepsLinesAndKeysOneToOne) {
  auto list = MakeList(1);
  const std::string a = Place("pal_type1.avi", "a.avi");
  const std::string b = Place("pal_type1.avi", "b.avi");
  list->AddFile(a);
  list->AddFile(b);
  list->RenameEntry(0, b);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Keys().Size(), 1);
  EXPECT_EQ(list->Entry(0).record->fullName, b);
}

TEST_F(VideoListTest, ModifyKeepsThePositionAndReplaceTakesANewPlace) {
  auto list = MakeList(2);
  const std::string small = test::PlaceNotAvi(dir_ / "small.avi").string();
  const std::string clip = Place("pal_type1.avi", "clip.avi");
  list->AddFile(small);
  list->AddFile(clip);
  const fs::path grown = dir_ / "small.avi";
  fs::remove(grown);
  test::PlaceSample("pal_wide.avi", grown);  // larger than clip.avi now

  list->ApplyUpdate(list::utModify, list->FindEntry(small), "");
  EXPECT_EQ(list->Entry(0).record->fullName, small) << "no re-sort on modify";
  EXPECT_EQ(list->Entry(0).record->datecodeKey.substr(0, 4), "2010");

  list->ApplyUpdate(list::utAdd, -1, small);
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{clip, small}));
  EXPECT_EQ(list->Keys().Size(), 2);

  list->ApplyUpdate(list::utDelete, list->FindEntry(clip), "");
  EXPECT_EQ(Paths(*list), (std::vector<std::string>{small}));
}

TEST_F(VideoListTest, BatchIntoAnEmptyListFocusesTheFirstEntryEvenWithoutSelectOnOpen) {
  auto list = MakeList(1, false);
  list->BeginBatch("Loading files");
  list->AddFile(Place("pal_type1.avi", "b.avi"));
  list->AddFile(Place("pal_type1.avi", "a.avi"));
  EXPECT_TRUE(list->Busy());
  EXPECT_TRUE(view_.last_status.showListDuringBatch);
  EXPECT_EQ(list->SelectedCount(), 0);
  commands::Flags().AbortCommand = true;
  list->EndBatch();

  EXPECT_FALSE(list->Busy());
  EXPECT_FALSE(commands::Flags().AbortCommand);
  EXPECT_EQ(list->Focus(), 0);
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{0}));
  EXPECT_EQ(view_.batch_messages, (std::vector<std::string>{"Loading files"}));
  ASSERT_FALSE(view_.shown.empty());
  EXPECT_EQ(view_.shown.back(), (dir_ / "a.avi").string());
}

TEST_F(VideoListTest, SelectOnOpenSelectsNewEntries) {
  auto list = MakeList(1, true);
  list->AddFile(Place("pal_type1.avi", "a.avi"));
  EXPECT_TRUE(list->Entry(0).selected);
}

TEST_F(VideoListTest, StatusTextsFollowSelectionAndOrder) {
  auto list = MakeList(0);
  EXPECT_EQ(view_.last_status.caption, "");
  list->RefreshListStatus();
  EXPECT_EQ(view_.last_status.caption, "0 file of 0 - sorted by datecode");
  EXPECT_TRUE(view_.last_status.emptyHelpVisible);
  EXPECT_EQ(view_.last_status.viewState, list::ViewState::kEmptyList);

  list->AddFile(Place("pal_type1.avi", "a.avi"));
  list->SetFocus(0);
  list->RefreshListStatus();
  EXPECT_EQ(view_.last_status.caption, "1 file of 1 - sorted by datecode");
  EXPECT_EQ(view_.last_status.viewState, list::ViewState::kFewEntries);
  EXPECT_FALSE(view_.last_status.emptyHelpVisible);

  for (const char* name : {"b.avi", "c.avi", "d.avi", "e.avi", "f.avi", "g.avi"})
    list->AddFile(Place("pal_type1.avi", name));
  list->SetSelected(2, true);
  list->SetSelected(3, true);
  list->SortList(2);
  EXPECT_EQ(view_.last_status.caption, "3 files of 7 - sorted by filesize");
  EXPECT_EQ(view_.last_status.hint, "3 files selecteds of 7\r\nType F6 to hide the list.");
  EXPECT_EQ(view_.last_status.viewState, list::ViewState::kFull);

  list->ClearList();
  EXPECT_EQ(view_.playback_stops, 1);
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(list->Focus(), -1);
  EXPECT_EQ(view_.last_status.caption, "0 file of 0 - sorted by filesize");
}

TEST_F(VideoListTest, SelectAllSelectsEveryLine) {
  auto list = MakeList(1);
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) list->AddFile(Place("pal_type1.avi", name));
  list->SetSelected(1, true);
  list->SelectAll();
  EXPECT_EQ(list->SelectedCount(), 3);
  EXPECT_EQ(view_.last_status.caption, "3 files of 3 - sorted alphabetically");
  // One call spanning the rows that changed; none when nothing did.
  const std::vector<std::pair<int, int>> expected{{1, 1}, {0, 2}};
  EXPECT_EQ(view_.selection_changes, expected);
  list->SelectAll();
  EXPECT_EQ(view_.selection_changes, expected);
}

TEST_F(VideoListTest, ANewDatecodeFormatRewritesTheDatedRowsAndLaterFiles) {
  auto list = MakeList(1);
  const std::string dated = Place("pal_type1.avi", "a.avi");
  const std::string undated = Place("no_datecode.avi", "b.avi");
  const std::string failed = test::PlaceNotAvi(dir_ / "c.avi").string();
  for (const std::string& path : {dated, undated, failed}) list->AddFile(path);
  const std::string plainText = list->Entry(0).record->datecodeText;

  media::DatecodeFormat longForm = test::PlainDatecodeFormat();
  longForm.format = "dddd d mmmm yyyy, hh:nn";
  const int changedBefore = view_.changed;
  list->SetDatecodeFormat(longForm);
  EXPECT_EQ(view_.changed - changedBefore, 1) << "only the dated row changed";
  EXPECT_EQ(list->Entry(0).record->datecodeText, media::AnalyseFile(dated, longForm).datecodeText);
  EXPECT_NE(list->Entry(0).record->datecodeText, plainText);
  EXPECT_EQ(list->Entry(1).record->datecodeText, "N/A");
  EXPECT_EQ(list->Entry(2).record->datecodeText, "Error");

  const std::string later = Place("pal_wide.avi", "d.avi");
  list->AddFile(later);
  EXPECT_EQ(list->Entry(list->FindEntry(later)).record->datecodeText,
            media::AnalyseFile(later, longForm).datecodeText);
}

// The lookups by path and id and the selection are kept beside the rows;
// after every kind of change they must still say what a scan of the rows
// says, duplicates of one path included.
TEST_F(VideoListTest, LookupsAndSelectionAgreeWithTheRowsThroughEveryChange) {
  auto list = MakeList(1);
  std::vector<std::string> paths;
  for (int i = 0; i < 24; ++i) {
    const std::string folder = i % 2 == 0 ? "one/" : "Two/";
    paths.push_back(Place(i % 3 == 0 ? "pal_wide.avi" : "pal_type1.avi", folder + "Clip" + std::to_string(i) + ".avi"));
  }
  const auto check = [&](const std::string& step) {
    std::vector<int> selected;
    for (int row = 0; row < list->Count(); ++row) {
      const list::ListEntry& entry = list->Entry(row);
      EXPECT_EQ(list->IndexOfId(entry.id), row) << step;
      int first = 0;
      while (list->Entry(first).record->fullName != entry.record->fullName) ++first;
      EXPECT_EQ(list->FindEntry(entry.record->fullName), first) << step;
      if (entry.selected) selected.push_back(row);
    }
    EXPECT_EQ(list->SelectedIndexes(), selected) << step;
    EXPECT_EQ(list->SelectedCount(), static_cast<int>(selected.size())) << step;
  };

  for (const std::string& path : paths) list->AddFile(path);
  for (int row = 0; row < list->Count(); row += 3) list->SetSelected(row, true);
  check("added");
  list->SortList(2);
  check("sorted by size");
  list->SortList(0);
  check("sorted by datecode");

  // Renamed in place, renamed onto another listed file, removed, replaced.
  const std::string renamed = (dir_ / "one" / "aaa.avi").string();
  fs::rename(paths[5], renamed);
  list->RenameEntry(list->FindEntry(paths[5]), renamed);
  check("renamed");
  list->RenameEntry(list->FindEntry(paths[7]), paths[9]);
  check("renamed onto a listed file");
  EXPECT_EQ(list->FindEntry(paths[7]), -1);
  list->RemoveEntry(list->FindEntry(paths[11]));
  EXPECT_EQ(list->FindEntry(paths[11]), -1);
  check("removed");
  const list::EntryId kept = list->Entry(list->FindEntry(paths[13])).id;
  list->ReplaceEntry(paths[13]);
  EXPECT_EQ(list->Entry(list->IndexOfId(kept)).record->fullName, paths[13]);
  check("replaced");

  // A file that changed under its listed entry gets a second entry of
  // its path; the first in the list is the one found.
  fs::remove(paths[15]);
  test::PlaceSample("no_datecode.avi", paths[15]);
  list->AddFile(paths[15]);
  list->SortList(0);
  check("two entries of one path");

  list->SelectOnly(list->FindEntry(paths[3]));
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{list->FindEntry(paths[3])}));
  list->SelectAll();
  check("all selected");
  for (int row = 0; row < list->Count(); row += 2) list->SetSelected(row, false);
  list->DeselectAll();
  EXPECT_EQ(list->SelectedCount(), 0);
  check("none selected");
  list->ClearList();
  check("cleared");
  EXPECT_EQ(list->FindEntry(paths[3]), -1);
}

TEST(ListOrderTest, StoredOrdersOutsideTheRangeFallBackToDatecode) {
  EXPECT_EQ(list::ValidListOrder(3), 3);
  EXPECT_EQ(list::ValidListOrder(4), 0);
  EXPECT_EQ(list::ValidListOrder(-1), 0);
}

// A file the analysis cannot read is listed as failed; a fault of the
// analysis itself is not passed off as one.
TEST(VideoListFaults, AnUnreadableFileIsAnErrorRowAndAFaultAddsNoRow) {
  test::TempDir dir;
  test::RecordingListView view;
  settings::ProcessFlags flags;
  const auto unreadable = dir / "unreadable.avi";
  const auto faulty = dir / "faulty.avi";
  { std::ofstream touch(unreadable); }
  { std::ofstream touch(faulty); }
  VideoList list(
      view,
      [&](const fs::path& path, const media::DatecodeFormat&) -> media::TAfficherFichier {
        if (path.filename() == "unreadable.avi") throw media::FileError("cannot read " + path.string());
        throw std::logic_error("frame index past the end");
      },
      test::PlainDatecodeFormat(), QLocale(QLocale::English, QLocale::UnitedStates), 0, false, flags);
  view.Watch(list);
  ASSERT_EQ(list.AddFile(unreadable.string()), 0);
  EXPECT_EQ(list.Entry(0).record->datecodeText, media::kErrorText);
  EXPECT_THROW(list.AddFile(faulty.string()), std::logic_error);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(view.mismatches, std::vector<std::string>{});
}

}  // namespace
}  // namespace korvid
