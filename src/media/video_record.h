#pragma once
// The information record the video list keeps for each file: what the
// directory entry says, what the analysis found, the display texts and the
// four sort keys. Texts are UTF-8 throughout.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "settings/date_time_format.h"

namespace korvid::media {

// The datecode sort keys of files without one: after every dated file,
// failed files last. Compared byte-wise as unsigned characters, as
// std::string does.
inline constexpr std::string_view kNoDatecodeKey = "\xFA";
inline constexpr std::string_view kFailedDatecodeKey = "\xFF";

inline constexpr std::string_view kNotAvailableText = "N/A";
inline constexpr std::string_view kErrorText = "Error";

// Keys fold only A-Z, so that they do not depend on the locale.
std::string AsciiLower(std::string_view text);

struct TBaseFichier {
  std::string name;      // file name without folder
  std::string fullName;  // absolute, lexically normalised path
  std::string nameKey;   // lower-case name, then lower-case fullName
};

struct TSRFichier : TBaseFichier {
  bool exists = false;
  std::uint32_t sizeHigh = 0;
  std::uint32_t sizeLow = 0;
  // Local time, whole seconds; all zero when the entry was not found.
  // `created` is the birth time where the file system keeps one, else the
  // status-change time.
  settings::DateTimeValue created;
  settings::DateTimeValue modified;
  settings::DateTimeValue accessed;
  // The st_mode bits of the file (type and permissions).
  std::uint32_t attributes = 0;
  std::string sizeKey;  // 16 hex digits each of sizeHigh and sizeLow, then lower-case fullName
  std::string dateKey;  // modified as yyyymmddhhnnss, then lower-case fullName

  std::uint64_t Size() const { return (std::uint64_t{sizeHigh} << 32) | sizeLow; }
  // No write permission for anyone: the counterpart of a read-only
  // attribute, independent of who runs the program.
  bool IsReadOnly() const { return exists && (attributes & 0222u) == 0; }
};

enum class TvSystem : std::uint8_t { kUnknown = 0, kPal = 1, kNtsc = 2 };

struct TaviFichier : TSRFichier {
  std::string datecodeKey{kNoDatecodeKey};
  std::string datecodeText{kNotAvailableText};
  std::optional<settings::DateTimeValue> datecode;  // none for "0"
  std::string timecodeText{kNotAvailableText};
  std::string codec;  // stream handler code as stored; "####" without video stream
  std::int32_t dvType = 0;
  std::string imageText{kNotAvailableText};
  std::int32_t width = 0;
  std::int32_t height = 0;  // for DV the display height
  std::string durationText;
  std::uint64_t frames = 0;      // video frames
  double durationSeconds = 0;    // frames at the exact frame period
  double fps = 0;
  std::string audioText{kNotAvailableText};
  std::string audioDurationText;
  std::uint32_t dvVideoSource = 0;
  std::uint32_t videoBitRate = 0;
  std::string audioFormatText;
  TvSystem tvSystem = TvSystem::kUnknown;
  bool hasSceneFile = false;
  bool isDV = false;
  bool wideScreen = false;
  std::int32_t sampleRate = 0;
  std::int32_t bitsPerSample = 0;
  std::string channelsText;
  std::string datecodeNameKey;
};

// The record the video list stores.
struct TAfficherFichier : TaviFichier {};

// How datecodes are shown: a format of the date-time format language and
// the locale that gives its separators and names.
struct DatecodeFormat {
  std::string format;
  settings::LocaleFormats locale;
};

// Name fields and nameKey of `path`, made absolute against the current folder.
void SetNameFields(const std::filesystem::path& path, TBaseFichier& record);
// The directory-entry facts and their two keys; `exists` false and the
// facts left empty when the entry cannot be read.
void SetFileFacts(TSRFichier& record);

std::string SizeKey(std::uint32_t sizeHigh, std::uint32_t sizeLow, std::string_view fullName);
std::string DateKey(const settings::DateTimeValue& modified, std::string_view fullName);

// True for a codec code of DV: dvsd, dsvd or cdvc in any letter case.
bool IsDvCodec(std::string_view codec);

}  // namespace korvid::media
