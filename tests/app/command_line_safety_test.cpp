// Unattended runs of the built program on people's only copies: every
// command acts on the very path it was given, deleting goes to the
// freedesktop trash or nowhere, a path is never read as switches, and each
// file gets one truthful line and the exit status says whether all went well.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/preference_session.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";
// The same name twice to a reader that turns bytes into UTF-8: a lone 0xE9,
// and the replacement character such a reader would make of it.
const std::string kLatin1Name = "\xE9t\xE9.avi";
const std::string kReplacedName = "\xEF\xBF\xBDt\xEF\xBF\xBD.avi";
const std::string kDated = "_2005.08.14_03.02.11_pm";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

int YearOfLastWrite(const fs::path& path) {
  struct stat facts {};
  if (::stat(path.c_str(), &facts) != 0) return 0;
  std::tm local{};
  ::localtime_r(&facts.st_mtime, &local);
  return local.tm_year + 1900;
}

class CommandLineSafetyTest : public ::testing::Test {
 protected:
  // Runs korvid in `work_` with a clean home, no display and `environment` added.
  test::CommandResult Korvid(const std::vector<std::string>& parameters,
                             const std::vector<std::string>& environment = {}) {
    std::vector<std::string> argv{"env", "-C", work_.path().string(), "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                                  "-u", "QT_QPA_PLATFORM", "-u", "XDG_DATA_HOME", "HOME=" + home_.path().string(),
                                  "XDG_CONFIG_HOME=" + (home_ / ".config").string()};
    argv.insert(argv.end(), environment.begin(), environment.end());
    argv.push_back(kKorvid);
    argv.insert(argv.end(), parameters.begin(), parameters.end());
    return test::RunCommand(argv);
  }
  // The same, standard error joined to the output.
  test::CommandResult KorvidWithErrors(std::vector<std::string> parameters) {
    parameters.insert(parameters.begin(), {"sh", "-c", "exec \"$0\" \"$@\" 2>&1", kKorvid});
    std::vector<std::string> argv{"env", "-C", work_.path().string(), "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                                  "-u", "QT_QPA_PLATFORM", "-u", "XDG_DATA_HOME", "HOME=" + home_.path().string(),
                                  "XDG_CONFIG_HOME=" + (home_ / ".config").string()};
    argv.insert(argv.end(), parameters.begin(), parameters.end());
    return test::RunCommand(argv);
  }

  std::string Clip(const fs::path& path, const std::string& sample = "pal_type2.avi") {
    fs::create_directories(path.parent_path());
    fs::copy_file(test::StandardSample(sample), path);
    return path.string();
  }

  fs::path HomeTrash() const { return home_ / ".local/share/Trash"; }

  test::TempDir home_;
  test::TempDir work_;
};

TEST_F(CommandLineSafetyTest, RenamesActOnTheNamedPathAndKeepItsExtensionAndSceneFile) {
  const std::string upper = Clip(work_ / "clip.AVI");
  const std::string lower = Clip(work_ / "clip.avi", "no_datecode.avi");
  const std::string camera = Clip(work_ / "CLIP0001.AVI");
  const std::string latin1 = Clip(work_ / kLatin1Name);
  const std::string replaced = Clip(work_ / kReplacedName);
  test::CommandResult result = Korvid({"+h", "+bd", upper, camera, latin1});
  EXPECT_EQ(result.exit_code, 0);
  const std::string renamed = (work_ / ("clip" + kDated + ".AVI")).string();
  EXPECT_TRUE(Contains(result.output, "Add datecode: " + upper + ": renamed to " + renamed + "\n")) << result.output;
  EXPECT_EQ(test::ReadWholeFile(renamed), test::ReadWholeFile(test::StandardSample("pal_type2.avi")));
  EXPECT_EQ(test::ReadWholeFile(lower), test::ReadWholeFile(test::StandardSample("no_datecode.avi")));
  EXPECT_TRUE(fs::exists(work_ / ("CLIP0001" + kDated + ".AVI")));
  // The dates were set on the renamed file with the byte name, not on its twin.
  EXPECT_EQ(YearOfLastWrite(work_ / ("\xE9t\xE9" + kDated + ".avi")), 2005);
  EXPECT_GT(YearOfLastWrite(replaced), 2005);
  EXPECT_FALSE(fs::exists(upper));
  EXPECT_FALSE(fs::exists(camera));

  // A stale scene file at the first free video name: the video and its own
  // scene file move on together to a name where both are free.
  const std::string video = Clip(work_ / "scenes" / "a.avi");
  test::WriteWholeFile(work_ / "scenes" / "a.scn", {1, 2, 3});
  test::WriteWholeFile(work_ / "scenes" / "ClipDV_20050814_03.02.11_pm.scn", {9});
  result = Korvid({"+h", "+r", video});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(NamesIn(work_ / "scenes"), (std::vector<std::string>{"ClipDV_20050814_03.02.11_pm(1).avi",
                                                                 "ClipDV_20050814_03.02.11_pm(1).scn",
                                                                 "ClipDV_20050814_03.02.11_pm.scn"}));
  EXPECT_EQ(test::ReadWholeFile(work_ / "scenes" / "ClipDV_20050814_03.02.11_pm(1).scn"),
            (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(test::ReadWholeFile(work_ / "scenes" / "ClipDV_20050814_03.02.11_pm.scn"), (std::vector<std::uint8_t>{9}));
}

TEST_F(CommandLineSafetyTest, DeletingGoesToTheFreedesktopTrashOrNowhere) {
  // A fresh home without a data folder, and a relative XDG_DATA_HOME to ignore.
  const std::string latin1 = Clip(work_ / kLatin1Name);
  const std::string replaced = Clip(work_ / kReplacedName);
  test::WriteWholeFile(work_ / "\xE9t\xE9.scn", {1});
  test::WriteWholeFile(work_ / "\xEF\xBF\xBDt\xEF\xBF\xBD.scn", {2});
  test::CommandResult result = Korvid({"+h", "+z", "+e", latin1}, {"XDG_DATA_HOME=data"});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_TRUE(Contains(result.output, "Delete the file: " + latin1 + ": moved to the trash\n")) << result.output;
  EXPECT_EQ(NamesIn(work_.path()), (std::vector<std::string>{kReplacedName, "\xEF\xBF\xBDt\xEF\xBF\xBD.scn"}));
  EXPECT_EQ(test::ReadWholeFile(HomeTrash() / "files" / kLatin1Name),
            test::ReadWholeFile(test::StandardSample("pal_type2.avi")));
  EXPECT_EQ(test::ReadWholeFile(HomeTrash() / "files" / "\xE9t\xE9.scn"), (std::vector<std::uint8_t>{1}));
  const std::vector<std::uint8_t> info = test::ReadWholeFile(HomeTrash() / "info" / (kLatin1Name + ".trashinfo"));
  EXPECT_TRUE(Contains(std::string(info.begin(), info.end()),
                       "[Trash Info]\nPath=" + work_.path().string() + "/%E9t%E9.avi\nDeletionDate="));
  struct stat facts {};
  ASSERT_EQ(::stat(HomeTrash().c_str(), &facts), 0);
  EXPECT_EQ(facts.st_mode & 0777, 0700u);

  // No trash to be had (the home is a file): the file stays, and the run fails.
  const fs::path fileHome = home_ / "not-a-folder";
  test::WriteWholeFile(fileHome, {0});
  result = Korvid({"+h", "+e", replaced}, {"HOME=" + fileHome.string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_TRUE(Contains(result.output, "Delete the file: " + replaced + ": failed, Impossible to delete " + replaced +
                                          " It is perhaps in use or read only\n"))
      << result.output;
  EXPECT_TRUE(fs::exists(replaced));

  // A file on another mount goes to the trash at the top of that mount.
  struct stat shm {};
  if (::stat("/dev/shm", &shm) != 0 || ::stat(work_.path().c_str(), &facts) != 0 || shm.st_dev == facts.st_dev ||
      ::access("/dev/shm", W_OK) != 0)
    return;
  std::string folder = "/dev/shm/korvid-test-XXXXXX";
  ASSERT_NE(::mkdtemp(folder.data()), nullptr);
  const std::string name = fs::path(folder).filename().string() + ".avi";
  const std::string mounted = Clip(fs::path(folder) / name);
  result = Korvid({"+h", "+e", mounted});
  const fs::path trash = "/dev/shm/.Trash-" + std::to_string(::geteuid());
  const std::vector<std::uint8_t> placed = test::ReadWholeFile(trash / "files" / name);
  const std::vector<std::uint8_t> note = test::ReadWholeFile(trash / "info" / (name + ".trashinfo"));
  std::error_code ignored;
  fs::remove(trash / "files" / name, ignored);
  fs::remove(trash / "info" / (name + ".trashinfo"), ignored);
  fs::remove_all(folder, ignored);
  // The trash folders go too when nobody else keeps anything in them.
  for (const fs::path& emptied : {trash / "files", trash / "info", trash}) fs::remove(emptied, ignored);
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_EQ(placed, test::ReadWholeFile(test::StandardSample("pal_type2.avi")));
  EXPECT_TRUE(Contains(std::string(note.begin(), note.end()),
                       "\nPath=" + fs::path(folder).filename().string() + "/" + name + "\n"));
}

TEST_F(CommandLineSafetyTest, PathsAreNeverSwitchesAndScannedFilesAreNeverDeleted) {
  const std::string named = Clip(work_ / "named.avi");
  const std::string scanned = Clip(work_ / "+new" / "scanned.avi");
  // A mistyped absolute path is a missing path, not the switches e, d, i, t, s.
  ASSERT_FALSE(fs::exists("/edits"));
  test::CommandResult result = KorvidWithErrors({"+h", "+s", named, "/edits"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_TRUE(Contains(result.output, "korvid: /edits: no such file or folder\n")) << result.output;
  EXPECT_TRUE(fs::exists(named));
  EXPECT_FALSE(fs::exists(HomeTrash()));
  result = Korvid({"/?"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_TRUE(Contains(result.output, "Delete the file\t+e\n")) << result.output;

  // "+new" names a folder here, so it is a folder to scan, not n, e and w.
  result = Korvid({"+h", "+e", "+new", named});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_TRUE(Contains(result.output, "Delete the file: " + scanned +
                                          ": skipped, found by scanning a folder: only files named on the "
                                          "command line are deleted\n"))
      << result.output;
  EXPECT_TRUE(fs::exists(scanned));
  EXPECT_FALSE(fs::exists(named));
  EXPECT_FALSE(fs::exists(work_ / "+new" / "scanned_ntsc.avi"));
  EXPECT_TRUE(fs::exists(HomeTrash() / "files" / "named.avi"));
}

TEST_F(CommandLineSafetyTest, EachFileAndCommandGetsOneTruthfulLine) {
  // The output folder is gone: conversions write beside their source.
  settings::PreferenceSession session({home_ / ".config"});
  session.Load({.documentsFolder = home_.path().string()});
  session.values().saveInSameFolder = false;
  session.values().outputFolder = (home_ / "gone/").string();
  session.SaveNow({"5.3.6", kKorvid, {2005, 8, 14, 15, 2, 11}, settings::EnglishLocaleFormats()});
  const std::string clip = Clip(work_ / "a.avi");
  const std::string undated = Clip(work_ / "n.avi", "no_datecode.avi");
  const std::string missing = (work_ / "missing.avi").string();

  test::CommandResult result = Korvid({"+h", "+1", clip});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.output, "Convert to DV type 1: " + clip + ": made " + (work_ / "a_type1.avi").string() + "\n");

  result = Korvid({"+h", "+d", undated, missing});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.output, "Add datecode: " + undated + ": skipped, the file has no datecode\n");
  result = KorvidWithErrors({"+h", "+d", undated, missing});
  EXPECT_TRUE(Contains(result.output, "korvid: " + missing + ": no such file or folder\n")) << result.output;

  // Nobody to answer the question of a run with a window: No.
  result = Korvid({"+e", clip});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.output, "Delete the file: " + clip + ": skipped, the question was answered No\n");
  EXPECT_TRUE(fs::exists(clip));
}

TEST_F(CommandLineSafetyTest, PathsThatAreNoFileGetTheirLineAndNamesCannotForgeLines) {
  const std::string clip = Clip(work_ / "clip.avi");
  const fs::path fifo = work_ / "pipe.avi";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", work_ / "zero.avi");
  const std::string tooLong = "/" + std::string(4100, 'x') + ".avi";
  test::CommandResult result = Korvid({"+h", "+q", fifo.string(), (work_ / "zero.avi").string(), "/dev/null",
                                       tooLong, clip});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.output, "Shorten the name: " + clip + ": skipped, the name has nothing to shorten\n");
  result = KorvidWithErrors({"+h", "+q", fifo.string(), (work_ / "zero.avi").string(), "/dev/null", tooLong, clip});
  EXPECT_TRUE(Contains(result.output, "korvid: " + fifo.string() + ": not a regular file\nkorvid: " +
                                          (work_ / "zero.avi").string() +
                                          ": not a regular file\nkorvid: /dev/null: not a regular file\nkorvid: " +
                                          tooLong + ": path too long\n"))
      << result.output;

  // A line break and an escape sequence in a name are shown, not obeyed.
  const std::string forged = Clip(work_ / "x.avi\nDelete the file: precious.avi: moved to the trash\x1b[2J.avi");
  result = Korvid({"+h", "+q", forged});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.output, "Shorten the name: " + (work_ / "x.avi\\nDelete the file: precious.avi: moved to the "
                                                             "trash\\x1b[2J.avi").string() +
                               ": skipped, the name has nothing to shorten\n");
}

TEST_F(CommandLineSafetyTest, NamesMadeFromBrokenPreferencesAreRefused) {
  const std::string clip = Clip(work_ / "clip.avi");
  const fs::path store = home_ / ".config" / "Marovec" / "Korvid.conf";
  fs::create_directories(store.parent_path());
  // A NUL and bytes where texts belong fall back to the defaults.
  const std::string broken = "[General]\nRacine%20pour%20Renommer=a\\0b\n"
                             "Format%20pour%20Renommer=@ByteArray(ab\\0)\n";
  test::WriteWholeFile(store, std::vector<std::uint8_t>(broken.begin(), broken.end()));
  test::CommandResult result = Korvid({"+h", "+r", clip});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.output, "Rename: " + clip + ": renamed to " + (work_ / "ClipDV_20050814_03.02.11_pm.avi").string() +
                               "\n");

  // A separator that the date format prints is refused with the reason.
  const std::string renamed = (work_ / "ClipDV_20050814_03.02.11_pm.avi").string();
  const std::string slashes = "[General]\nFormat%20pour%20Renommer=yyyy/mm/dd\n";
  test::WriteWholeFile(store, std::vector<std::uint8_t>(slashes.begin(), slashes.end()));
  result = Korvid({"+h", "+r", renamed});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.output, "Rename: " + renamed + ": failed, Impossible to rename " + renamed + " to " +
                               (work_ / "ClipDV_2005/08/14.avi").string() +
                               ": the name made from the preferences holds a path separator\n");
  EXPECT_EQ(NamesIn(work_.path()), std::vector<std::string>{"ClipDV_20050814_03.02.11_pm.avi"});
}

}  // namespace
}  // namespace korvid
