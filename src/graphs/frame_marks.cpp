#include "graphs/frame_marks.h"

#include <cstdio>

#include "media/dv_frame_facts.h"
#include "media/dv_pack_scan.h"

namespace korvid::graphs {
namespace {

std::string TimecodeText(const media::TTimecode& tc) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", tc.hours, tc.minutes, tc.seconds, tc.frames);
  return text;
}

// REC ST, bit 7 of the VAUX source control pack's second data byte, is 0
// on the first frame of a recording.
bool RecordingStarts(std::span<const std::uint8_t> frame) {
  const auto control = media::FindUsablePack(frame, media::kVideoControlPack);
  return control && (control->pack[2] & 0x80) == 0;
}

std::string SoundText(int rate, int bits, int channels) {
  if (rate == 0) return "no sound";
  return std::to_string(rate / 1000) + (rate % 1000 ? "." + std::to_string(rate % 1000 / 100) : "") + " kHz " +
         std::to_string(bits) + " bit " + std::to_string(channels) + " channels";
}

}  // namespace

NextTimecodes NextTimecode(const media::TTimecode& tc, media::DvSystem system) {
  const int rate = system == media::DvSystem::k625_50 ? 25 : 30;
  media::TTimecode next = tc;
  if (++next.frames >= rate) {
    next.frames = 0;
    if (++next.seconds >= 60) {
      next.seconds = 0;
      if (++next.minutes >= 60) {
        next.minutes = 0;
        if (++next.hours >= 24) next.hours = 0;
      }
    }
  }
  media::TTimecode drop = next;
  // Drop-frame counting skips frames 0 and 1 of every minute but each tenth.
  if (rate == 30 && drop.seconds == 0 && drop.frames == 0 && drop.minutes % 10 != 0) drop.frames = 2;
  return {next, drop};
}

std::vector<std::string> FrameMarkTracker::Feed(const ScannedFrame& frame) {
  std::vector<std::string> marks;
  if (!frame.read) return marks;
  const media::DvFrameFacts facts = media::ReadDvFrameFacts(frame.bytes);
  const bool first = !seen_;
  seen_ = true;

  if (!frame.bytes.empty() && RecordingStarts(frame.bytes)) marks.push_back("recording start flag");

  const media::TTimecode& tc = frame.packs.timecode;
  if (media::HasTimecode(tc) && timecode_ && system_) {
    const NextTimecodes next = NextTimecode(*timecode_, *system_);
    if (tc == *timecode_)
      marks.push_back("timecode repeats " + TimecodeText(tc));
    else if (tc != next.plain && tc != next.dropFrame)
      marks.push_back("timecode jumps " + TimecodeText(*timecode_) + " to " + TimecodeText(tc));
  }
  timecode_ = media::HasTimecode(tc) ? std::optional(tc) : std::nullopt;

  if (facts.system) {
    if (system_ && *system_ != *facts.system)
      marks.push_back(std::string("system changes to ") +
                      (*facts.system == media::DvSystem::k625_50 ? "625/50" : "525/60"));
    if (!first && system_ && wide_ != facts.wide)
      marks.push_back(std::string("aspect changes to ") + (facts.wide ? "16:9" : "4:3"));
    system_ = facts.system;
    wide_ = facts.wide;
  }

  // Only frames read whole show their sound packs.
  if (frame.bytes.size() > 6 * media::kDifBlockBytes) {
    const SoundMode mode = facts.sound ? SoundMode{facts.sound->sample_rate, facts.sound->bits, facts.sound->channels}
                                       : SoundMode{};
    if (sound_ && *sound_ != mode) marks.push_back("sound changes to " + SoundText(mode.sampleRate, mode.bits, mode.channels));
    sound_ = mode;
  }

  const bool undated = !media::HasDatecode(frame.packs.datecode);
  const auto index = static_cast<std::int64_t>(frame.frame);
  if (undated && !undated_) {
    marks.push_back("no recording date from here");
    undatedFrom_ = index;
  } else if (!undated && undated_) {
    marks.push_back("recording date back after " + std::to_string(index - undatedFrom_) + " frames");
  }
  undated_ = undated;
  return marks;
}

}  // namespace korvid::graphs
