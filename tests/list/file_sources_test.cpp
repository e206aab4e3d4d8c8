// Where files come from: the folder scanner (link loops included), the
// clipboard's uri-list, the mount table for "Open all", and the batches
// that feed the list.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "commands/process_flags.h"
#include "list/dir_scan.h"
#include "list/file_sources.h"
#include "list/local_mounts.h"
#include "list/uri_list.h"
#include "media/avi_stream_analysis.h"
#include "support/list_samples.h"
#include "support/recording_list_view.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& path) {
  fs::create_directories(path.parent_path());
  test::WriteWholeFile(path, {1, 2, 3});
}

struct ScanLog {
  std::vector<std::string> files;
  std::vector<std::string> with_files;
  std::map<std::string, int> open_folders;  // start minus end per folder
  int starts = 0;
  int ends = 0;
};

void Attach(list::TDirscan& scanner, ScanLog& log) {
  scanner.OnStartScan = [&log](list::TDirscan&, const std::string&, const std::string&, bool) { ++log.starts; };
  scanner.OnEndScan = [&log](list::TDirscan&, const std::string&, const std::string&, bool) { ++log.ends; };
  scanner.OnStartFolder = [&log](list::TDirscan&, const std::string& d) { ++log.open_folders[d]; };
  scanner.OnEndFolder = [&log](list::TDirscan&, const std::string& d) { --log.open_folders[d]; };
  scanner.OnDirWithFiles = [&log](list::TDirscan&, const std::string& d) { log.with_files.push_back(d); };
  scanner.OnFileFound = [&log](list::TDirscan&, const std::string& f) { log.files.push_back(f); };
}

TEST(DirScanTest, WalksDepthFirstWithoutFollowingLinkedFolders) {
  test::TempDir dir;
  const std::string root = dir.path().string() + "/";
  Touch(dir / "a.avi");
  Touch(dir / "sub/b.AVI");
  Touch(dir / "sub/deeper/c.avi");
  fs::create_directories(dir / "empty");
  fs::create_directory_symlink(dir.path(), dir / "sub/loop");      // back to the top
  fs::create_directory_symlink(dir / "sub", dir / "sub/deeper/up");
  fs::create_symlink(dir / "a.avi", dir / "sub/link_to_file.avi");

  list::TDirscan scanner;
  ScanLog log;
  Attach(scanner, log);
  scanner.SetDirectory(dir.path().string());
  EXPECT_EQ(scanner.Directory(), root);
  scanner.Scan();

  std::sort(log.files.begin(), log.files.end());
  EXPECT_EQ(log.files, (std::vector<std::string>{root + "a.avi", root + "sub/b.AVI",
                                                 root + "sub/deeper/c.avi", root + "sub/link_to_file.avi"}));
  EXPECT_EQ(log.starts, 1);
  EXPECT_EQ(log.ends, 1);
  for (const auto& [folder, balance] : log.open_folders) EXPECT_EQ(balance, 0) << folder;
  EXPECT_EQ(log.open_folders.size(), 4u);  // the top, sub, sub/deeper, empty
  EXPECT_EQ(std::count(log.with_files.begin(), log.with_files.end(), root + "empty/"), 0);
}

TEST(DirScanTest, MaskMatchesWithoutRegardToCaseAndNonRecursiveStaysAtTheTop) {
  test::TempDir dir;
  Touch(dir / "A.AVI");
  Touch(dir / "b.txt");
  Touch(dir / "sub/c.avi");
  list::TDirscan scanner;
  ScanLog log;
  Attach(scanner, log);
  scanner.Masque = "*.avi";
  scanner.recursive = false;
  scanner.SetDirectory(dir.path().string() + "/");
  scanner.Scan();
  EXPECT_EQ(log.files, (std::vector<std::string>{dir.path().string() + "/A.AVI"}));
}

TEST(DirScanTest, AMissingFolderRaisesNothingAndStopEndsTheWalk) {
  list::TDirscan scanner;
  ScanLog log;
  Attach(scanner, log);
  scanner.SetDirectory("/no/such/folder/anywhere");
  scanner.Scan();
  EXPECT_EQ(log.starts, 0);
  EXPECT_FALSE(scanner.Active());

  test::TempDir dir;
  for (int i = 0; i < 5; ++i) Touch(dir / ("f" + std::to_string(i) + ".avi"));
  scanner.SetDirectory(dir.path().string());
  scanner.OnFileFound = [&log](list::TDirscan& sender, const std::string& f) {
    log.files.push_back(f);
    sender.Stop();
  };
  scanner.Scan();
  EXPECT_EQ(log.files.size(), 1u);
  EXPECT_EQ(log.ends, 1);
}

TEST(UriListTest, ReadsFileUrlsAndSkipsCommentsAndOtherSchemes) {
  const std::string text =
      "# copied by a file manager\r\n"
      "file:///home/me/My%20Clips/caf%C3%A9.avi\r\n"
      "http://example.org/remote.avi\r\n"
      "\r\n"
      "file:///tmp/plain.avi";
  EXPECT_EQ(list::FilesFromUriList(text),
            (std::vector<std::string>{"/home/me/My Clips/caf\xC3\xA9.avi", "/tmp/plain.avi"}));
  const std::vector<std::string> paths{"/a b/c#d.avi", "/x/\xC3\xA9t\xC3\xA9.avi"};
  EXPECT_EQ(list::FilesFromUriList(list::UriListOf(paths)), paths);
  EXPECT_EQ(list::UriListOf({"/a b.avi"}), "file:///a%20b.avi\r\n");
}

TEST(LocalMountsTest, KeepsLocalFixedFileSystemsOnceEach) {
  const std::string table =
      "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
      "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
      "30 27 8:17 / /home/my\\040videos rw,relatime - xfs /dev/sdb1 rw\n"
      "31 27 8:33 / /mnt/stick rw - vfat /dev/sdc1 rw\n"
      "32 27 0:50 / /mnt/nas rw - nfs4 nas:/export rw\n"
      "33 27 0:51 / /mnt/share rw - cifs //srv/share rw\n"
      "34 27 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
      "35 27 254:0 / /srv/again rw - ext4 /dev/vda rw\n"
      "36 27 254:0 /var/lib /srv/lib rw - ext4 /dev/vda rw\n"
      "garbage line\n";
  const auto mounts = list::ParseMountInfo(table);
  ASSERT_EQ(mounts.size(), 9u);
  EXPECT_EQ(mounts[2].mountPoint, "/home/my videos");
  EXPECT_EQ(mounts[1].fsType, "ext4");
  const auto removable = [](const list::MountEntry& m) { return m.device == "8:33"; };
  EXPECT_EQ(list::FixedLocalMountPoints(mounts, removable),
            (std::vector<std::string>{"/", "/home/my videos", "/srv/lib"}));
}

TEST(LocalMountsTest, TheRunningSystemOffersNoPseudoOrNetworkMounts) {
  for (const std::string& point : list::FixedLocalMountPoints()) {
    EXPECT_NE(point, "/proc");
    EXPECT_NE(point.rfind("/sys", 0), 0u) << point;
  }
}

class SourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    commands::Flags().ClearAborts();
    view_.Watch(list_);
  }
  void TearDown() override {
    commands::Flags().ClearAborts();
    EXPECT_EQ(view_.mismatches, std::vector<std::string>{});
  }

  test::TempDir dir_;
  test::RecordingListView view_;
  list::VideoList list_{view_,
                        media::AnalyseFile, test::PlainDatecodeFormat(),
                        QLocale(QLocale::English, QLocale::UnitedStates), 1, false, commands::Flags()};
};

TEST_F(SourcesTest, AFolderScanAddsTheAviFilesOfEveryFolderAndNamesThem) {
  const auto a = test::PlaceSample("pal_type1.avi", dir_ / "a.avi");
  const auto b = test::PlaceSample("ntsc_type2.avi", dir_ / "sub/b.avi");
  Touch(dir_ / "sub/notes.txt");
  fs::create_directory_symlink(dir_.path(), dir_ / "sub/loop");
  list::ScanFolderIntoList(list_, dir_.path().string(), "Browsing a folder");

  ASSERT_EQ(list_.Count(), 2);
  EXPECT_EQ(list_.Entry(0).record->fullName, a.string());
  EXPECT_EQ(list_.Entry(1).record->fullName, b.string());
  EXPECT_EQ(view_.batch_messages, (std::vector<std::string>{"Browsing a folder"}));
  EXPECT_NE(std::find(view_.status_texts.begin(), view_.status_texts.end(),
                      "Browsing " + dir_.path().string() + "/sub/"),
            view_.status_texts.end());
  EXPECT_EQ(list_.Focus(), 0) << "the batch focuses the first entry";
}

TEST_F(SourcesTest, AbortStopsAScanAfterTheCurrentFileAndTheBatchStillEnds) {
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) test::PlaceSample("pal_type1.avi", dir_ / "sub" / name);
  view_.on_events = [] { commands::Flags().AbortCommand = true; };  // Escape before the first subfolder
  list::ScanFolderIntoList(list_, dir_.path().string(), "Browsing the folder");
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(view_.batches_ended, 1);
  EXPECT_FALSE(commands::Flags().AbortCommand);
}

TEST_F(SourcesTest, PasteAddsTheClipboardFilesAndStopsOnAbort) {
  const auto a = test::PlaceSample("pal_type1.avi", dir_ / "a b.avi");
  const auto b = test::PlaceSample("pal_type1.avi", dir_ / "b.avi");
  const std::string clip = list::UriListOf({a.string(), (dir_ / "missing.avi").string(), b.string()});
  list::PasteFiles(list_, clip);
  EXPECT_EQ(list_.Count(), 2);
  EXPECT_EQ(view_.batch_messages.back(), "Paste files");

  list_.ClearList();
  // A batch started while an abort is pending does nothing; the paste
  // loop then stops after its first file.
  commands::Flags().AbortCommand = true;
  list::PasteFiles(list_, clip);
  EXPECT_EQ(list_.Count(), 1);
}

TEST_F(SourcesTest, DroppedNamesTooLongAreSkipped) {
  const auto a = test::PlaceSample("pal_type1.avi", dir_ / "a.avi");
  list::AddDroppedFiles(list_, {std::string(70000, 'x') + ".avi", a.string()});
  EXPECT_EQ(list_.Count(), 1);
  EXPECT_EQ(view_.batch_messages, (std::vector<std::string>{"Open drag-and-dropped files"}));
}

TEST_F(SourcesTest, OpenAllScansEachGivenMountPoint) {
  test::TempDir other;
  test::PlaceSample("pal_type1.avi", dir_ / "x/a.avi");
  test::PlaceSample("pal_type1.avi", other / "b.avi");
  list::OpenAllIntoList(list_, {dir_.path().string(), other.path().string(), "/no/such/mount"});
  EXPECT_EQ(list_.Count(), 2);
  EXPECT_EQ(view_.batch_messages, (std::vector<std::string>{"Loading all AVI files"}));
}

}  // namespace
}  // namespace korvid
