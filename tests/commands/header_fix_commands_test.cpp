#include "commands/header_fix_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "commands/command_skipped.h"
#include "graphs/dv_source.h"
#include "media/avi_stream_locator.h"
#include "media/binary_file.h"
#include "media/datecode_shift.h"
#include "media/dv_audio.h"
#include "media/le_bytes.h"
#include "sample_clip.h"
#include "support/avi_probe.h"
#include "support/dv_pack_frames.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

using test::TempDir;

// A chooser that plays the user: it sees the state the dialog opens on
// and makes its choice, or cancels.
template <typename State, typename Base>
class ScriptedChooser : public Base {
 public:
  std::function<bool(State&)> user = [](State&) { return true; };
  std::vector<State> opened;
  bool Choose(State& state) override {
    opened.push_back(state);
    return user(state);
  }
};
using ScriptedFrameRate = ScriptedChooser<FrameRateChoiceState, FrameRateChooser>;
using ScriptedCodec = ScriptedChooser<CodecChoiceState, CodecChooser>;

struct Fixture {
  test::ScriptedHost host;
  ScriptedFrameRate rate;
  ScriptedCodec codec;
  FrameRateChoiceState rateState;
  CodecChoiceState codecState;
  HeaderFixServices Services() { return {host, rate, codec, rateState, codecState}; }
};

media::TAfficherFichier EntryOf(const std::filesystem::path& path, double fps = 25, const std::string& codec = "dvsd") {
  media::TAfficherFichier entry;
  media::SetNameFields(path, entry);
  media::SetFileFacts(entry);
  entry.fps = fps;
  entry.codec = codec;
  entry.dvType = 2;
  entry.isDV = true;
  return entry;
}

// Offsets at which two files of the same length differ.
std::vector<std::size_t> Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  EXPECT_EQ(a.size(), b.size());
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i] != b[i]) at.push_back(i);
  return at;
}

TEST(CorrigerFps, TheDialogOpensOnTheFilesRateTheFirstTimeOnly) {
  TempDir dir;
  const auto path = test::CopyStandardSample("ntsc_type2.avi", dir.path());
  const std::vector<std::pair<double, int>> cases{{25.0, FrameRateChoiceState::kPal},
                                                  {30000.0 / 1001, FrameRateChoiceState::kNtsc},
                                                  {29.97, FrameRateChoiceState::kNtsc},
                                                  {30.0, FrameRateChoiceState::kPersonalized}};
  for (const auto& [fps, item] : cases) {
    Fixture f;
    f.rate.user = [](FrameRateChoiceState&) { return false; };
    auto services = f.Services();
    std::string unused;
    EXPECT_EQ(CorrigerFpsExecution(EntryOf(path, fps), unused, services), utNone);
    ASSERT_EQ(f.rate.opened.size(), 1u);
    EXPECT_EQ(f.rate.opened[0].choice, item) << fps;
    EXPECT_EQ(f.rate.opened[0].editEnabled, item == FrameRateChoiceState::kPersonalized);
  }
  // Later files start from the last choice, whatever their own rate.
  Fixture f;
  f.rate.user = [](FrameRateChoiceState& s) {
    SelectFrameRateItem(s, FrameRateChoiceState::kPersonalized);
    s.editText = "12.5";
    return true;
  };
  auto services = f.Services();
  std::string unused;
  EXPECT_EQ(CorrigerFpsExecution(EntryOf(path, 25), unused, services), utModify);
  f.rate.user = [](FrameRateChoiceState&) { return false; };
  CorrigerFpsExecution(EntryOf(path, 25), unused, services);
  EXPECT_EQ(f.rate.opened[1].choice, FrameRateChoiceState::kPersonalized);
  EXPECT_EQ(f.rate.opened[1].editText, "12.5");
  EXPECT_DOUBLE_EQ(f.rateState.lastRate, 12.5);
}

TEST(CorrigerFps, Choosing25WritesOnlyScaleAndRate) {
  TempDir dir;
  const auto path = test::CopyStandardSample("ntsc_type2.avi", dir.path());
  const auto before = test::ReadWholeFile(path);
  Fixture f;
  f.rate.user = [](FrameRateChoiceState& s) {
    SelectFrameRateItem(s, FrameRateChoiceState::kPal);
    return true;
  };
  auto services = f.Services();
  std::string unused;
  ASSERT_EQ(CorrigerFpsExecution(EntryOf(path, 29.97), unused, services), utModify);
  const auto after = test::ReadWholeFile(path);
  const media::BinaryFile file(path, media::BinaryFile::Mode::kRead);
  const auto where = media::LocateVideoStreamHeader(file);
  ASSERT_TRUE(where);
  EXPECT_EQ(media::LoadLE32(after.data() + where->scale), 40000u);
  EXPECT_EQ(media::LoadLE32(after.data() + where->rate), 1000000u);
  for (std::size_t at : Differences(before, after))
    EXPECT_TRUE((at >= where->scale && at < where->scale + 4) || (at >= where->rate && at < where->rate + 4)) << at;
  EXPECT_EQ(f.host.releases, 1);
  EXPECT_EQ(f.host.retakes, 1);
  EXPECT_TRUE(f.host.questions.empty());
  EXPECT_EQ(f.rateState.editText, "25");
}

TEST(CorrigerFps, TextThatIsNotARateAboveZeroChangesNothing) {
  TempDir dir;
  const auto path = test::CopyStandardSample("pal_type2.avi", dir.path());
  const auto before = test::ReadWholeFile(path);
  for (const char* text : {"abc", "0", "-25", "", "25x"}) {
    Fixture f;
    f.rate.user = [text](FrameRateChoiceState& s) {
      SelectFrameRateItem(s, FrameRateChoiceState::kPersonalized);
      s.editText = text;
      return true;
    };
    auto services = f.Services();
    std::string unused;
    EXPECT_EQ(CorrigerFpsExecution(EntryOf(path), unused, services), utNone) << text;
    EXPECT_EQ(f.host.releases, 0);
  }
  EXPECT_EQ(test::ReadWholeFile(path), before);
}

TEST(CorrigerFps, AFileThatCannotTakeTheRateFailsAndIsLeftAlone) {
  TempDir dir;
  test::WriteWholeFile(dir / "junk.avi", std::vector<std::uint8_t>(300, 7));
  Fixture f;
  f.rate.user = [](FrameRateChoiceState& s) {
    SelectFrameRateItem(s, FrameRateChoiceState::kNtsc);
    return true;
  };
  auto services = f.Services();
  std::string unused;
  EXPECT_THROW(CorrigerFpsExecution(EntryOf(dir / "junk.avi"), unused, services), media::AviHeaderError);
  EXPECT_EQ(test::ReadWholeFile(dir / "junk.avi"), std::vector<std::uint8_t>(300, 7));
  bool visible = false;
  bool enabled = true;
  auto type1 = EntryOf(dir / "junk.avi");
  type1.dvType = 1;
  CorrigerFpsFileCondition(type1, visible, enabled);
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(visible);  // untouched
}

TEST(CorrigerCodec, TheDialogOpensOnTheStoredCodeCaseCounting) {
  TempDir dir;
  const auto path = test::CopyStandardSample("pal_type2.avi", dir.path());
  for (const auto& [codec, item] : std::vector<std::pair<std::string, int>>{
           {"dvsd", CodecChoiceState::kDvsd}, {"dsvd", CodecChoiceState::kDsvd},
           {"CDVC", CodecChoiceState::kCdvc}, {"DVSD", CodecChoiceState::kPersonalized}}) {
    Fixture f;
    f.codec.user = [](CodecChoiceState&) { return false; };
    auto services = f.Services();
    std::string unused;
    EXPECT_EQ(CorrigerCodecExecution(EntryOf(path, 25, codec), unused, services), utNone);
    ASSERT_EQ(f.codec.opened.size(), 1u);
    EXPECT_EQ(f.codec.opened[0].choice, item) << codec;
    EXPECT_EQ(f.codec.opened[0].editEnabled, item == CodecChoiceState::kPersonalized);
    if (item == CodecChoiceState::kPersonalized) {
      EXPECT_EQ(f.codec.opened[0].editText, "DVSD");
    }
  }
}

TEST(CorrigerCodec, APersonalisedCodeWritesItsFirstFourCharactersAndNothingElse) {
  TempDir dir;
  const auto path = test::CopyStandardSample("pal_type2.avi", dir.path());
  const auto before = test::ReadWholeFile(path);
  Fixture f;
  f.codec.user = [](CodecChoiceState& s) {
    SelectCodecItem(s, CodecChoiceState::kPersonalized);
    s.editText = "abcdef";
    return true;
  };
  auto services = f.Services();
  std::string unused;
  ASSERT_EQ(CorrigerCodecExecution(EntryOf(path), unused, services), utModify);
  EXPECT_EQ(media::FourCCText(media::ReadVideoHandler(path)), "abcd");
  const media::BinaryFile file(path, media::BinaryFile::Mode::kRead);
  const auto where = media::LocateVideoStreamHeader(file);
  ASSERT_TRUE(where);
  for (std::size_t at : Differences(before, test::ReadWholeFile(path)))
    EXPECT_TRUE(at >= where->handler && at < where->handler + 4) << at;
  EXPECT_EQ(f.codecState.lastCode, "abcd");

  // Short codes are padded; empty and non-ASCII ones are refused.
  CodecChoiceState state;
  SelectCodecItem(state, CodecChoiceState::kPersonalized);
  state.editText = "dv";
  EXPECT_EQ(ChosenCodec(state), media::FourCC("dv  "));
  state.editText = "";
  EXPECT_FALSE(ChosenCodec(state));
  state.editText = "d\xC3\xA9v";
  EXPECT_FALSE(ChosenCodec(state));
  SelectCodecItem(state, CodecChoiceState::kCdvc);
  EXPECT_EQ(ChosenCodec(state), media::FourCC("CDVC"));
}

TEST(CorrigerCodec, ANonAviFileFailsAndStaysUnchanged) {
  TempDir dir;
  test::WriteWholeFile(dir / "junk.avi", std::vector<std::uint8_t>(300, 7));
  Fixture f;
  auto services = f.Services();
  std::string unused;
  EXPECT_THROW(CorrigerCodecExecution(EntryOf(dir / "junk.avi", 25, "dvsd"), unused, services), media::AviHeaderError);
  EXPECT_EQ(test::ReadWholeFile(dir / "junk.avi"), std::vector<std::uint8_t>(300, 7));
}

TEST(HeaderFixes, AReadOnlyFileAsksFirstIsFixedAndStaysReadOnly) {
  TempDir dir;
  const auto path = test::CopyStandardSample("pal_type2.avi", dir.path());
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const auto entry = EntryOf(path);
  ASSERT_TRUE(entry.IsReadOnly());
  EXPECT_EQ(CorrigerFpsConfirmation(entry), "The file " + entry.fullName +
                                                "\n is ReadOnly. Do you really want to change its framerate?");
  EXPECT_EQ(CorrigerCodecConfirmation(entry),
            "The file " + entry.fullName + "\nDo you really want to chnage the codec?");

  Fixture f;
  f.rate.user = [](FrameRateChoiceState& s) {
    SelectFrameRateItem(s, FrameRateChoiceState::kNtsc);
    return true;
  };
  f.codec.user = [](CodecChoiceState& s) {
    SelectCodecItem(s, CodecChoiceState::kDsvd);
    return true;
  };
  auto services = f.Services();
  std::string unused;
  EXPECT_EQ(CorrigerFpsExecution(entry, unused, services), utModify);
  EXPECT_EQ(CorrigerCodecExecution(entry, unused, services), utModify);
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(media::FourCCText(media::ReadVideoHandler(path)), "dsvd");
  {
    const media::BinaryFile file(path, media::BinaryFile::Mode::kRead);
    const auto where = media::LocateVideoStreamHeader(file);
    ASSERT_TRUE(where);
    const auto bytes = test::ReadWholeFile(path);
    EXPECT_EQ(media::LoadLE32(bytes.data() + where->scale), media::FrameRateFraction(29.97).scale);
  }

  // A writable file gets no question; a long path is cut, not replaced.
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(CorrigerFpsConfirmation(EntryOf(path)).empty());
  auto long_entry = entry;
  long_entry.fullName = "/" + std::string(300, 'x') + ".avi";
  EXPECT_EQ(CorrigerCodecConfirmation(long_entry).size(), 255u);
}

// --- fixing a time difference ---------------------------------------------

TEST(DecalerHoraire, NamesConditionsAndQuestion) {
  EXPECT_EQ(TimeShiftSuffix(2), "_hor+2.avi");
  EXPECT_EQ(TimeShiftSuffix(-5), "_hor-5.avi");
  settings::Preferences preferences;
  preferences.saveInSameFolder = true;
  media::TAfficherFichier entry;
  entry.isDV = true;
  bool visible = false;
  bool enabled = true;
  DecalerHoraireFileCondition(entry, preferences, visible, enabled);
  EXPECT_TRUE(visible);
  EXPECT_FALSE(enabled);
  preferences.clockOffsetHours = -5;
  DecalerHoraireFileCondition(entry, preferences, visible, enabled);
  EXPECT_TRUE(enabled);
  entry.isDV = false;
  DecalerHoraireFileCondition(entry, preferences, visible, enabled);
  EXPECT_FALSE(visible);
  EXPECT_FALSE(enabled);
  graphs::FilterAvailability availability;
  DecalerHoraireGeneralCondition(availability, visible);
  EXPECT_FALSE(visible);

  TempDir dir;
  entry.fullName = (dir / "clip.avi").string();
  EXPECT_TRUE(DecalerHoraireConfirmation(entry, preferences).empty());
  test::WriteWholeFile(dir / "clip_hor-5.avi", {1});
  EXPECT_EQ(DecalerHoraireConfirmation(entry, preferences),
            "Do you want to replace the existing file " + (dir / "clip_hor-5.avi").string() + " ?");
}

struct ShiftCase {
  int dv_type;
  int hours;
  media::TDatecode start;
};

std::vector<std::uint8_t> DifBlocksOfKind(const std::vector<std::uint8_t>& frame, int kind) {
  std::vector<std::uint8_t> out;
  for (std::size_t at = 0; at + 80 <= frame.size(); at += 80)
    if ((frame[at] >> 5) == kind) out.insert(out.end(), frame.begin() + static_cast<std::ptrdiff_t>(at) + 3,
                                             frame.begin() + static_cast<std::ptrdiff_t>(at) + 80);
  return out;
}

TEST(DecalerHoraire, EveryFrameIsShiftedAcrossMidnightWithPictureAndSoundUntouched) {
  TempDir dir;
  for (const ShiftCase& c : {ShiftCase{2, 2, {2005, 12, 31, 23, 59, 59}}, ShiftCase{1, -5, {2006, 1, 1, 3, 0, 0}}}) {
    samples::DvClipSpec spec;
    spec.file_name = "clip" + std::to_string(c.dv_type) + ".avi";
    spec.dv_type = c.dv_type;
    spec.frames = 40;
    spec.start = c.start;
    const auto source = dir / spec.file_name;
    samples::WriteDvClip(source, spec);

    ConvertTimer timer;
    settings::Preferences preferences;
    preferences.saveInSameFolder = true;
    preferences.clockOffsetHours = c.hours;
    graphs::FilterAvailability availability;
    availability.dixmarkFound = true;
    test::ScriptedHost host;
    ProcessFlags flags;
    ConversionServices services{timer, preferences, availability, host, flags};
    media::TAfficherFichier entry;
    entry.fullName = source.string();
    entry.isDV = true;
    std::string newfichier;
    ASSERT_EQ(DecalerHoraireExecution(entry, newfichier, services), utAdd);
    const auto expected_name = dir / ("clip" + std::to_string(c.dv_type) + TimeShiftSuffix(c.hours));
    ASSERT_EQ(newfichier, expected_name.string());

    const graphs::DvSource before(source);
    const graphs::DvSource after(newfichier);
    ASSERT_EQ(after.FrameCount(), before.FrameCount());
    EXPECT_EQ(after.Interleaved(), c.dv_type == 1);
    std::vector<std::uint8_t> a;
    std::vector<std::uint8_t> b;
    for (std::size_t k = 0; k < before.FrameCount(); ++k) {
      ASSERT_TRUE(before.ReadFrame(k, a));
      ASSERT_TRUE(after.ReadFrame(k, b));
      media::TDatecode old_dc;
      media::TDatecode new_dc;
      old_dc = test::FixedDatecode(a);
      new_dc = test::FixedDatecode(b);
      EXPECT_EQ(new_dc, media::ShiftDatecode(old_dc, c.hours)) << "frame " << k;
      EXPECT_EQ(DifBlocksOfKind(b, 4), DifBlocksOfKind(a, 4)) << "video of frame " << k;
      EXPECT_EQ(media::DecodeDvAudio(b).pcm[0], media::DecodeDvAudio(a).pcm[0]) << "sound of frame " << k;
    }
    if (c.dv_type == 2 && test::UseProgram("ffmpeg")) {
      EXPECT_EQ(test::ExtractStream(newfichier, "a:0", "s16le"), test::ExtractStream(source, "a:0", "s16le"));
    }
    if (test::UseProgram("mediainfo")) {
      const media::TDatecode first = media::ShiftDatecode(c.start, c.hours);
      char text[32];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", first.year, first.month, first.day,
                    first.hour, first.minute, first.second);
      EXPECT_EQ(test::MediaInfoField(newfichier, "Recorded_Date").substr(0, 19), text);
    }
  }
}

TEST(DecalerHoraire, ANonDvFileIsSkipped) {
  TempDir dir;
  ConvertTimer timer;
  settings::Preferences preferences;
  preferences.saveInSameFolder = true;
  preferences.clockOffsetHours = 3;
  graphs::FilterAvailability availability;
  test::ScriptedHost host;
  ProcessFlags flags;
  ConversionServices services{timer, preferences, availability, host, flags};
  media::TAfficherFichier entry;
  entry.fullName = test::StandardSample(samples::kMjpegClipName).string();
  std::string newfichier = "stale";
  EXPECT_THROW(DecalerHoraireExecution(entry, newfichier, services), CommandSkipped);
  EXPECT_TRUE(newfichier.empty());
}

}  // namespace
}  // namespace korvid::commands
