#include "media/stream_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "media/duration_text.h"

namespace korvid::media {
namespace {

void MarkFailed(TaviFichier& record) {
  record.datecodeText = kErrorText;
  record.timecodeText = kErrorText;
  record.datecodeKey = kFailedDatecodeKey;
}

std::string ChannelsText(std::uint16_t channels) {
  switch (channels) {
    case 0: return "no channel";
    case 1: return " mono";
    case 2: return " stereo";
    default: return " stereo (" + std::to_string(channels) + ")";
  }
}

void FillVideo(const StreamAnalysis& analysis, TaviFichier& record) {
  if (!analysis.video) {
    record.codec.clear();
    record.imageText = kNotAvailableText;
    record.fps = 0;
    record.frames = 0;
    record.durationSeconds = 0;
    return;
  }
  const VideoFormatResult& video = *analysis.video;
  record.width = video.width;
  // A bottom-up bitmap header stores the height negated; the most negative
  // value has no positive twin and keeps the largest one.
  const std::int64_t height = std::abs(static_cast<std::int64_t>(video.height));
  record.height = static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX));
  record.imageText = std::to_string(record.width) + " x " + std::to_string(record.height);
  record.fps = FramesPerSecond(video.frame_period);
  record.durationText = FramesDurationText(video.frame_period, analysis.video_duration);
  record.frames = analysis.video_frames;
  record.durationSeconds = video.frame_rate == 0 ? 0
                                                 : static_cast<double>(analysis.video_frames) *
                                                       static_cast<double>(video.frame_scale) /
                                                       static_cast<double>(video.frame_rate);
  record.videoBitRate = video.bit_rate;
}

void FillAudio(const StreamAnalysis& analysis, TaviFichier& record) {
  if (!analysis.audio) {
    record.audioText = kNotAvailableText;
    record.audioFormatText.clear();
    record.audioDurationText.clear();
    return;
  }
  const AudioFormatResult& audio = *analysis.audio;
  record.sampleRate = static_cast<std::int32_t>(audio.sample_rate);
  record.bitsPerSample = audio.bits_per_sample;
  record.channelsText = ChannelsText(audio.channels);
  record.audioText = std::to_string(audio.sample_rate) + "Hz ";
  if (audio.bits_per_sample != 0) record.audioText += std::to_string(audio.bits_per_sample) + " bits ";
  record.audioText += record.channelsText;
  record.audioFormatText = AudioFormatName(audio.format_tag) + " " +
                           std::to_string(audio.average_bytes_per_second) + " bytes/s";
  record.audioDurationText =
      record.fps != 0
          ? FramesDurationText(std::llround(static_cast<double>(kUnitsPerSecond) / record.fps),
                               analysis.audio_duration)
          : MillisecondsDurationText(analysis.audio_duration);
}

void FillDvSystem(const StreamAnalysis& analysis, TaviFichier& record) {
  bool pal = false;
  if (analysis.dv) {
    record.dvType = analysis.stream_count < 2 ? 1 : 2;
    record.dvVideoSource = analysis.dv->video_source;
    const bool blank = analysis.dv->video_source == 0 || analysis.dv->video_source == 0xFFFFFFFF;
    // Without a source word the frame's header block (hence the height) decides.
    pal = blank ? record.height % 60 != 0 : (analysis.dv->video_source & kVideoSource50HzBit) != 0;
  } else {
    record.dvType = 2;
    pal = record.height % 60 != 0;
  }
  record.imageText += pal ? " (Pal" : " (NTSC";
  record.tvSystem = pal ? TvSystem::kPal : TvSystem::kNtsc;
}

void FillAspect(const StreamAnalysis& analysis, TaviFichier& record) {
  record.wideScreen = analysis.first_wide;
  record.imageText += record.wideScreen ? " 16x9)" : " 4x3)";
  // A width read from the file may be anything: work in 64 bits.
  const std::int64_t width = record.width;
  record.height = static_cast<std::int32_t>(record.wideScreen ? width * 9 / 16 : width * 3 / 4);
}

settings::DateTimeValue CalendarValue(const TDatecode& dc) {
  return {dc.year, dc.month, dc.day, dc.hour, dc.minute, dc.second};
}

std::string DatecodeDigits(const TDatecode& dc) {
  char digits[80] = {};
  std::snprintf(digits, sizeof digits, "%.4d%.2d%.2d%.2d%.2d%.2d", dc.year, dc.month, dc.day,
                dc.hour, dc.minute, dc.second);
  return digits;
}

std::string TimecodeText(const TTimecode& tc) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.2d.%.2d", tc.hours, tc.minutes, tc.seconds,
                tc.frames);
  return text;
}

void FillDatecode(const StreamAnalysis& analysis, const DatecodeFormat& format,
                  TaviFichier& record) {
  const TDatecode& dc = analysis.first_datecode;
  record.datecodeText = kNotAvailableText;
  record.datecode.reset();
  if (HasDatecode(dc)) {
    const settings::DateTimeValue value = CalendarValue(dc);
    if (settings::IsValidDateTime(value)) {
      record.datecode = value;
      record.datecodeText = DatecodeText(value, format);
    }
  }
  record.timecodeText =
      HasTimecode(analysis.first_timecode) ? TimecodeText(analysis.first_timecode) : std::string(kNotAvailableText);
  // An impossible date still sorts by its digits.
  record.datecodeKey = HasDatecode(dc) ? DatecodeDigits(dc) : std::string(kNoDatecodeKey);
}

}  // namespace

std::string DatecodeText(const settings::DateTimeValue& datecode, const DatecodeFormat& format) {
  return settings::FormatDateTime(format.format, datecode, format.locale);
}

double FramesPerSecond(std::int64_t frame_period) {
  if (frame_period <= 0) return 0;
  return std::round(1e9 / static_cast<double>(frame_period)) / 100.0;
}

void FillAnalysisFields(AviVerdict verdict, const std::string& codec,
                        const StreamAnalysis& analysis, const DatecodeFormat& format,
                        TaviFichier& record) {
  const TaviFichier defaults;
  record.datecodeText = defaults.datecodeText;
  record.timecodeText = defaults.timecodeText;
  record.datecodeKey = defaults.datecodeKey;
  record.tvSystem = TvSystem::kUnknown;

  bool failed = false;
  if (verdict == AviVerdict::kValid) {
    record.codec = codec;
  } else {
    failed = true;
    if (verdict == AviVerdict::kReadError) record.codec.clear();
  }
  if (!analysis.succeeded) failed = true;
  if (failed) MarkFailed(record);

  FillVideo(analysis, record);
  FillAudio(analysis, record);
  record.isDV = IsDvCodec(record.codec);
  if (record.isDV) {
    FillDvSystem(analysis, record);
    FillAspect(analysis, record);
    // A failed file keeps its "Error" texts and sorts last, whatever
    // partial results the analysis left.
    if (!failed) FillDatecode(analysis, format, record);
    // 12-bit tape sound reaches the list as 16-bit PCM; the frame's own
    // source pack tells it from true 16-bit sound when it has one.
    const bool twelve_bit = analysis.first_sound_bits.value_or(12) == 12;
    if (record.sampleRate == 32000 && record.bitsPerSample == 16 && twelve_bit)
      record.audioText = "32000Hz 12(16) bits " + record.channelsText;
  }
  record.datecodeNameKey = record.datecodeKey + AsciiLower(record.name + record.fullName);
}

}  // namespace korvid::media
