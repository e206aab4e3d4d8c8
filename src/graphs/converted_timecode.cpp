#include "graphs/converted_timecode.h"

#include "media/dv_frame_facts.h"
#include "media/dv_pack_scan.h"
#include "media/dv_pack_writer.h"
#include "media/timecode_count.h"

namespace korvid::graphs {

media::TTimecode ConvertedTimecode::Restart(media::TTimecode tc) const {
  if (to_ == media::DvSystem::k625_50 && from_ == media::DvSystem::k525_60) {
    tc.frames = static_cast<std::uint8_t>(tc.frames * 25 / 30);
  }
  // Labels 00 and 01 of most minutes are skipped in drop-frame counting.
  if (OutputDrops() && tc.seconds == 0 && tc.minutes % 10 != 0 && tc.frames < 2) tc.frames = 2;
  return tc;
}

std::optional<media::DvPack> ConvertedTimecode::Next(std::uint64_t sourceIndex,
                                                     std::span<const std::uint8_t> source) {
  const media::TTimecode tc = media::ReadDvFrameFacts(source).timecode;
  // The pack the timecode came from: the base of the one written, with its flags.
  const auto found = media::FindUsablePack(source, media::kTimecodePack);
  if (!media::HasTimecode(tc) || !found) {
    running_ = false;
    return std::nullopt;
  }
  const bool sourceDrops = (found->pack[1] & media::kDropFrameFlag) != 0;
  const std::int64_t sourceNumber = media::TimecodeFrameNumber(tc, from_, sourceDrops);
  const std::int64_t day = media::TimecodeFramesPerDay(from_, sourceDrops);
  const std::int64_t advanced = static_cast<std::int64_t>(sourceIndex - lastSource_);
  const bool continues = running_ && (((sourceNumber - lastSourceNumber_ - advanced) % day) + day) % day == 0;
  outputNumber_ = continues ? outputNumber_ + 1 : media::TimecodeFrameNumber(Restart(tc), to_, OutputDrops());
  running_ = true;
  lastSource_ = sourceIndex;
  lastSourceNumber_ = sourceNumber;

  auto pack = media::EncodeTimecodePack(media::TimecodeAtFrameNumber(outputNumber_, to_, OutputDrops()),
                                        found->pack);
  if (!pack) return std::nullopt;
  (*pack)[1] = static_cast<std::uint8_t>(((*pack)[1] & ~media::kDropFrameFlag & 0xFF) |
                                         (OutputDrops() ? media::kDropFrameFlag : 0));
  return pack;
}

void ConvertedTimecode::Write(std::span<std::uint8_t> output, std::uint64_t sourceIndex,
                              std::span<const std::uint8_t> source) {
  if (const auto pack = Next(sourceIndex, source)) {
    media::WritePack(output, *pack);
  } else {
    media::ErasePacks(output, media::kTimecodePack);
  }
}

}  // namespace korvid::graphs
