#include "graphs/frame_log.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include "graphs/frame_time.h"
#include "graphs/scene_detector.h"
#include "media/dv_audio.h"

namespace korvid::graphs {
namespace {

struct Column {
  std::string_view csv;
  std::string_view json;
};

// The names say exactly what is counted.
constexpr std::array<Column, 13> kColumns{{
    {"frame", "frame"},
    {"position", "position"},
    {"timecode", "timecode"},
    {"recorded", "recorded"},
    {"scene_start", "sceneStart"},
    {"no_datecode", "noDatecode"},
    {"datecode_from_later_sequence", "datecodeFromLaterSequence"},
    {"video_blocks_with_sta_set", "videoBlocksWithStaSet"},
    {"audio_blocks_with_error_samples", "audioBlocksWithErrorSamples"},
    {"cause", "cause"},
    {"recorded_utc", "recordedUtc"},
    {"recorded_utc_note", "recordedUtcNote"},
    {"audio_samples_recorded", "audioSamplesRecorded"},
}};

// Why a scene starts here (or would have), then the marks, "; " between.
std::string CauseField(const ScannedFrame& frame, const std::vector<std::string>& marks) {
  std::string text;
  if (frame.frame == 0)
    text = SceneCauseText({});
  else if (frame.cause)
    text = (frame.sceneStart ? "" : "absorbed: ") + SceneCauseText(*frame.cause);
  for (const std::string& mark : marks) text += (text.empty() ? "" : "; ") + mark;
  return text;
}

std::string Count(std::optional<std::size_t> count) { return count ? std::to_string(*count) : std::string(); }

// Samples per channel the frame's source pack counts: unlocked sound shows
// here as counts that stray from the standard's.
std::optional<std::size_t> RecordedSamples(const ScannedFrame& frame) {
  if (!frame.read || frame.bytes.empty()) return std::nullopt;
  try {
    return media::ReadDvAudioInfo(frame.bytes).samples;
  } catch (const media::DvAudioError&) {
    return std::nullopt;
  }
}

// Each field as its CSV text (empty: none) and what it is in JSON.
enum class Kind { kNumber, kText, kFlag };
struct Field {
  std::string text;
  Kind kind = Kind::kNumber;
};

}  // namespace

std::string TimecodeField(const media::TTimecode& tc) {
  if (!media::HasTimecode(tc)) return {};
  char text[32] = {};
  std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", tc.hours, tc.minutes, tc.seconds, tc.frames);
  return text;
}

// ISO 8601, local time as recorded: the camcorder's zone is not known.
std::string RecordedField(const media::TDatecode& dc) {
  const std::optional<settings::DateTimeValue> value = RecordingValue(dc);
  if (!value) return {};
  char text[48] = {};
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", value->year, value->month, value->day,
                value->hour, value->minute, value->second);
  return text;
}

FrameLogFormatter::FrameLogFormatter(media::FrameRate rate, FrameLogStyle style,
                                     std::optional<media::DvAudioInfo> file_sound, settings::RecordingZone zone)
    : rate_(rate), style_(style), file_sound_(std::move(file_sound)), zone_(std::move(zone)), zoneName_(zone_.Name()) {}

std::pair<std::string, std::string> FrameLogFormatter::UtcFields(const media::TDatecode& dc) const {
  const std::optional<settings::DateTimeValue> value = RecordingValue(dc);
  if (!value) return {};
  const std::optional<settings::RecordedInstant> instant = zone_.ToUtc(*value);
  if (!instant) return {};
  return {settings::UtcText(instant->utcSeconds), settings::EdgeNote(*value, *instant, zoneName_)};
}

std::string FrameLogFormatter::Header() const {
  if (style_ != FrameLogStyle::kCsv) return {};
  std::string line;
  for (const Column& column : kColumns) {
    if (!line.empty()) line += ',';
    line += column.csv;
  }
  return line + "\r\n";
}

void FrameLogFormatter::Append(const ScannedFrame& frame, std::string& out) {
  const auto flag = [&](bool value) { return Field{frame.read ? (value ? "1" : "0") : "", Kind::kFlag}; };
  std::optional<media::DifBlockErrors> errors;
  if (frame.read && !frame.bytes.empty() && media::DetectDvSystem(frame.bytes)) errors = counter_.Count(frame.bytes, file_sound_);
  const auto [utc, utc_note] = UtcFields(frame.packs.datecode);
  const std::array<Field, kColumns.size()> fields{{
      {std::to_string(frame.frame)},
      {FramePositionText(static_cast<std::int64_t>(frame.frame), rate_), Kind::kText},
      {TimecodeField(frame.packs.timecode), Kind::kText},
      {RecordedField(frame.packs.datecode), Kind::kText},
      {frame.sceneStart ? "1" : "0", Kind::kFlag},
      flag(!media::HasDatecode(frame.packs.datecode)),
      flag(frame.packs.datecodeFromLaterSequence),
      {errors ? std::to_string(errors->videoBlocksMarked) : std::string()},
      {errors ? Count(errors->audioBlocksWithErrors) : std::string()},
      {CauseField(frame, marks_.Feed(frame)), Kind::kText},
      {utc, Kind::kText},
      {utc_note, Kind::kText},
      {Count(RecordedSamples(frame))},
  }};
  if (style_ == FrameLogStyle::kCsv) {
    // No field can hold a comma, quote or line break: none needs quoting.
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) out += ',';
      out += fields[i].text;
    }
    out += "\r\n";
    return;
  }
  out += '{';
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    out += '"';
    out += kColumns[i].json;
    out += "\":";
    const Field& field = fields[i];
    if (field.text.empty())
      out += "null";
    else if (field.kind == Kind::kFlag)
      out += field.text == "1" ? "true" : "false";
    else if (field.kind == Kind::kText)
      out += '"' + field.text + '"';
    else
      out += field.text;
  }
  out += "}\n";
}

}  // namespace korvid::graphs
