#include "settings/preferences_store.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QSettings>
#include <gtest/gtest.h>

#include "settings/preference_session.h"
#include "support/test_env.h"

namespace korvid::settings {
namespace {

namespace fs = std::filesystem;

const DefaultEnvironment kEnvironment{1920, 1080, 600, 400, "/home/someone/Documents"};

QString Path(const fs::path& p) { return QString::fromStdString(p.string()); }

// Writes raw values the way another program or an older version would.
void Store(const fs::path& file, const std::vector<std::pair<QString, QVariant>>& values) {
  fs::create_directories(file.parent_path());
  QSettings settings(Path(file), QSettings::NativeFormat);
  for (const auto& [key, value] : values) settings.setValue(key, value);
  settings.sync();
}

QVariant StoredValue(const fs::path& file, const QString& key) {
  QSettings settings(Path(file), QSettings::NativeFormat);
  return settings.value(key);
}

SaveStamp FixedStamp() {
  return SaveStamp{"5.3.6", "/opt/korvid/korvid", {2005, 8, 14, 15, 2, 11}, EnglishLocaleFormats()};
}

class FakeDialogs : public PreferenceDialogs {
 public:
  explicit FakeDialogs(bool answerYes) : answerYes_(answerYes) {}
  bool AskWarning(const std::string& question) override {
    questions.push_back(question);
    return answerYes_;
  }
  void Warn(const std::string& text) override { warnings.push_back(text); }
  void Inform(const std::string& text) override { notes.push_back(text); }

  std::vector<std::string> questions, warnings, notes;

 private:
  bool answerYes_;
};

Preferences Unusual() {
  Preferences p = DefaultPreferences(kEnvironment, false);
  p.top = -12;
  p.left = 3000;
  p.listOrder = 3;
  p.saveOnQuit = false;
  p.selectOnOpen = true;
  p.saveListOnQuit = true;
  p.saveInSameFolder = false;
  p.openFolder = "/media/vidéos/";
  p.autoOpenFolder = "/media/auto/";
  p.outputFolder = "/srv/out, converted/";
  p.playlistFolder = "/home/x/listes/";
  p.frameGrabProgram = "/opt/grab/grab";
  p.defaultStandard = 2;
  p.addDatecodeFormat = "yy-mm-dd";
  p.displayDatecodeFormat = "dddd, d mmmm yyyy 'at' hh:nn";
  p.renameFormat = "yyyymmdd";
  p.renameRoot = "Tape ";
  p.autoFontSize = false;
  p.automaticInlay = true;
  p.inlayDurationSeconds = 9;
  p.clockOffsetHours = -23;
  p.sendTo = true;
  p.inlayPositionX = 0;
  p.inlayPositionY = 1000;
  p.muteOn = true;
  p.inlayOn = true;
  p.inlaySlidersVisible = true;
  p.mp4Quality = 51;
  p.actions = {{"afOptions", -1}, {"amRenameScAn", 0}, {"amAjouterDateCode", 1}};
  p.incrustFont = {14, 0x0000FF, "DejaVu Sans", false, true, true, true};
  return p;
}

class PreferencesStoreTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  StoreLocation location_{dir_.path() / "config"};
};

TEST_F(PreferencesStoreTest, FirstStartTakesEveryDefaultAndOffersSendTo) {
  const Preferences p = LoadPreferences(location_, kEnvironment);
  EXPECT_EQ(p.top, (1080 - 400) / 2);
  EXPECT_EQ(p.left, (1920 - 600) / 2);
  EXPECT_TRUE(p.sendTo);
  EXPECT_EQ(p.listOrder, 0);
  EXPECT_TRUE(p.saveOnQuit);
  EXPECT_FALSE(p.selectOnOpen);
  EXPECT_FALSE(p.saveListOnQuit);
  EXPECT_TRUE(p.saveInSameFolder);
  for (const std::string* folder : {&p.openFolder, &p.autoOpenFolder, &p.outputFolder, &p.playlistFolder})
    EXPECT_EQ(*folder, kEnvironment.documentsFolder);
  EXPECT_EQ(p.frameGrabProgram, "");
  EXPECT_EQ(p.defaultStandard, 1);
  EXPECT_EQ(p.addDatecodeFormat, "yyyy.mm.dd_hh.nn.ss_am/pm");
  EXPECT_EQ(p.displayDatecodeFormat, "yyyy/mm/dd hh:nn:ss am/pm");
  EXPECT_EQ(p.renameFormat, "yyyymmdd_hh.nn.ss_am/pm");
  EXPECT_EQ(p.renameRoot, "ClipDV_");
  EXPECT_TRUE(p.autoFontSize);
  EXPECT_FALSE(p.automaticInlay);
  EXPECT_EQ(p.inlayDurationSeconds, 5);
  EXPECT_EQ(p.clockOffsetHours, 0);
  EXPECT_EQ(p.inlayPositionX, 920);
  EXPECT_EQ(p.inlayPositionY, 120);
  EXPECT_FALSE(p.muteOn || p.inlayOn || p.inlaySlidersVisible);
  EXPECT_EQ(p.mp4Quality, 20);
  EXPECT_TRUE(p.actions.empty());
  EXPECT_EQ(p.incrustFont, (IncrustFont{21, 0xFFFFFF, "Arial", true, false, false, false}));
  EXPECT_EQ(p.incrustFont.StyleBits(), 1);
  // Loading must not leave anything behind.
  EXPECT_FALSE(fs::exists(location_.MakerFolder()));
}

TEST_F(PreferencesStoreTest, OnlyWindowPositionStoredLeavesSendToOff) {
  Store(location_.ApplicationFile(), {{"Top", 10}, {"Left", 20}});
  const Preferences p = LoadPreferences(location_, kEnvironment);
  EXPECT_EQ(p.top, 10);
  EXPECT_EQ(p.left, 20);
  EXPECT_FALSE(p.sendTo);
  Preferences expected = DefaultPreferences(kEnvironment, false);
  expected.top = 10;
  expected.left = 20;
  EXPECT_EQ(p, expected);
}

TEST_F(PreferencesStoreTest, EmptyTextsAreReplacedAtLoad) {
  Store(location_.ApplicationFile(), {{"Format pour Afficher Datecode", ""},
                                      {"Format pour Renommer", ""},
                                      {"Racine pour Renommer", ""},
                                      {"Dossier pour Sauver", ""},
                                      {"IncrustFont/Name", ""}});
  const Preferences p = LoadPreferences(location_, kEnvironment);
  EXPECT_EQ(p.displayDatecodeFormat, "yyyy/mm/dd hh:nn:ss am/pm");
  EXPECT_EQ(p.renameFormat, "yyyymmdd_hh.nn.ss_am/pm");
  EXPECT_EQ(p.renameRoot, "ClipDV_");
  EXPECT_EQ(p.outputFolder, kEnvironment.documentsFolder);
  EXPECT_EQ(p.incrustFont.name, "Arial");
}

TEST_F(PreferencesStoreTest, VerticalPositionIsStoredUpsideDown) {
  Store(location_.ApplicationFile(), {{"Incrust positionY", 120}, {"Incrust positionX", 300}});
  const Preferences p = LoadPreferences(location_, kEnvironment);
  EXPECT_EQ(VerticalSliderFromStored(p.inlayPositionY), 880);
  EXPECT_EQ(p.inlayPositionX, 300);
  EXPECT_EQ(StoredFromVerticalSlider(880), 120);
}

TEST_F(PreferencesStoreTest, UnreadableOrOutOfRangeValuesTakeTheirDefaults) {
  Store(location_.ApplicationFile(), {{"Ordre de la Liste", "abc"},
                                      {"Standard par défaut", 7},
                                      {"Décalage Horaire", -24},
                                      {"Incrust positionX", 5000},
                                      {"Duréee Incrustation", "99999999999"},
                                      {"Top", " -40 "},
                                      {"is Mute on", 2},
                                      {"is Incrust On", "yes"},
                                      {"IncrustFont/Size", 0},
                                      {"Actions/amGood", 1},
                                      {"Actions/amBroken", "x"}});
  const Preferences p = LoadPreferences(location_, kEnvironment);
  EXPECT_EQ(p.listOrder, 0);
  EXPECT_EQ(p.defaultStandard, 1);
  EXPECT_EQ(p.clockOffsetHours, 0);
  EXPECT_EQ(p.inlayPositionX, 920);
  EXPECT_EQ(p.inlayDurationSeconds, 5);
  EXPECT_EQ(p.top, -40);
  EXPECT_TRUE(p.muteOn);  // any non-zero integer counts as set
  EXPECT_FALSE(p.inlayOn);
  EXPECT_EQ(p.incrustFont.size, 21);
  EXPECT_EQ(p.actions, (std::vector<ActionChoice>{{"amGood", 1}}));
}

// Texts with control characters, bytes or other types where texts belong
// (a damaged or hand-edited store) are no values: the defaults stand.
TEST_F(PreferencesStoreTest, TextsThatAreNotValidForTheirKindTakeTheirDefaults) {
  const Preferences defaults = DefaultPreferences(kEnvironment, false);
  std::vector<std::pair<QString, QVariant>> broken;
  int n = 0;
  for (const auto& spec : MainValueSpecs()) {
    if (!std::holds_alternative<TextField<Preferences>>(spec.field)) continue;
    const QString name = QString::fromUtf8(spec.name.data(), static_cast<qsizetype>(spec.name.size()));
    // In turn a NUL, a line break, an escape and a text stored as bytes.
    const QVariant values[] = {QString::fromUtf8("a\0b", 3), QStringLiteral("/tmp/a\nb"), QStringLiteral("\x1b[2J"),
                               QByteArray("yyyy")};
    broken.emplace_back(name, values[n++ % 4]);
  }
  broken.emplace_back(QStringLiteral("Ordre de la Liste"), QByteArray("2"));
  broken.emplace_back(QStringLiteral("IncrustFont/Name"), QStringLiteral("Arial\t"));
  Store(location_.ApplicationFile(), broken);
  const Preferences p = LoadPreferences(location_, kEnvironment);
  EXPECT_EQ(p.openFolder, defaults.openFolder);
  EXPECT_EQ(p.autoOpenFolder, defaults.autoOpenFolder);
  EXPECT_EQ(p.outputFolder, defaults.outputFolder);
  EXPECT_EQ(p.playlistFolder, defaults.playlistFolder);
  EXPECT_EQ(p.frameGrabProgram, defaults.frameGrabProgram);
  EXPECT_EQ(p.addDatecodeFormat, defaults.addDatecodeFormat);
  EXPECT_EQ(p.displayDatecodeFormat, defaults.displayDatecodeFormat);
  EXPECT_EQ(p.renameFormat, defaults.renameFormat);
  EXPECT_EQ(p.renameRoot, defaults.renameRoot);
  EXPECT_EQ(p.listOrder, 0);
  EXPECT_EQ(p.incrustFont.name, "Arial");

  // A rename root starts a file name: a separator would leave the folder.
  Store(location_.ApplicationFile(), {{"Racine pour Renommer", "../Clip"}});
  EXPECT_EQ(LoadPreferences(location_, kEnvironment).renameRoot, "ClipDV_");
}

TEST_F(PreferencesStoreTest, SaveThenLoadGivesBackEveryValue) {
  const Preferences saved = Unusual();
  SavePreferences(location_, saved, FixedStamp());
  Preferences loaded = LoadPreferences(location_, kEnvironment);
  // The action list comes back in the store's own order.
  std::sort(loaded.actions.begin(), loaded.actions.end(),
            [](const auto& a, const auto& b) { return a.state < b.state; });
  EXPECT_EQ(loaded, saved);
}

TEST_F(PreferencesStoreTest, StoredFormatUsesTheFrenchNamesAndIntegerFlags) {
  SavePreferences(location_, Unusual(), FixedStamp());
  const fs::path file = location_.ApplicationFile();
  EXPECT_EQ(file, dir_.path() / "config" / "Marovec" / "Korvid.conf");
  EXPECT_EQ(StoredValue(file, "version").toString(), "Korvid 5.3.6 En by Marovec");
  EXPECT_EQ(StoredValue(file, "Dernière Sauvegarde").toString(), "2005/08/14 03:02:11 pm");
  EXPECT_EQ(StoredValue(file, "Exename").toString(), "/opt/korvid/korvid");
  EXPECT_EQ(StoredValue(file, "Duréee Incrustation").toString(), "9");
  EXPECT_EQ(StoredValue(file, "Sauver préférences en quittant").toString(), "0");
  EXPECT_EQ(StoredValue(file, "Sélectionner à l'ouverture").toString(), "1");
  EXPECT_EQ(StoredValue(file, "IncrustFont/Color").toString(), "255");
  EXPECT_EQ(StoredValue(file, "IncrustFont/StrikeOut").toString(), "1");
  EXPECT_EQ(StoredValue(file, "Actions/afOptions").toString(), "-1");
}

TEST_F(PreferencesStoreTest, SaveReplacesTheWholeActionList) {
  Preferences p = Unusual();
  SavePreferences(location_, p, FixedStamp());
  p.actions = {{"amOnly", 1}, {"bad/name", 1}};
  SavePreferences(location_, p, FixedStamp());
  EXPECT_EQ(LoadPreferences(location_, kEnvironment).actions,
            (std::vector<ActionChoice>{{"amOnly", 1}}));
}

TEST_F(PreferencesStoreTest, FrameGrabberComesFromItsOwnRegistration) {
  Store(location_.FrameGrabberFile(), {{"exename", "/opt/pictrel/pictrel"}});
  EXPECT_EQ(LoadPreferences(location_, kEnvironment).frameGrabProgram, "/opt/pictrel/pictrel");

  Store(location_.ApplicationFile(), {{"Fichier Pictrel", "/usr/bin/mine"}});
  EXPECT_EQ(LoadPreferences(location_, kEnvironment).frameGrabProgram, "/usr/bin/mine");
}

TEST_F(PreferencesStoreTest, SaveIntoAnUnwritablePlaceIsSilent) {
  test::WriteWholeFile(dir_.path() / "blocked", {'x'});
  const StoreLocation blocked{dir_.path() / "blocked"};
  EXPECT_NO_THROW(SavePreferences(blocked, Unusual(), FixedStamp()));
  EXPECT_TRUE(LoadPreferences(blocked, kEnvironment).sendTo);
}

TEST_F(PreferencesStoreTest, DeleteTexts) {
  EXPECT_EQ(DeleteQuestionText(), "Do you really want to delete the preferences of Korvid\nfrom your registry?");
  EXPECT_EQ(NotFoundText(), "The preferences of Korvid were not found in the registry.");
  EXPECT_EQ(DeletedText(), "Korvid has been completely deleted from your registry.");
}

TEST_F(PreferencesStoreTest, DeleteAnsweredNoKeepsEverything) {
  SavePreferences(location_, Unusual(), FixedStamp());
  FakeDialogs no(false);
  EXPECT_EQ(DeletePreferences(location_, no), DeleteOutcome::Declined);
  EXPECT_EQ(no.questions.size(), 1u);
  EXPECT_TRUE(no.warnings.empty() && no.notes.empty());
  EXPECT_TRUE(fs::exists(location_.ApplicationFile()));
}

TEST_F(PreferencesStoreTest, DeleteWithNothingStoredWarns) {
  FakeDialogs yes(true);
  EXPECT_EQ(DeletePreferences(location_, yes), DeleteOutcome::NotFound);
  EXPECT_EQ(yes.warnings, std::vector<std::string>{NotFoundText()});
  EXPECT_TRUE(yes.notes.empty());
}

TEST_F(PreferencesStoreTest, DeleteRemovesTheMakersFolderWhenItIsLeftEmpty) {
  SavePreferences(location_, Unusual(), FixedStamp());
  FakeDialogs yes(true);
  EXPECT_EQ(DeletePreferences(location_, yes), DeleteOutcome::Deleted);
  EXPECT_EQ(yes.notes, std::vector<std::string>{DeletedText()});
  EXPECT_FALSE(fs::exists(location_.MakerFolder()));
  EXPECT_TRUE(fs::exists(location_.configRoot));
  // The next start is a first start again.
  EXPECT_TRUE(LoadPreferences(location_, kEnvironment).sendTo);
}

TEST_F(PreferencesStoreTest, DeleteKeepsAnotherProductOfTheMaker) {
  Store(location_.FrameGrabberFile(), {{"exename", "/opt/pictrel/pictrel"}});
  SavePreferences(location_, Unusual(), FixedStamp());
  FakeDialogs yes(true);
  EXPECT_EQ(DeletePreferences(location_, yes), DeleteOutcome::Deleted);
  EXPECT_FALSE(fs::exists(location_.ApplicationFile()));
  EXPECT_EQ(StoredValue(location_.FrameGrabberFile(), "exename").toString(), "/opt/pictrel/pictrel");
}

TEST_F(PreferencesStoreTest, SaveAfterDeleteDoesNotResurrectOldValues) {
  SavePreferences(location_, Unusual(), FixedStamp());
  FakeDialogs yes(true);
  ASSERT_EQ(DeletePreferences(location_, yes), DeleteOutcome::Deleted);
  Preferences fresh = DefaultPreferences(kEnvironment, false);
  fresh.renameRoot = "New_";
  SavePreferences(location_, fresh, FixedStamp());
  const Preferences loaded = LoadPreferences(location_, kEnvironment);
  EXPECT_EQ(loaded, fresh);
}

class PreferenceSessionTest : public PreferencesStoreTest {};

TEST_F(PreferenceSessionTest, SaveNowSkipsTheSaveAtExit) {
  PreferenceSession session(location_);
  session.Load(kEnvironment);
  ASSERT_TRUE(session.WillSaveAtExit());
  session.SaveNow(FixedStamp());
  EXPECT_TRUE(fs::exists(location_.ApplicationFile()));
  EXPECT_TRUE(session.values().saveOnQuit);
  EXPECT_FALSE(session.WillSaveAtExit());
}

TEST_F(PreferenceSessionTest, DeleteNowKeepsDeletedValuesDeleted) {
  SavePreferences(location_, DefaultPreferences(kEnvironment, false), FixedStamp());
  PreferenceSession session(location_);
  session.Load(kEnvironment);
  FakeDialogs yes(true);
  EXPECT_EQ(session.DeleteNow(yes), DeleteOutcome::Deleted);
  EXPECT_FALSE(session.values().saveOnQuit);
  session.SaveAtExitIfWanted(FixedStamp());
  EXPECT_FALSE(fs::exists(location_.ApplicationFile()));
}

TEST_F(PreferenceSessionTest, SaveAtExitFollowsThePreference) {
  PreferenceSession session(location_);
  session.Load(kEnvironment);
  session.values().saveOnQuit = false;
  session.SaveAtExitIfWanted(FixedStamp());
  EXPECT_FALSE(fs::exists(location_.ApplicationFile()));
  session.values().saveOnQuit = true;
  session.values().renameRoot = "AtExit_";
  session.SaveAtExitIfWanted(FixedStamp());
  EXPECT_EQ(LoadPreferences(location_, kEnvironment).renameRoot, "AtExit_");
}

// Every folder default starts in the documents folder the desktop names
// (XDG user dirs), or in the home folder when there is no such folder:
// the default playlist saved at exit must find somewhere to go.
TEST(UserDocumentsFolderTest, IsTheXdgDocumentsFolderWhenItExistsElseHome) {
  test::TempDir home;
  const auto restore = [](const char* name, const char* value) {
    if (value != nullptr) setenv(name, value, 1); else unsetenv(name);
  };
  const std::string oldHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string keptConfig = oldConfig != nullptr ? oldConfig : "";
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home.path() / ".config").c_str(), 1);

  const auto folders = [] {
    PreferenceSession session(StoreLocation{fs::path(std::getenv("HOME")) / "store"});
    DefaultEnvironment environment = kEnvironment;
    environment.documentsFolder = UserDocumentsFolder();
    session.Load(environment);
    const Preferences& p = session.values();
    return std::vector<std::string>{p.openFolder, p.autoOpenFolder, p.outputFolder, p.playlistFolder};
  };
  const std::string homeFolder = home.path().string() + "/";
  EXPECT_EQ(folders(), std::vector<std::string>(4, homeFolder));

  fs::create_directories(home.path() / "Documents");
  EXPECT_EQ(folders(), std::vector<std::string>(4, homeFolder + "Documents/"));

  // The user's own name for the folder.
  fs::create_directories(home.path() / ".config");
  fs::create_directories(home.path() / "Dokumente");
  {
    std::ofstream dirs(home.path() / ".config" / "user-dirs.dirs");
    dirs << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
  }
  EXPECT_EQ(folders(), std::vector<std::string>(4, homeFolder + "Dokumente/"));
  fs::remove(home.path() / "Dokumente");
  EXPECT_EQ(folders(), std::vector<std::string>(4, homeFolder));

  restore("HOME", oldHome.empty() ? nullptr : oldHome.c_str());
  restore("XDG_CONFIG_HOME", oldConfig != nullptr ? keptConfig.c_str() : nullptr);
}

}  // namespace
}  // namespace korvid::settings
