#include "graphs/merge_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <sstream>

#include "graphs/dv_source.h"
#include "graphs/frame_log.h"
#include "media/avi_writer.h"
#include "media/dv_frame_facts.h"
#include "media/dv_pack_layout.h"
#include "sample_clip.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using Frame = std::vector<std::uint8_t>;
using test::TempDir;

constexpr std::size_t kB = media::kDifBlockBytes;

bool IsAudioBlock(std::size_t b) {
  const std::size_t s = b % media::kDifBlocksPerSequence;
  return s >= 6 && (s - 6) % 16 == 0;
}
bool IsVideoBlock(std::size_t b) { return b % media::kDifBlocksPerSequence >= 6 && !IsAudioBlock(b); }

std::vector<Frame> ReadFrames(const std::filesystem::path& path) {
  const DvSource source(path);
  std::vector<Frame> frames(source.FrameCount());
  for (std::size_t k = 0; k < frames.size(); ++k) EXPECT_TRUE(source.ReadFrame(k, frames[k]));
  return frames;
}

std::vector<Frame> CleanCapture(const TempDir& dir, media::DvAudioMode audio = media::DvAudioMode::k48k16Bit2Ch,
                                int frames = 40) {
  samples::DvClipSpec spec;
  spec.dv_type = 1;
  spec.frames = frames;
  spec.audio = audio;
  const auto path = dir / "clean.avi";
  samples::WriteDvClip(path, spec);
  return ReadFrames(path);
}

void WritePass(const std::filesystem::path& path, const std::vector<Frame>& frames, int type) {
  const media::AviVideoFormat format{media::DvSystem::k625_50, false};
  media::AviWriter writer = type == 1 ? media::AviWriter::CreateType1(path, format)
                                      : media::AviWriter::CreateType2(path, format, {});
  for (const Frame& f : frames) writer.WriteVideoFrame(f);
  writer.Close();
}

// What a deck does to a block it cannot read: the video block concealed
// and flagged, the audio block's samples replaced by the error code.
void Conceal(Frame& f, std::size_t b, bool twelve_bit = false) {
  std::uint8_t* block = f.data() + b * kB;
  if (IsVideoBlock(b)) {
    block[3] = static_cast<std::uint8_t>((block[3] & 0x0F) | 0x70);
    std::memset(block + 4, 0x11, kB - 4);
    return;
  }
  ASSERT_TRUE(IsAudioBlock(b));
  for (std::size_t i = 8; i + 2 < kB + (twelve_bit ? 0 : 1); i += twelve_bit ? 3 : 2) {
    block[i] = 0x80;
    block[i + 1] = twelve_bit ? 0x80 : 0x00;
    if (twelve_bit) block[i + 2] = 0x00;
  }
}

// A capture of the clean frames `order` (indices into the clean capture,
// repeats and gaps allowed), each copy damaged at random plus at `forced`.
struct Pass {
  std::vector<std::size_t> order;
  std::vector<Frame> frames;
  std::set<std::pair<std::size_t, std::size_t>> damaged;  // (clean frame, block)
};

Pass MakePass(const std::vector<Frame>& clean, std::vector<std::size_t> order, unsigned seed,
              const std::set<std::pair<std::size_t, std::size_t>>& forced, bool twelve_bit = false) {
  Pass pass;
  pass.order = std::move(order);
  std::mt19937 random(seed);
  const std::size_t blocks = clean[0].size() / kB;
  for (const std::size_t t : pass.order) {
    Frame f = clean[t];
    for (int n = 0; n < 30; ++n) {
      std::size_t b = random() % blocks;
      while (b % media::kDifBlocksPerSequence < 6) b = random() % blocks;
      Conceal(f, b, twelve_bit);
      pass.damaged.insert({t, b});
    }
    for (const auto& [ft, b] : forced) {
      if (ft != t) continue;
      Conceal(f, b, twelve_bit);
      pass.damaged.insert({t, b});
    }
    pass.frames.push_back(std::move(f));
  }
  return pass;
}

// Two captures of every clean frame: each block either read cleanly comes
// back as the clean capture has it.
void ExpectCleanWhereEitherIs(const std::vector<Frame>& merged, const std::vector<Frame>& clean, const Pass& pa,
                              const Pass& pb) {
  for (std::size_t t = 0; t < clean.size(); ++t) {
    for (std::size_t blk = 0; blk < clean[t].size() / kB; ++blk) {
      if (pa.damaged.count({t, blk}) && pb.damaged.count({t, blk})) continue;
      EXPECT_EQ(std::memcmp(&merged[t][blk * kB], &clean[t][blk * kB], kB), 0) << "frame " << t << " block " << blk;
    }
  }
}

std::vector<std::size_t> Range(std::size_t from, std::size_t to) {
  std::vector<std::size_t> r;
  for (std::size_t i = from; i < to; ++i) r.push_back(i);
  return r;
}

void BlankTimecodes(std::vector<Frame>& frames) {
  for (Frame& f : frames)
    media::ForEachPackSlot(f, [&](const media::PackSlot& slot) {
      if (f[slot.offset] == media::kTimecodePack) std::memset(&f[slot.offset], 0xFF, media::kPackBytes);
    });
}

std::vector<std::string> Lines(const std::filesystem::path& path) {
  const auto bytes = test::ReadWholeFile(path);
  std::vector<std::string> lines;
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> fields(1);
  for (const char ch : line) {
    if (ch == ',') {
      fields.emplace_back();
    } else {
      fields.back() += ch;
    }
  }
  return fields;
}

MergeJob RunMerge(const std::vector<std::filesystem::path>& passes, MergeOptions options) {
  MergeJob job(passes, std::move(options));
  JobProgress progress;
  job.Run(progress);
  EXPECT_TRUE(job.Completed());
  return job;
}

// Three captures that start and end at different places, drop and repeat
// frames, of both DV types, one without any timecode: the merge is the
// clean capture wherever one capture read a block cleanly, and the blocks
// no capture read are reported frame by frame.
TEST(MergeJob, RebuildsTheCleanCaptureFromCapturesDamagedDifferently) {
  TempDir dir;
  const std::vector<Frame> clean = CleanCapture(dir);
  const std::size_t video = media::DifBlockOffset(3, 40) / kB;
  const std::size_t audio = media::DifBlockOffset(7, media::AudioBlockIndex(2)) / kB;
  const std::set<std::pair<std::size_t, std::size_t>> everywhere{{25, video}, {25, audio}, {38, video}};

  std::vector<std::size_t> a = Range(0, 40);
  a.erase(a.begin() + 12);
  std::vector<std::size_t> b = Range(4, 40);
  b.insert(b.begin() + 17, 20);
  b.erase(std::find(b.begin(), b.end(), 30));
  std::vector<std::size_t> c = Range(0, 34);
  c.insert(c.begin() + 8, {7, 8});
  Pass pa = MakePass(clean, a, 1, everywhere);
  Pass pb = MakePass(clean, b, 2, everywhere);
  Pass pc = MakePass(clean, c, 3, everywhere);
  BlankTimecodes(pc.frames);
  WritePass(dir / "a.avi", pa.frames, 1);
  WritePass(dir / "b.avi", pb.frames, 2);
  WritePass(dir / "c.avi", pc.frames, 1);

  const auto out = dir / "merged.avi";
  const MergeJob job = RunMerge({dir / "a.avi", dir / "b.avi", dir / "c.avi"}, {.output = out});
  const std::vector<Frame> merged = ReadFrames(out);
  ASSERT_EQ(merged.size(), clean.size());
  EXPECT_TRUE(DvSource(out).Interleaved());

  std::size_t expectedVideo = 0;
  std::size_t expectedAudio = 0;
  std::vector<std::size_t> leftPerFrame(clean.size(), 0);
  for (std::size_t t = 0; t < clean.size(); ++t) {
    for (std::size_t blk = 0; blk < clean[t].size() / kB; ++blk) {
      bool readSomewhere = false;
      for (const Pass* p : {&pa, &pb, &pc}) {
        const bool holds = std::find(p->order.begin(), p->order.end(), t) != p->order.end();
        if (holds && !p->damaged.count({t, blk})) readSomewhere = true;
      }
      const bool same = std::memcmp(&merged[t][blk * kB], &clean[t][blk * kB], kB) == 0;
      if (readSomewhere) {
        EXPECT_TRUE(same) << "frame " << t << " block " << blk;
      } else {
        ++(IsVideoBlock(blk) ? expectedVideo : expectedAudio);
        ++leftPerFrame[t];
      }
    }
  }
  EXPECT_GT(expectedVideo, 0u);
  EXPECT_GT(expectedAudio, 0u);

  const auto rows = Lines(MergeCsvPath(out));
  ASSERT_EQ(rows.size(), clean.size() + 1);
  const auto header = Fields(rows[0]);
  ASSERT_EQ(header.back(), "audio_blocks_left");
  std::size_t video_left = 0;
  std::size_t audio_left = 0;
  for (std::size_t t = 0; t < clean.size(); ++t) {
    const auto row = Fields(rows[t + 1]);
    ASSERT_EQ(row.size(), header.size()) << rows[t + 1];
    EXPECT_EQ(row[2], TimecodeField(media::ReadDvFrameFacts(clean[t]).timecode));
    EXPECT_EQ(std::stoul(row[row.size() - 2]) + std::stoul(row.back()), leftPerFrame[t]) << "frame " << t;
    video_left += std::stoul(row[row.size() - 2]);
    audio_left += std::stoul(row.back());
    // Capture 1 lacks frame 12, capture 3 everything after 33.
    EXPECT_EQ(row[4].empty(), t == 12);
    EXPECT_EQ(row[10].empty(), t >= 34);
  }
  EXPECT_EQ(video_left, expectedVideo);
  EXPECT_EQ(audio_left, expectedAudio);

  const MergePlan& plan = job.Plan();
  ASSERT_EQ(plan.passes.size(), 3u);
  EXPECT_EQ(plan.passes[0].lacking, 1u);
  EXPECT_EQ(plan.passes[1].offset, 4u);
  EXPECT_EQ(plan.passes[1].repeats, 1u);
  EXPECT_EQ(plan.passes[1].gaps, 1u);
  EXPECT_EQ(plan.passes[2].repeats, 2u);
  EXPECT_EQ(plan.passes[2].lacking, 6u);

  const auto recapture = test::ReadWholeFile(MergeRecapturePath(out));
  const std::string text(recapture.begin(), recapture.end());
  // The damage left lies within one second of frames 25 and 38 at most.
  const auto firstLeft = std::find_if(leftPerFrame.begin(), leftPerFrame.end(), [](auto n) { return n > 0; });
  const auto lastLeft = std::find_if(leftPerFrame.rbegin(), leftPerFrame.rend(), [](auto n) { return n > 0; });
  const auto tcOf = [&](std::size_t t) { return TimecodeField(media::ReadDvFrameFacts(clean[t]).timecode); };
  EXPECT_NE(text.find(tcOf(static_cast<std::size_t>(firstLeft - leftPerFrame.begin()))), std::string::npos) << text;
  EXPECT_NE(text.find(tcOf(clean.size() - 1 - static_cast<std::size_t>(lastLeft - leftPerFrame.rbegin()))),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("Nothing to capture again"), std::string::npos);
}

// Four-channel 12-bit sound marks lost samples with 0x800; the type asked
// for decides the output's type whatever the first capture's.
TEST(MergeJob, RepairsTwelveBitSoundIntoTheTypeAsked) {
  TempDir dir;
  const std::vector<Frame> clean = CleanCapture(dir, media::DvAudioMode::k32k12Bit4Ch);
  const Pass pa = MakePass(clean, Range(0, 40), 5, {}, true);
  const Pass pb = MakePass(clean, Range(0, 40), 6, {}, true);
  WritePass(dir / "a.avi", pa.frames, 1);
  WritePass(dir / "b.avi", pb.frames, 1);
  const auto out = dir / "merged.avi";
  RunMerge({dir / "a.avi", dir / "b.avi"}, {.output = out, .type = 2});
  const DvSource source(out);
  EXPECT_FALSE(source.Interleaved());
  EXPECT_EQ(source.AudioStreams().size(), 2u);
  const std::vector<Frame> merged = ReadFrames(out);
  ASSERT_EQ(merged.size(), clean.size());
  ExpectCleanWhereEitherIs(merged, clean, pa, pb);
}

// A capture without timecode that starts long before the other is found
// by its content once it reaches the other's first frame: no frame of the
// stretch in common becomes a second copy on the timeline.
TEST(MergeJob, LinesUpByContentACaptureThatStartsLongBefore) {
  TempDir dir;
  const std::vector<Frame> clean = CleanCapture(dir, media::DvAudioMode::k48k16Bit2Ch, 80);
  Pass late = MakePass(clean, Range(55, 80), 1, {});
  Pass early = MakePass(clean, Range(0, 80), 2, {});
  BlankTimecodes(early.frames);
  WritePass(dir / "late.avi", late.frames, 2);
  WritePass(dir / "early.avi", early.frames, 1);
  const auto out = dir / "merged.avi";
  const MergeJob job = RunMerge({dir / "late.avi", dir / "early.avi"}, {.output = out});
  EXPECT_EQ(job.Plan().timelineFrames, clean.size());
  EXPECT_EQ(job.Plan().passes[0].offset, 55u);
  EXPECT_EQ(job.Plan().passes[1].shared, 25u);
  EXPECT_EQ(ReadFrames(out).size(), clean.size());
}

// A capture of another recording shares no frame: refused by name, and
// nothing written; forced, the others merge without it.
TEST(MergeJob, RefusesACaptureWithNothingInCommonUnlessForced) {
  TempDir dir;
  const std::vector<Frame> clean = CleanCapture(dir);
  samples::DvClipSpec other;
  other.dv_type = 1;
  other.frames = 20;
  other.start = {2011, 3, 2, 10, 0, 0};
  other.start_timecode = {0, 40, 0, 0};
  samples::WriteDvClip(dir / "other.avi", other);
  WritePass(dir / "a.avi", MakePass(clean, Range(0, 40), 1, {}).frames, 1);
  const auto out = dir / "merged.avi";
  {
    MergeJob job({dir / "a.avi", dir / "other.avi"}, {.output = out});
    JobProgress progress;
    try {
      job.Run(progress);
      ADD_FAILURE() << "merged a capture of another recording";
    } catch (const MergeRefused& e) {
      EXPECT_NE(std::string(e.what()).find("other.avi"), std::string::npos) << e.what();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_FALSE(std::filesystem::exists(MergeCsvPath(out)));
  EXPECT_FALSE(std::filesystem::exists(MergeRecapturePath(out)));

  const MergeJob job = RunMerge({dir / "a.avi", dir / "other.avi"}, {.output = out, .force = true});
  EXPECT_FALSE(job.Plan().passes[1].used);
  EXPECT_EQ(ReadFrames(out), ReadFrames(dir / "a.avi"));
  EXPECT_THROW(MergeJob({dir / "a.avi", dir / "other.avi"}, {.output = dir / "a.avi"}), MergeRefused);
}

// A merge stopped part way, or one whose capture shrank after the lining
// up, leaves beside the captures neither an output nor a file written
// aside; run again, it is whole.
TEST(MergeJob, StoppedOrFailedPartWayLeavesNothing) {
  TempDir dir;
  const std::vector<Frame> clean = CleanCapture(dir, media::DvAudioMode::k48k16Bit2Ch, 60);
  const Pass pa = MakePass(clean, Range(0, 60), 1, {});
  const Pass pb = MakePass(clean, Range(0, 60), 2, {});
  WritePass(dir / "a.avi", pa.frames, 1);
  WritePass(dir / "b.avi", pb.frames, 1);
  const std::vector<std::filesystem::path> passes{dir / "a.avi", dir / "b.avi"};
  const auto out = dir / "merged.avi";
  const auto onlyTheCaptures = [&] {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"a.avi", "b.avi", "clean.avi"}));
  };
  {
    MergeJob job(passes, {.output = out});
    JobProgress* asked = nullptr;
    // Positions count the frames lined up, then those merged.
    JobProgress progress([&](std::int64_t at) {
      if (at == 120 + 20) asked->RequestStop();
    });
    asked = &progress;
    job.Run(progress);
    EXPECT_FALSE(job.Completed());
  }
  onlyTheCaptures();
  {
    MergeJob job(passes, {.output = out});
    JobProgress progress;
    job.SetStage(MergeStage::kLineUp);
    job.Run(progress);
    std::filesystem::resize_file(dir / "b.avi", std::filesystem::file_size(dir / "b.avi") / 2);
    job.SetStage(MergeStage::kMerge);
    try {
      job.Run(progress);
      ADD_FAILURE() << "merged a capture that lost half its frames";
    } catch (const media::FileError& e) {
      EXPECT_NE(std::string(e.what()).find("b.avi"), std::string::npos) << e.what();
    }
  }
  onlyTheCaptures();
  WritePass(dir / "b.avi", pb.frames, 1);
  RunMerge(passes, {.output = out});
  const std::vector<Frame> merged = ReadFrames(out);
  ASSERT_EQ(merged.size(), clean.size());
  ExpectCleanWhereEitherIs(merged, clean, pa, pb);
}

}  // namespace
}  // namespace korvid::graphs
