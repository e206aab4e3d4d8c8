// The built program on files made to cost more than they hold: indexes
// that list the same chunks over and over, names that are no regular
// files, and header values that once reached undefined behaviour. The
// test build traps undefined behaviour, so these runs are its check too.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "support/avi_probe.h"
#include "support/riff_builder.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";
constexpr std::size_t kPalFrameBytes = 144'000;
constexpr std::size_t kSoundBytesPerFrame = 1920 * 4;

class BoundedInputTest : public ::testing::Test {
 protected:
  // Runs korvid with a clean home, no display and a time limit, standard
  // error included in the output; a hang shows as exit status 124.
  test::ShellResult Korvid(const std::string& arguments) {
    return test::RunShell("env -u DISPLAY -u WAYLAND_DISPLAY HOME=" + test::Quoted(home_.path()) +
                          " XDG_CONFIG_HOME=" + test::Quoted(home_ / ".config") +
                          " ASAN_OPTIONS=detect_leaks=0 timeout 60 " + kKorvid + " " + arguments);
  }

  // A type 2 PAL file of `frames` frames (picture and sound of the sample
  // clip) with OpenDML indexes.
  test::Bytes TypeTwo(std::size_t frames, std::size_t super_index_repeats, std::int32_t height = 576) {
    const fs::path sample = test::StandardSample("pal_type2.avi");
    const test::Bytes dv = test::ExtractStream(sample, "v:0", "dv");
    const test::Bytes pcm = test::ExtractStream(sample, "a:0", "s16le");
    EXPECT_GE(dv.size(), frames * kPalFrameBytes);
    test::AviBuilder builder;
    const std::size_t video = builder.AddStream({.format = test::BitmapInfoData("dvsd", 720, height)});
    const std::size_t sound = builder.AddStream(
        {.type = "auds", .handler = std::string(4, '\0'), .chunk_suffix = "wb", .format = test::WaveFormatData(),
         .scale = 1, .rate = 48000});
    for (std::size_t k = 0; k < frames; ++k) {
      const auto at = static_cast<std::ptrdiff_t>(k * kPalFrameBytes);
      builder.AddFrame(video, test::Bytes(dv.begin() + at, dv.begin() + at + kPalFrameBytes));
      const auto sound_at = static_cast<std::ptrdiff_t>(k * kSoundBytesPerFrame);
      builder.AddFrame(sound, test::Bytes(pcm.begin() + sound_at, pcm.begin() + sound_at + kSoundBytesPerFrame));
    }
    builder.superIndexRepeats = super_index_repeats;
    return builder.Build(test::AviIndexKind::kOpenDml);
  }

  QJsonObject InfoOf(const fs::path& file) {
    const test::CommandResult result =
        test::RunCommand({"env", "HOME=" + home_.path().string(), "ASAN_OPTIONS=detect_leaks=0", "timeout", "60",
                          kKorvid, "--info", "--json", file.string()});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    return QJsonDocument::fromJson(QByteArray::fromStdString(result.output)).array().at(0).toObject();
  }

  test::TempDir home_;
  test::TempDir work_;
};

// Where the chunk `code` ("ix00") starts in `file`; the file's size when nowhere.
std::size_t StandardIndexAt(const test::Bytes& file, const std::string& code) {
  const auto found = std::search(file.begin(), file.end(), code.begin(), code.end());
  return static_cast<std::size_t>(found - file.begin());
}

TEST_F(BoundedInputTest, RepeatedIndexEntriesCountOnceAndOutputsStayWithinTheSource) {
  // Each super index lists its standard index 5000 times, and the video's
  // standard index lists its first chunk twice: six distinct frames of
  // which five are listed, a file that once read as thousands of frames.
  test::Bytes crafted = TypeTwo(6, 5000);
  const std::size_t ix = StandardIndexAt(crafted, "ix00");
  ASSERT_LT(ix, crafted.size());
  const std::size_t entries = ix + 8 + 24;
  for (std::size_t b = 0; b < 8; ++b) crafted[entries + 8 + b] = crafted[entries + b];
  const fs::path file = work_ / "crafted.avi";
  test::WriteWholeFile(file, crafted);
  const fs::path five = work_ / "five.avi";
  test::WriteWholeFile(five, TypeTwo(5, 1));

  const QJsonObject info = InfoOf(file);
  EXPECT_EQ(info["durationText"], InfoOf(five)["durationText"]);
  EXPECT_EQ(info["isDV"], true);

  const test::ShellResult run = Korvid("+h +1 " + test::Quoted(file));
  EXPECT_EQ(run.output.find("runtime error"), std::string::npos) << run.output;
  const fs::path output = work_ / "crafted_type1.avi";
  ASSERT_TRUE(fs::exists(output)) << run.output;
  EXPECT_LE(fs::file_size(output), fs::file_size(file));
  const auto probed = test::ProbeFile(output);
  ASSERT_TRUE(probed.has_value());
  ASSERT_FALSE(probed->streams.empty());
  EXPECT_EQ(probed->streams[0].read_frames, 5);
}

TEST_F(BoundedInputTest, SpecialFilesAreNamedAndSkippedWithoutHanging) {
  fs::create_directories(work_ / "clips");
  fs::copy_file(test::StandardSample("pal_type2.avi"), work_ / "clips/good.avi");
  const fs::path fifo = work_ / "clips/x.avi";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string named = test::Quoted(fifo);

  const test::ShellResult scan = Korvid("--info " + test::Quoted(work_ / "clips"));
  EXPECT_EQ(scan.exit_code, 1) << scan.output;
  EXPECT_NE(scan.output.find("good.avi"), std::string::npos) << scan.output;
  EXPECT_NE(scan.output.find("korvid: " + fifo.string() + ": not a regular file\n"), std::string::npos) << scan.output;

  for (const std::string option : {"--info ", "--riff ", "--datecode "}) {
    const test::ShellResult result = Korvid(option + named);
    EXPECT_EQ(result.exit_code, 1) << option << result.output;
    EXPECT_NE(result.output.find("not a regular file"), std::string::npos) << option << result.output;
  }

  // A run over the folder lists and renames the clip, never the FIFO.
  const test::ShellResult run = Korvid("+h +d " + test::Quoted(work_ / "clips"));
  EXPECT_NE(run.exit_code, 124) << run.output;
  EXPECT_TRUE(fs::exists(work_ / "clips/good_2005.08.14_03.02.11_pm.avi")) << run.output;
  struct stat facts {};
  ASSERT_EQ(::lstat(fifo.c_str(), &facts), 0);
  EXPECT_TRUE(S_ISFIFO(facts.st_mode));
}

// Every empty "strl" list is a stream: a header of a million of them once
// cost memory and time in proportion. The file is refused at the writer's
// own limit, with that reason, and a file at the limit is read as before.
TEST_F(BoundedInputTest, StreamsBeyondTheWritersLimitAreRefusedWithTheirReason) {
  const auto declaring = [](std::size_t streams) {
    std::vector<test::Bytes> header{test::Chunk("avih", test::AvihData(40000, 0, 0))};
    for (std::size_t k = 0; k < streams; ++k) header.push_back(test::List("LIST", "strl", {}));
    return test::List("RIFF", "AVI ", {test::List("LIST", "hdrl", header)});
  };
  const fs::path many = work_ / "many.avi";
  test::WriteWholeFile(many, declaring(100));
  const fs::path limit = work_ / "limit.avi";
  test::WriteWholeFile(limit, declaring(99));

  const test::ShellResult refused = Korvid("--datecode " + test::Quoted(many));
  EXPECT_EQ(refused.exit_code, 1) << refused.output;
  EXPECT_NE(refused.output.find(many.string() + " declares more than 99 streams"), std::string::npos)
      << refused.output;
  const test::ShellResult read = Korvid("--datecode " + test::Quoted(limit));
  EXPECT_EQ(read.exit_code, 1) << read.output;
  EXPECT_NE(read.output.find("korvid: " + limit.string() + ": no video stream\n"), std::string::npos) << read.output;
}

TEST_F(BoundedInputTest, HeaderExtremesAndDamagedFramesStayDefined) {
  // The most negative bitmap height has no positive twin.
  const fs::path tall = work_ / "tall.avi";
  test::WriteWholeFile(tall, TypeTwo(2, 1, INT32_MIN));
  EXPECT_EQ(InfoOf(tall)["imageText"].toString().toStdString().rfind("720 x 2147483647 ", 0), 0u);

  // A damaged chunk after a good frame reaches the picture decoder as no
  // bytes at all while the datecode is inlaid.
  test::Bytes damaged = TypeTwo(4, 1);
  const std::size_t ix = StandardIndexAt(damaged, "ix00");
  ASSERT_LT(ix, damaged.size());
  test::PatchLE32(damaged, ix + 8 + 24 + 2 * 8 + 4, 100);  // frame 2's size
  const fs::path file = work_ / "damaged.avi";
  test::WriteWholeFile(file, damaged);
  const test::ShellResult run = Korvid("+h +i " + test::Quoted(file));
  EXPECT_LT(run.exit_code, 128) << run.output;
  EXPECT_EQ(run.output.find("runtime error"), std::string::npos) << run.output;
  EXPECT_TRUE(test::ProbeFile(work_ / "damaged_in.avi").has_value()) << run.output;
}

}  // namespace
}  // namespace korvid
