#include "media/duration_text.h"

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <utility>

namespace korvid::media {
namespace {

struct Clock {
  std::int64_t hours, minutes, seconds;
};

Clock SplitSeconds(std::int64_t duration) {
  const std::int64_t total = duration / kUnitsPerSecond;
  return {total / 3600, (total / 60) % 60, total % 60};
}

template <typename... Args>
std::string Format(const char* pattern, Args... args) {
  char text[96] = {};
  std::snprintf(text, sizeof text, pattern, args...);
  return text;
}

}  // namespace

std::string FramesDurationText(std::int64_t frame_period, std::int64_t duration) {
  if (duration < 0) duration = 0;
  const std::int64_t frames = frame_period > 0 ? (duration % kUnitsPerSecond) / frame_period : 0;
  const Clock c = SplitSeconds(duration);
  using ll = long long;
  if (c.hours > 0)
    return Format("%lldh %.2lldmn %.2llds %.2lldfr", ll{c.hours}, ll{c.minutes}, ll{c.seconds}, ll{frames});
  if (c.minutes > 0) return Format("%lldmn %.2llds %.2lldfr", ll{c.minutes}, ll{c.seconds}, ll{frames});
  if (c.seconds > 0) return Format("%llds %.2lldfr", ll{c.seconds}, ll{frames});
  return Format("%lldfr", ll{frames});
}

std::string MillisecondsDurationText(std::int64_t duration) {
  if (duration < 0) duration = 0;
  const std::int64_t ms = (duration % kUnitsPerSecond) / 10'000;
  const Clock c = SplitSeconds(duration);
  using ll = long long;
  if (c.hours > 0)
    return Format("%lldh %.2lldmn %.2llds %.3lldms", ll{c.hours}, ll{c.minutes}, ll{c.seconds}, ll{ms});
  if (c.minutes > 0) return Format("%lldmn %.2llds %.3lldms", ll{c.minutes}, ll{c.seconds}, ll{ms});
  if (c.seconds > 0) return Format("%llds %.3lldms", ll{c.seconds}, ll{ms});
  return Format("%lldmilliseconds", ll{ms});
}

std::string AudioFormatName(std::uint32_t format_tag) {
  static constexpr std::pair<std::uint32_t, const char*> kNames[] = {
      {1, "PCM"}, {2, "ADPCM"}, {3, "IEEE_FLOAT"}, {5, "IBM_CVSD"}, {6, "ALAW"}, {7, "MULAW"},
      {16, "OKI_ADPCM"}, {17, "DVI_ADPCM"}, {18, "MEDIASPACE_ADPCM"}, {19, "SIERRA_ADPCM"},
      {20, "G723_ADPCM"}, {21, "DIGISTD"}, {22, "DIGIFIX"}, {23, "DIALOGIC_OKI_ADPCM"},
      {24, "MEDIAVISION_ADPCM"}, {32, "YAMAHA_ADPCM"}, {33, "SONARC"}, {34, "DSPGROUP_TRUESPEECH"},
      {35, "ECHOSC1"}, {36, "AUDIOFILE_AF36"}, {37, "APTX"}, {38, "AUDIOFILE_AF10"}, {48, "DOLBY_AC2"},
      {49, "GSM610"}, {50, "MSNAUDIO"}, {51, "ANTEX_ADPCME"}, {52, "CONTROL_RES_VQLPC"}, {53, "DIGIREAL"},
      {54, "DIGIADPCM"}, {55, "CONTROL_RES_CR10"}, {56, "NMS_VBXADPCM"}, {57, "CS_IMAADPCM"},
      {58, "ECHOSC3"}, {59, "ROCKWELL_ADPCM"}, {60, "ROCKWELL_DIGITALK"}, {61, "XEBEC"},
      {64, "G721_ADPCM"}, {65, "G728_CELP"}, {80, "MPEG"}, {85, "MP3"}, {96, "CIRRUS"}, {97, "ESPCM"},
      {98, "VOXWARE"}, {99, "CANOPUS_ATRAC"}, {100, "G726_ADPCM"}, {101, "G722_ADPCM"}, {102, "DSAT"},
      {103, "DSAT_DISPLAY"}, {117, "VOXWARE"}, {128, "SOFTSOUND"}, {256, "RHETOREX_ADPCM"},
      {512, "CREATIVE_ADPCM"}, {514, "CREATIVE_FASTSPEECH8"}, {515, "CREATIVE_FASTSPEECH10"},
      {544, "QUARTERDECK"}, {768, "FM_TOWNS_SND"}, {1024, "BTV_DIGITAL"}, {4096, "OLIGSM"},
      {4097, "OLIADPCM"}, {4098, "OLICELP"}, {4099, "OLISBC"}, {4100, "OLIOPR"}, {4352, "LH_CODEC"},
      {5120, "NORRIS"},
  };
  const auto* end = std::end(kNames);
  const auto* it = std::find_if(std::begin(kNames), end, [&](const auto& e) { return e.first == format_tag; });
  return it != end ? it->second : "Unknown";
}

}  // namespace korvid::media
