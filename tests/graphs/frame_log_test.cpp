// The frame log made by the scene scan: one row per frame of generated
// clips whose scenes and undated stretch are known, and block damage
// counted against an independent count of the blocks marked by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "graphs/frame_time.h"
#include "graphs/frames_command.h"
#include "graphs/scene_scan.h"
#include "graphs/srt_text.h"
#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "media/dv_block_errors.h"
#include "sample_clip.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;
using Row = std::vector<std::string>;

constexpr std::size_t kBlock = 80;

samples::DvClipSpec SpecOf(const std::string& name) {
  for (const samples::DvClipSpec& spec : samples::StandardDvClips())
    if (spec.file_name == name) return spec;
  ADD_FAILURE() << "no sample " << name;
  return {};
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size())
    parts.push_back(text.substr(from, at - from));
  if (from < text.size()) parts.push_back(text.substr(from));
  return parts;
}

// The CSV rows after the header; the header is checked to lead.
std::vector<Row> FrameRows(const fs::path& clip) {
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(graphs::RunFramesCommand({clip.string()}, out, err), 0) << err.str();
  const std::vector<std::string> lines = Split(out.str(), "\r\n");
  EXPECT_FALSE(lines.empty());
  if (lines.empty()) return {};
  EXPECT_EQ(lines[0].rfind("frame,position,timecode,recorded,scene_start", 0), 0u) << lines[0];
  std::vector<Row> rows;
  for (std::size_t i = 1; i < lines.size(); ++i) rows.push_back(Split(lines[i] + ",", ","));
  return rows;
}

std::string Iso(const media::TDatecode& dc) {
  if (!media::HasDatecode(dc)) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", dc.year, dc.month, dc.day, dc.hour, dc.minute,
                dc.second);
  return text;
}

int SectionType(const std::uint8_t* block) { return block[0] >> 5; }

// Counted by the blocks' own ID bytes, not by their places.
std::size_t VideoBlocksWithSta(const std::vector<std::uint8_t>& frame) {
  std::size_t count = 0;
  for (std::size_t at = 0; at + kBlock <= frame.size(); at += kBlock)
    if (SectionType(&frame[at]) == 4 && (frame[at + 3] >> 4) != 0) ++count;
  return count;
}

// Audio blocks with an error code among their samples: 16-bit samples in
// pairs of bytes, 12-bit ones two to a group of three bytes.
std::size_t AudioBlocksWithErrorCodes(const std::vector<std::uint8_t>& frame, std::size_t groupBytes) {
  std::size_t count = 0;
  for (std::size_t at = 0; at + kBlock <= frame.size(); at += kBlock) {
    if (SectionType(&frame[at]) != 3) continue;
    bool error = false;
    for (std::size_t i = at + 8; i + groupBytes <= at + kBlock; i += groupBytes) {
      if (groupBytes == 2) {
        error = error || (frame[i] == 0x80 && frame[i + 1] == 0);
      } else {
        error = error || (frame[i] == 0x80 && (frame[i + 2] >> 4) == 0) ||
                (frame[i + 1] == 0x80 && (frame[i + 2] & 0x0F) == 0);
      }
    }
    if (error) ++count;
  }
  return count;
}

// Marks every `step`-th block of a section type: video blocks get an STA
// value, audio blocks the error code in their first sample, 16 or 12 bits.
void MarkBlocks(std::vector<std::uint8_t>& frame, int sectionType, std::size_t step) {
  std::size_t seen = 0;
  for (std::size_t at = 0; at + kBlock <= frame.size(); at += kBlock) {
    if (SectionType(&frame[at]) != sectionType || seen++ % step != 0) continue;
    if (sectionType == 4) {
      frame[at + 3] = static_cast<std::uint8_t>((frame[at + 3] & 0x0F) | 0xA0);
    } else {
      frame[at + 8] = 0x80;
      frame[at + 9] = 0x00;
      frame[at + 10] = 0x00;
    }
  }
}

TEST(FrameLogTest, RowsFollowTheClipsScenesAndUndatedStretch) {
  const std::vector<std::pair<std::string, std::set<int>>> clips{{"two_scenes.avi", {0, 40}},
                                                                  {"undated_stretch.avi", {0, 20, 45}}};
  for (const auto& [name, expectedStarts] : clips) {
    SCOPED_TRACE(name);
    const samples::DvClipSpec spec = SpecOf(name);
    const std::vector<Row> rows = FrameRows(test::StandardSample(name));
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(spec.frames));
    std::set<int> starts;
    for (int k = 0; k < spec.frames; ++k) {
      const Row& row = rows[static_cast<std::size_t>(k)];
      ASSERT_EQ(row.size(), 13u);
      const media::TDatecode dc = samples::DatecodeOfFrame(spec, k);
      EXPECT_EQ(row[0], std::to_string(k));
      EXPECT_EQ(row[3], Iso(dc)) << "frame " << k;
      EXPECT_EQ(row[5], media::HasDatecode(dc) ? "0" : "1") << "frame " << k;
      EXPECT_EQ(row[6] + row[7] + row[8], "000") << "frame " << k;
      EXPECT_EQ(row[12], "1920") << "frame " << k;  // locked 48 kHz
      if (row[4] == "1") starts.insert(k);
    }
    EXPECT_EQ(starts, expectedStarts);
    EXPECT_EQ(rows[26][1], "00:00:01:01");
  }

  std::ostringstream json;
  std::ostringstream err;
  ASSERT_EQ(graphs::RunFramesCommand({"--json", test::StandardSample("two_scenes.avi").string()}, json, err), 0);
  const std::vector<std::string> lines = Split(json.str(), "\n");
  ASSERT_EQ(lines.size(), 75u);
  EXPECT_NE(lines[40].find("\"frame\":40,"), std::string::npos) << lines[40];
  EXPECT_NE(lines[40].find("\"sceneStart\":true"), std::string::npos) << lines[40];
  EXPECT_NE(lines[40].find("\"recorded\":\"2005-08-14T18:02:12\""), std::string::npos) << lines[40];
}

TEST(FrameLogTest, MarkedBlocksAndADamagedFirstSequenceShowOnTheirFrame) {
  const test::TempDir dir;
  const fs::path clip = test::CopyStandardSample("pal_type1.avi", dir.path());
  std::vector<std::uint8_t> file = test::ReadWholeFile(clip);
  media::FrameLocation where;
  {
    const media::BinaryFile opened(clip, media::BinaryFile::Mode::kRead);
    const media::TAviParam param(opened);
    where = media::AviFrameIndex::Load(opened, param).FramesOf(*media::FindDvVideoStream(param))[3];
  }
  std::vector<std::uint8_t> frame(file.begin() + static_cast<std::ptrdiff_t>(where.offset),
                                  file.begin() + static_cast<std::ptrdiff_t>(where.offset + where.size));
  MarkBlocks(frame, 4, 97);
  MarkBlocks(frame, 3, 4);
  // A dropout over the first sequence's VAUX date packs: a later copy serves.
  for (std::size_t at = 3 * kBlock; at < 6 * kBlock; at += kBlock)
    for (std::size_t pack = at + 3; pack + 5 <= at + kBlock; pack += 5)
      if (frame[pack] == 0x62) std::fill_n(frame.begin() + static_cast<std::ptrdiff_t>(pack + 1), 4, 0xFF);
  const std::size_t video = VideoBlocksWithSta(frame);
  const std::size_t audio = AudioBlocksWithErrorCodes(frame, 2);
  ASSERT_GT(video, 0u);
  ASSERT_GT(audio, 0u);
  std::copy(frame.begin(), frame.end(), file.begin() + static_cast<std::ptrdiff_t>(where.offset));
  test::WriteWholeFile(clip, file);

  const std::vector<Row> rows = FrameRows(clip);
  ASSERT_GT(rows.size(), 4u);
  EXPECT_EQ(rows[3][3], Iso(samples::DatecodeOfFrame(SpecOf("pal_type1.avi"), 3)));
  EXPECT_EQ(rows[3][6], "1");
  EXPECT_EQ(rows[3][7], std::to_string(video));
  EXPECT_EQ(rows[3][8], std::to_string(audio));
  EXPECT_EQ(rows[2][6] + rows[2][7] + rows[2][8], "000");
  EXPECT_EQ(rows[4][6] + rows[4][7] + rows[4][8], "000");
}

TEST(FrameLogTest, RealAndTwelveBitFramesCountAsTheirBlocksSay) {
  KORVID_REQUIRE_REAL_FIXTURES();
  media::DifBlockErrorCounter counter;
  // Both hold 12-bit sound at 32 kHz, as their AAUX source packs say.
  for (const char* name : {"sony_perfect.dv", "sony_subcode_errors.dv"}) {
    SCOPED_TRACE(name);
    std::vector<std::uint8_t> frame = test::ReadWholeFile(test::RealFixturesDir() / name);
    media::DifBlockErrors errors = counter.Count(frame);
    EXPECT_EQ(errors.videoBlocksMarked, VideoBlocksWithSta(frame));
    EXPECT_EQ(errors.audioBlocksWithErrors, AudioBlocksWithErrorCodes(frame, 3));
    MarkBlocks(frame, 4, 50);
    MarkBlocks(frame, 3, 7);
    errors = counter.Count(frame);
    EXPECT_EQ(errors.videoBlocksMarked, VideoBlocksWithSta(frame));
    EXPECT_EQ(errors.audioBlocksWithErrors, AudioBlocksWithErrorCodes(frame, 3));
    EXPECT_EQ(errors.videoBlocksMarked, 27u);  // 1350 video blocks
    EXPECT_EQ(errors.audioBlocksWithErrors, 13u);  // 90 audio blocks
  }

  graphs::SceneFrameReader reader(test::StandardSample("pal_32k_12bit.avi"), graphs::FrameReading::kWholeFrame);
  reader.Read(0);
  std::vector<std::uint8_t> frame(reader.WholeFrame().begin(), reader.WholeFrame().end());
  EXPECT_EQ(counter.Count(frame).audioBlocksWithErrors, 0u);
  MarkBlocks(frame, 3, 9);  // the first block of each sequence
  EXPECT_EQ(counter.Count(frame).audioBlocksWithErrors, 12u);
}

// A frame whose AAUX source packs were lost with its sound (every sample
// the 12-bit error code) is counted in the file's sample format.
TEST(FrameLogTest, FramesWithoutAnAudioSourcePackCountInTheFilesFormat) {
  const test::TempDir dir;
  const fs::path clip = test::CopyStandardSample("pal_32k_12bit.avi", dir.path());
  std::vector<std::uint8_t> file = test::ReadWholeFile(clip);
  media::FrameLocation where;
  {
    const media::BinaryFile opened(clip, media::BinaryFile::Mode::kRead);
    const media::TAviParam param(opened);
    where = media::AviFrameIndex::Load(opened, param).FramesOf(*media::FindDvVideoStream(param))[3];
  }
  std::size_t audio_blocks = 0;
  for (std::size_t at = where.offset; at + kBlock <= where.offset + where.size; at += kBlock) {
    if (SectionType(&file[at]) != 3) continue;
    ++audio_blocks;
    std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(at + 3), 5, 0xFF);  // the AAUX pack
    for (std::size_t b = at + 8; b + 3 <= at + kBlock; b += 3) {
      file[b] = 0x80;
      file[b + 1] = 0x80;
      file[b + 2] = 0x00;
    }
  }
  ASSERT_EQ(audio_blocks, 108u);
  test::WriteWholeFile(clip, file);

  const std::vector<Row> rows = FrameRows(clip);
  ASSERT_GT(rows.size(), 4u);
  EXPECT_EQ(rows[3][8], "108");
  EXPECT_EQ(rows[2][8], "0");
}

TEST(FrameTimeTest, NtscTimesStayExact) {
  const media::FrameRate ntsc{30000, 1001};
  EXPECT_EQ(graphs::FramePositionText(29, ntsc), "00:00:00:29");
  EXPECT_EQ(graphs::FramePositionText(30, ntsc), "00:00:01:00");
  EXPECT_EQ(graphs::FramePositionText(107892, ntsc), "00:59:59:29");
  EXPECT_EQ(graphs::SrtTime(30000, ntsc), "00:16:41,000");
  EXPECT_EQ(graphs::SrtTime(107892, ntsc), "00:59:59,996");
  EXPECT_EQ(graphs::SrtTime(90000, {25, 1}), "01:00:00,000");
}

// Unlocked sound shows frame by frame: each row gives the samples its frame
// recorded, in CSV and JSON alike.
TEST(FrameLogTest, EachFrameGivesTheSamplesItRecorded) {
  test::TempDir dir;
  samples::DvClipSpec spec;
  spec.dv_type = 1;
  spec.frames = 12;
  spec.unlocked_counts = {1925, 1901, 1944, 1896};
  const fs::path clip = dir / "unlocked.avi";
  samples::WriteDvClip(clip, spec);
  std::ostringstream out, err;
  ASSERT_EQ(graphs::RunFramesCommand({clip.string()}, out, err), 0) << err.str();
  const std::vector<std::string> lines = Split(out.str(), "\r\n");
  ASSERT_EQ(lines.size(), 13u);
  const Row header = Split(lines[0], ",");
  const auto column = static_cast<std::size_t>(std::find(header.begin(), header.end(), "audio_samples_recorded") - header.begin());
  ASSERT_LT(column, header.size());
  for (std::size_t k = 0; k < 12; ++k)
    EXPECT_EQ(Split(lines[k + 1] + ",", ",")[column], std::to_string(spec.unlocked_counts[k % 4])) << "frame " << k;

  std::ostringstream json;
  ASSERT_EQ(graphs::RunFramesCommand({"--json", clip.string()}, json, err), 0) << err.str();
  EXPECT_NE(json.str().find("\"audioSamplesRecorded\":1901"), std::string::npos) << json.str().substr(0, 400);
}

}  // namespace
}  // namespace korvid
