#include "media/video_record.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace korvid::media {
namespace {

settings::DateTimeValue LocalTime(std::time_t seconds) {
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

struct EntryTimes {
  std::time_t created = 0;
  std::time_t modified = 0;
  std::time_t accessed = 0;
};

struct Entry {
  std::uint64_t size = 0;
  std::uint32_t mode = 0;
  EntryTimes times;
};

// statx gives the birth time on file systems that keep it; older kernels
// and file systems without it fall back to the status-change time.
std::optional<Entry> ReadEntry(const std::string& path) {
  Entry entry;
#ifdef STATX_BTIME
  struct statx sx {};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
    entry.size = sx.stx_size;
    entry.mode = sx.stx_mode;
    entry.times.modified = static_cast<std::time_t>(sx.stx_mtime.tv_sec);
    entry.times.accessed = static_cast<std::time_t>(sx.stx_atime.tv_sec);
    entry.times.created = static_cast<std::time_t>(
        (sx.stx_mask & STATX_BTIME) != 0 ? sx.stx_btime.tv_sec : sx.stx_ctime.tv_sec);
    return entry;
  }
  if (errno != ENOSYS) return std::nullopt;
#endif
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  entry.size = static_cast<std::uint64_t>(st.st_size);
  entry.mode = st.st_mode;
  entry.times = {st.st_ctime, st.st_mtime, st.st_atime};
  return entry;
}

}  // namespace

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

bool IsDvCodec(std::string_view codec) {
  const std::string lower = AsciiLower(codec);
  return lower == "dvsd" || lower == "dsvd" || lower == "cdvc";
}

void SetNameFields(const std::filesystem::path& path, TBaseFichier& record) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path, error);
  if (error) full = path;
  full = full.lexically_normal();
  // A trailing separator would leave the name empty.
  if (!full.has_filename() && full.has_parent_path() && full != full.root_path())
    full = full.parent_path();
  record.fullName = full.string();
  record.name = full.filename().string();
  record.nameKey = AsciiLower(record.name + record.fullName);
}

std::string SizeKey(std::uint32_t sizeHigh, std::uint32_t sizeLow, std::string_view fullName) {
  char digits[40] = {};
  std::snprintf(digits, sizeof digits, "%.16X%.16X", static_cast<unsigned>(sizeHigh),
                static_cast<unsigned>(sizeLow));
  return digits + AsciiLower(fullName);
}

std::string DateKey(const settings::DateTimeValue& modified, std::string_view fullName) {
  char digits[64] = {};
  std::snprintf(digits, sizeof digits, "%.4d%.2d%.2d%.2d%.2d%.2d", modified.year, modified.month,
                modified.day, modified.hour, modified.minute, modified.second);
  return digits + AsciiLower(fullName);
}

void SetFileFacts(TSRFichier& record) {
  const std::optional<Entry> entry = ReadEntry(record.fullName);
  if (!entry) {
    record.exists = false;
    return;
  }
  record.exists = true;
  record.sizeHigh = static_cast<std::uint32_t>(entry->size >> 32);
  record.sizeLow = static_cast<std::uint32_t>(entry->size);
  record.attributes = entry->mode;
  record.created = LocalTime(entry->times.created);
  record.modified = LocalTime(entry->times.modified);
  record.accessed = LocalTime(entry->times.accessed);
  record.sizeKey = SizeKey(record.sizeHigh, record.sizeLow, record.fullName);
  record.dateKey = DateKey(record.modified, record.fullName);
}

}  // namespace korvid::media
