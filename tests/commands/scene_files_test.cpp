#include "commands/scene_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_env.h"

namespace korvid::commands {
namespace {

using test::ReadWholeFile;
using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Text(std::string_view s) { return Bytes(s.begin(), s.end()); }
Bytes LE32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 24)};
}

media::TAfficherFichier EntryAt(const std::filesystem::path& path) {
  media::TAfficherFichier entry;
  media::SetNameFields(path, entry);
  return entry;
}

TSceneInfo Scene(std::int32_t start, std::int32_t end) {
  TSceneInfo s;
  s.StartFrame = start;
  s.EndFrame = end;
  return s;
}

// The scene file as the player reads it: the fixed sizes around the path,
// N of the first record, then S at offset 9 of each 35-byte record.
struct ScnReading {
  int count = -1;
  std::int32_t first_frames = -1;     // N
  std::vector<std::int32_t> starts;  // S of the further records
  bool sizes_match = false;
};

ScnReading ReadAsPlayer(const Bytes& b) {
  ScnReading r;
  std::size_t p = 24;
  if (b.size() < p + 1) return r;
  const std::size_t L = b[p];
  p += 1 + L + 8;
  if (b.size() < p + 2 + 30) return r;
  r.count = b[p] | (b[p + 1] << 8);
  p += 2 + 30;
  if (r.count == 0) {
    r.sizes_match = p == b.size();
    return r;
  }
  if (b.size() < p + 23 + L) return r;
  r.first_frames = static_cast<std::int32_t>(b[p] | (b[p + 1] << 8) | (b[p + 2] << 16) | (b[p + 3] << 24));
  p += 23 + L;
  for (int i = 1; i < r.count; ++i) {
    if (b.size() < p + 35) return r;
    r.starts.push_back(
        static_cast<std::int32_t>(b[p + 9] | (b[p + 10] << 8) | (b[p + 11] << 16) | (b[p + 12] << 24)));
    p += 35;
  }
  r.sizes_match = p == b.size();
  return r;
}

TEST(ScnLayout, HeaderAndRecordsByteForByte) {
  const std::string path = "/v/a.avi";
  const Bytes header = Concat({{0x63, 0x26, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x0A, 0x00},
                               Text("SourceTape"),
                               {8},
                               Text(path),
                               Bytes(8, 0),
                               {0, 0},
                               {0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00},
                               Text("ClipP"),
                               {0x00, 0x00, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00},
                               Text("Scene"),
                               Bytes(5, 0)});
  EXPECT_EQ(ScnHeader(path), header);
  EXPECT_EQ(header.size(), 65u + path.size());
  EXPECT_EQ(ScnCountOffset(path), 33u + path.size());

  EXPECT_EQ(ScnFirstSceneRecord(path, 0x01020304),
            Concat({LE32(0x01020304), {0, 0, 0, 0, 0x01, 0x80}, {8}, Text(path), Bytes(8, 0), LE32(0x01020304)}));
  EXPECT_EQ(ScnFurtherSceneRecord(40, 35),
            Concat({{0x03, 0x80, 0xF0, 0x00, 0x00, 0x00, 0x05, 0x80, 0x00},
                    LE32(40),
                    LE32(35),
                    {0, 0, 0, 0, 0x07, 0x00},
                    LE32(40),
                    LE32(35),
                    LE32(40)}));
}

TEST(ScnWriter, WritesScenesWithExclusiveEndsAndTheCountOnClose) {
  TempDir dir;
  const media::TAfficherFichier entry = EntryAt(dir / "clip.avi");
  ScnFileWriter writer;
  ASSERT_TRUE(writer.OpenSceneOutput(entry));
  writer.WriteScene(Scene(0, 39));
  writer.WriteScene(Scene(40, 99));
  writer.WriteScene(Scene(100, 100));
  writer.CloseSceneOutput();

  const Bytes bytes = ReadWholeFile(dir / "clip.scn");
  const Bytes expected = Concat({ScnHeader(entry.fullName), ScnFirstSceneRecord(entry.fullName, 40),
                                 ScnFurtherSceneRecord(40, 60), ScnFurtherSceneRecord(100, 1)});
  ASSERT_EQ(bytes.size(), expected.size());
  Bytes with_count = expected;
  with_count[ScnCountOffset(entry.fullName)] = 3;
  EXPECT_EQ(bytes, with_count);
  const ScnReading reading = ReadAsPlayer(bytes);
  EXPECT_TRUE(reading.sizes_match);
  EXPECT_EQ(reading.first_frames, 40);
  EXPECT_EQ(reading.starts, (std::vector<std::int32_t>{40, 100}));
}

TEST(ScnWriter, SkipsScenesEndingOnFrameZero) {
  TempDir dir;
  ScnFileWriter writer;
  ASSERT_TRUE(writer.OpenSceneOutput(EntryAt(dir / "one.avi")));
  writer.WriteScene(Scene(0, 0));
  writer.CloseSceneOutput();
  const ScnReading reading = ReadAsPlayer(ReadWholeFile(dir / "one.scn"));
  EXPECT_EQ(reading.count, 0);
  EXPECT_TRUE(reading.sizes_match);
}

TEST(ScnWriter, KeepsAtMost32767Scenes) {
  TempDir dir;
  const media::TAfficherFichier entry = EntryAt(dir / "many.avi");
  ScnFileWriter writer;
  ASSERT_TRUE(writer.OpenSceneOutput(entry));
  constexpr std::int32_t kScenes = 32770;
  for (std::int32_t i = 0; i < kScenes; ++i) writer.WriteScene(Scene(i * 20, i * 20 + 19));
  writer.CloseSceneOutput();
  const Bytes bytes = ReadWholeFile(dir / "many.scn");
  const ScnReading reading = ReadAsPlayer(bytes);
  EXPECT_EQ(reading.count, 32767);
  EXPECT_TRUE(reading.sizes_match);
  EXPECT_EQ(bytes.size(), 65 + entry.fullName.size() + 23 + entry.fullName.size() + 32766u * 35);
  ASSERT_EQ(reading.starts.size(), 32766u);
  EXPECT_EQ(reading.first_frames, 20);
  EXPECT_EQ(reading.starts[0], 20);
  EXPECT_EQ(reading.starts.back(), 32766 * 20);
}

TEST(ScnWriter, AnOlderSceneFileStaysUntilTheNewOneIsComplete) {
  TempDir dir;
  const Bytes older(5000, 0xAB);
  test::WriteWholeFile(dir / "clip.scn", older);
  ScnFileWriter writer;
  ASSERT_TRUE(writer.OpenSceneOutput(EntryAt(dir / "clip.avi")));
  writer.WriteScene(Scene(0, 39));
  EXPECT_EQ(ReadWholeFile(dir / "clip.scn"), older) << "nothing replaced while the scan runs";
  writer.AbandonSceneOutput();
  EXPECT_EQ(ReadWholeFile(dir / "clip.scn"), older);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary left";

  ASSERT_TRUE(writer.OpenSceneOutput(EntryAt(dir / "clip.avi")));
  writer.CloseSceneOutput();
  EXPECT_TRUE(ReadAsPlayer(ReadWholeFile(dir / "clip.scn")).sizes_match);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ScnWriter, RefusesPathsTooLongForTheLengthByte) {
  TempDir dir;
  media::TAfficherFichier entry = EntryAt(dir / "x.avi");
  entry.fullName = "/" + std::string(249, 'a') + ".avi";  // 254 bytes
  ScnFileWriter writer;
  EXPECT_EQ(writer.Refusal(entry), "");
  entry.fullName = "/" + std::string(247, 'a') + "\xC3\xA9" + ".avi";  // 253 characters, 254 bytes
  EXPECT_EQ(writer.Refusal(entry), "");
  entry.fullName = "/" + std::string(248, 'a') + "\xC3\xA9" + ".avi";  // 255 bytes
  EXPECT_NE(writer.Refusal(entry).find("255 bytes"), std::string::npos) << writer.Refusal(entry);
  EXPECT_FALSE(writer.OpenSceneOutput(entry));
}

TEST(SceneOutputNames, ExtensionOfTheLastElementOnly) {
  EXPECT_EQ(SceneFilePath("/home/u/clip.avi"), "/home/u/clip.scn");
  EXPECT_EQ(SceneTextPath("/home/u/clip.avi"), "/home/u/clip_scn.txt");
  EXPECT_EQ(SceneTextPath("D:\\Video\\Clip.AVI"), "D:\\Video\\Clip_scn.txt");
  EXPECT_EQ(SceneFilePath("/home/u.v/clip"), "/home/u.v/clip.scn");
  EXPECT_EQ(SceneFilePath("/home/u/a.b.avi"), "/home/u/a.b.scn");
}

TEST(SceneText, HeaderLinesLowerCaseTheFullPath) {
  const std::vector<std::string> lines = SceneTextHeaderLines("D:\\Video\\Clip.AVI", "1.2.3");
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[0], "//--------------------------------------------------");
  EXPECT_EQ(lines[1], "// List of scenes of the video file:");
  EXPECT_EQ(lines[3], "// ***   d:\\video\\clip.avi   ***");
  EXPECT_EQ(lines[5], "// exported by Korvid version 1.2.3 En");
  EXPECT_EQ(lines[7], "// scene number, start, end, datecode, timecode, duration");
  EXPECT_EQ(lines[9], lines[0]);
  EXPECT_EQ(lines[10], "");
  EXPECT_EQ(SceneTextHeaderLines("/home/Ann/\xC3\x89T\xC3\x89/Clip.avi", "1")[3],
            "// ***   /home/ann/\xC3\xA9t\xC3\xA9/clip.avi   ***");
}

TEST(SceneText, WholeFileWithLinuxPath) {
  TempDir dir;
  std::filesystem::create_directories(dir / "Holiday");
  const media::TAfficherFichier entry = EntryAt(dir / "Holiday" / "Beach.AVI");
  SceneTextWriter writer([] { return settings::DateTimeValue{2024, 3, 5, 14, 3, 9}; },
                         settings::EnglishLocaleFormats());
  ASSERT_TRUE(writer.OpenSceneOutput(entry));
  TSceneInfo first = Scene(0, 39);
  first.StartText = "00.00.00.00";
  first.EndText = "00.00.01.14";
  first.DatecodeText = "14/08/2005 15:02:11";
  first.TimecodeText = "00.00.00.00";
  first.DurationText = "00.00.01.14";
  writer.WriteScene(first);
  writer.WriteScene(Scene(40, 40));  // every scene is listed, even one ending on frame 40 alone
  writer.CloseSceneOutput();

  const Bytes bytes = ReadWholeFile(dir / "Holiday" / "Beach_scn.txt");
  const std::string text(bytes.begin(), bytes.end());
  std::string lower = entry.fullName;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string expected_start = "//--------------------------------------------------\r\n"
                                     "// List of scenes of the video file:\r\n"
                                     "//\r\n"
                                     "// ***   " + lower + "   ***\r\n";
  EXPECT_EQ(text.substr(0, expected_start.size()), expected_start);
  EXPECT_NE(text.find("\r\n\r\n  1,00.00.00.00,00.00.01.14,14/08/2005 15:02:11,00.00.00.00,00.00.01.14\r\n"
                      "  2,,,,,\r\n\r\n//--------------------------------------------------\r\n"
                      "// Terminated on "),
            std::string::npos)
      << text;
  const std::string end = " at 14:03:09\r\n// Visit my web site " + std::string(kMakerWebAddress) + "\r\n//\r\n";
  ASSERT_GE(text.size(), end.size());
  EXPECT_EQ(text.substr(text.size() - end.size()), end);
  EXPECT_NE(text.find("March"), std::string::npos) << "the locale's long date";
}

TEST(SceneText, UnwritableFolderFailsToOpen) {
  TempDir dir;
  SceneTextWriter writer;
  EXPECT_THROW(writer.OpenSceneOutput(EntryAt(dir / "missing" / "clip.avi")), media::FileError);
}

}  // namespace
}  // namespace korvid::commands
