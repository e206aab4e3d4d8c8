#include "media/riff_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "media/avi_stream_locator.h"
#include "media/binary_file.h"
#include "support/riff_builder.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::Bytes;
using Lines = std::vector<std::string>;

RiffReportStamp Stamp() {
  RiffReportStamp stamp;
  stamp.now = {2024, 3, 5, 9, 7, 8};
  stamp.locale = settings::EnglishLocaleFormats();
  stamp.program = "Korvid";
  stamp.maker = "Marovec";
  stamp.version = "5.3.6";
  stamp.webAddress = "https://korvid.example.org";
  return stamp;
}

// The lines between the opening banners and the closing ones.
Lines Body(const RiffReport& report) {
  const auto start = std::find(report.lines.begin(), report.lines.end(), "--------------- Start of Avi RIFF ---------------");
  const auto end = std::find(report.lines.begin(), report.lines.end(), "----------------- End of Header -----------------");
  EXPECT_NE(start, report.lines.end());
  EXPECT_NE(end, report.lines.end());
  if (start == report.lines.end() || end == report.lines.end()) return {};
  return Lines(start + 1, end);
}

// Structure lines only: chunk headers, list types and warnings.
Lines Skeleton(const RiffReport& report) {
  Lines out;
  for (const std::string& line : Body(report)) {
    const std::string trimmed = line.substr(line.find_first_not_of(' ') == std::string::npos ? line.size()
                                                                                              : line.find_first_not_of(' '));
    if (trimmed.empty() || trimmed.find(" = ") != std::string::npos || trimmed.front() == '-' ||
        line.find("---") != std::string::npos)
      continue;
    out.push_back(line);
  }
  return out;
}

RiffReport ReportOf(const Bytes& bytes, const std::string& name = "x.avi") {
  test::TempDir dir;
  test::WriteWholeFile(dir / name, bytes);
  return BuildRiffReport(dir / name, Stamp());
}

Bytes InterleavedAvi() {
  return test::List("RIFF", "AVI ",
                    {test::List("LIST", "hdrl",
                                {test::Chunk("avih", test::AvihData(40000, 2, 1)),
                                 test::List("LIST", "strl",
                                            {test::Chunk("strh", test::StrhData("iavs", "dvsd")),
                                             test::Chunk("strf", test::DvInfoData())})}),
                     test::List("LIST", "movi", {test::Chunk("00db", Bytes(120, 7))}),
                     test::Chunk("idx1", Bytes(16, 0))});
}

TEST(RiffReport, BannersAndAnInterleavedFileLineByLine) {
  const RiffReport report = ReportOf(InterleavedAvi());
  ASSERT_GE(report.lines.size(), 11u);
  EXPECT_EQ(Lines(report.lines.begin(), report.lines.begin() + 11),
            (Lines{std::string(50, '-'), "", "***********  Header of the file x.avi  ***********", "",
                   "         analysed on 2024/03/5 at 9:07:08         ",
                   "       with Korvid by Marovec version 5.3.6       ", "",
                   "                Visit my website:                ",
                   "            https://korvid.example.org            ", "",
                   "--------------- Start of Avi RIFF ---------------"}));
  EXPECT_EQ(Skeleton(report), (Lines{"RIFF  00000168", "AVI ", "    LIST  000000B8", "    hdrl", "        avih  00000038",
                                     "        LIST  0000006C", "        strl", "            strh  00000038",
                                     "            strf  00000020", "    LIST  00000084",
                                     "    movi", "    idx1  00000010"}));
  const Lines body = Body(report);
  const auto dv = std::find(body.begin(), body.end(), "            -----------Start of DVInfo-----------");
  ASSERT_NE(dv, body.end());
  EXPECT_EQ(*(dv - 1), "");
  EXPECT_TRUE((dv + 1)->starts_with("            DVAAuxSrc = "));
  EXPECT_EQ((dv + 1)->size(), 24u + 8u);
  EXPECT_EQ(*(dv + 9), "            ------------End of DVINfo------------");
  EXPECT_EQ(*(dv + 10), "");
  EXPECT_FALSE(report.unexpectedEnd);
  const Lines tail(report.lines.end() - 4, report.lines.end());
  EXPECT_EQ(tail[0], "----------------- End of Header -----------------");
  EXPECT_EQ(tail[3], std::string(50, '-'));
}

TEST(RiffReport, TitleBannerLosesItsPaddingAtTwentySixCharacters) {
  EXPECT_EQ(ReportOf(InterleavedAvi(), std::string(21, 'n') + ".avi").lines[2],
            "*  Header of the file " + std::string(21, 'n') + ".avi  *");
  EXPECT_EQ(ReportOf(InterleavedAvi(), std::string(22, 'n') + ".avi").lines[2],
            "  Header of the file " + std::string(22, 'n') + ".avi  ");
  EXPECT_EQ(ReportBanner("    ", '-', std::string(47, 'x')), "    " + std::string(47, 'x'));
}

TEST(RiffReport, GeneratedTypeTwoClipHasEveryHeaderAndNoWarnings) {
  const RiffReport report = BuildRiffReport(test::StandardSample("pal_type2.avi"), Stamp());
  const Lines skeleton = Skeleton(report);
  for (const std::string& line : skeleton) EXPECT_EQ(line.find(">>>"), std::string::npos) << line;
  const auto has = [&](const std::string& line) {
    return std::find(skeleton.begin(), skeleton.end(), line) != skeleton.end();
  };
  EXPECT_TRUE(has("AVI "));
  EXPECT_TRUE(has("    hdrl"));
    EXPECT_TRUE(has("    movi"));
  EXPECT_EQ(std::count(skeleton.begin(), skeleton.end(), "        strl"), 2);
  const Lines body = Body(report);
  EXPECT_NE(std::find(body.begin(), body.end(), "            biCompression = dvsd"), body.end());
  EXPECT_NE(std::find(body.begin(), body.end(), "            SamplesPerSec = 48000"), body.end());
  EXPECT_FALSE(report.unexpectedEnd);
  EXPECT_FALSE(report.cancelled);
}

TEST(RiffReport, GarbageTruncationAndCutHeaders) {
  Bytes garbage = InterleavedAvi();
  garbage.insert(garbage.end(), 26, 0x55);
  const Lines withGarbage = Skeleton(ReportOf(garbage));
  EXPECT_EQ(withGarbage.back(), ">>> There are 0000001A bytes of garbage at the end of the file");

  // The movi list claims 0x1000 more bytes than the file holds.
  Bytes cut = InterleavedAvi();
  cut.resize(cut.size() - 24);  // no idx1
  test::PatchLE32(cut, 4, 360 + 0x1000);
  test::PatchLE32(cut, 12 + 192 + 4, 132 + 0x1000);
  const RiffReport truncated = ReportOf(cut);
  const Lines skeleton = Skeleton(truncated);
  EXPECT_NE(std::find(skeleton.begin(), skeleton.end(), "    >>> Bad chunk length:"), skeleton.end());
  EXPECT_NE(std::find(skeleton.begin(), skeleton.end(), "    >>> 00001084 instead of 00000084"), skeleton.end());
  EXPECT_FALSE(truncated.unexpectedEnd);

  Bytes inHeaders = InterleavedAvi();
  inHeaders.resize(12 + 12 + 64 + 12 + 30);  // inside strh
  const RiffReport early = ReportOf(inHeaders);
  EXPECT_TRUE(early.unexpectedEnd);
  EXPECT_NE(std::find(early.lines.begin(), early.lines.end(), "                  Unexpected end                  "),
            early.lines.end());
}

// Interrupted captures leave 0xFFFFFFFF sizes; the walk must take them as
// running to the end of the file, not as empty chunks.
TEST(RiffReport, UnknownSizeOnTheFormAListAndMoviIsReadToTheEnd) {
  const Bytes clip = test::ReadWholeFile(test::StandardSample("pal_type2.avi"));
  const auto at = [&](const std::string& code) {
    const auto hit = std::search(clip.begin(), clip.end(), code.begin(), code.end());
    return static_cast<std::size_t>(hit - clip.begin());
  };
  const std::size_t hdrlSize = at("hdrl") - 4, moviSize = at("movi") - 4;
  for (const std::size_t field : {std::size_t{4}, hdrlSize, moviSize}) {
    Bytes patched = clip;
    test::PatchLE32(patched, field, 0xFFFFFFFFu);
    test::TempDir dir;
    test::WriteWholeFile(dir / "cut.avi", patched);
    const RiffReport report = BuildRiffReport(dir / "cut.avi", Stamp());
    const Lines skeleton = Skeleton(report);
    EXPECT_EQ(std::count(skeleton.begin(), skeleton.end(), "        strl") +
                  std::count(skeleton.begin(), skeleton.end(), "            strl"),
              2)
        << field;
    const Lines body = Body(report);
    EXPECT_NE(std::find(body.begin(), body.end(), "            biCompression = dvsd"), body.end()) << field;
    EXPECT_FALSE(report.unexpectedEnd) << field;
    EXPECT_TRUE(LocateVideoStreamHeader(BinaryFile(dir / "cut.avi", BinaryFile::Mode::kRead)).has_value())
        << field;
  }
}

// The closing banner names the file by its full path, whatever was typed.
TEST(RiffReport, ClosingBannerHoldsTheFullPath) {
  test::TempDir dir;
  test::WriteWholeFile(dir / "x.avi", InterleavedAvi());
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const RiffReport report = BuildRiffReport("./x.avi", Stamp());
  std::filesystem::current_path(before);
  ASSERT_GE(report.lines.size(), 3u);
  EXPECT_EQ(report.lines[report.lines.size() - 3],
            ReportBanner("", ' ', std::filesystem::canonical(dir / "x.avi").string()));
}

TEST(RiffReport, OpenDmlPartsAndIndexesAndCancellation) {
  test::AviBuilder builder;
  test::StreamSpec video;
  video.format = test::BitmapInfoData("dvsd");
  const std::size_t v = builder.AddStream(video);
  for (std::uint32_t i = 0; i < 6; ++i) builder.AddFrame(v, test::PatternFrame(200, i));
  const RiffReport report = ReportOf(builder.Build(test::AviIndexKind::kOpenDml, 2));
  const Lines skeleton = Skeleton(report);
  EXPECT_GE(std::count(skeleton.begin(), skeleton.end(), "AVIX"), 1);
  const Lines body = Body(report);
  EXPECT_GE(std::count(body.begin(), body.end(), "            ----------Start of an Index----------"), 1)
      << "indx of the stream";

  test::TempDir dir;
  test::WriteWholeFile(dir / "x.avi", InterleavedAvi());
  int polls = 0;
  const RiffReport cancelled = BuildRiffReport(dir / "x.avi", Stamp(), [&] { return ++polls < 4; });
  EXPECT_TRUE(cancelled.cancelled);
  EXPECT_NE(std::find(cancelled.lines.begin(), cancelled.lines.end(),
                      "-----------------Canceled by user-----------------"),
            cancelled.lines.end());

  SaveRiffReport({"a", "", "b"}, dir / "x.log");
  const Bytes saved = test::ReadWholeFile(dir / "x.log");
  EXPECT_EQ(std::string(saved.begin(), saved.end()), "a\r\n\r\nb\r\n");
  EXPECT_EQ(RiffReportLogPath("/v/clip.avi"), "/v/clip.log");
  EXPECT_TRUE(BuildRiffReport(dir / "missing.avi", Stamp()).lines.empty());
}

}  // namespace
}  // namespace korvid::media
