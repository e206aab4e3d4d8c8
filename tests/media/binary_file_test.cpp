#include "media/binary_file.h"

#include "support/test_env.h"

namespace korvid::media {
namespace {

TEST(BinaryFile, PositionedReadsStopShortAtTheEnd) {
  test::TempDir dir;
  test::WriteWholeFile(dir / "f", {1, 2, 3, 4, 5});
  const BinaryFile file(dir / "f", BinaryFile::Mode::kRead);
  std::uint8_t buf[4] = {};
  EXPECT_EQ(file.ReadAt(3, buf), 2u);
  EXPECT_EQ(buf[0], 4);
  EXPECT_FALSE(file.ReadExactAt(2, buf));
  EXPECT_TRUE(file.ReadExactAt(1, buf));
  EXPECT_EQ(file.ReadAt(100, buf), 0u);
}

TEST(BinaryFile, MissingFileAndFolderAreRefusedWithTheirName) {
  test::TempDir dir;
  try {
    BinaryFile file(dir / "absent.avi", BinaryFile::Mode::kRead);
    FAIL() << "opened a missing file";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("absent.avi"), std::string::npos);
  }
  EXPECT_THROW(BinaryFile(dir.path(), BinaryFile::Mode::kRead), FileError);
}

TEST(BinaryFile, WriteAtChangesOnlyTheBytesNamed) {
  test::TempDir dir;
  test::WriteWholeFile(dir / "f", {0, 0, 0, 0, 0, 0});
  {
    BinaryFile file(dir / "f", BinaryFile::Mode::kReadWrite);
    const std::uint8_t patch[2] = {7, 8};
    file.WriteAt(2, patch);
  }
  EXPECT_EQ(test::ReadWholeFile(dir / "f"), (std::vector<std::uint8_t>{0, 0, 7, 8, 0, 0}));
}

TEST(BinaryFile, GatheredWritesLandInOrder) {
  test::TempDir dir;
  const std::vector<std::uint8_t> a{1, 2, 3}, b{4}, c{5, 6};
  {
    BinaryFile file(dir / "f", BinaryFile::Mode::kCreate);
    file.WriteAt(1, {a, {}, b, c});
    // More parts than one system call takes.
    file.WriteAt(7, {b, b, b, b, b, b, b, b, c});
  }
  EXPECT_EQ(test::ReadWholeFile(dir / "f"),
            (std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5, 6, 4, 4, 4, 4, 4, 4, 4, 4, 5, 6}));
}

}  // namespace
}  // namespace korvid::media
