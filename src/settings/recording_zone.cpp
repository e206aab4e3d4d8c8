#include "settings/recording_zone.h"

#include <QByteArray>
#include <QDateTime>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace korvid::settings {
namespace {

// The run's zone travels in the environment, so that the programs a start
// hands over to (the window, the runner) read the same one.
constexpr const char* kZoneVariable = "KORVID_TIME_ZONE";


// Seconds since the epoch of a local value read as if it were UTC.
std::int64_t NaiveSeconds(const DateTimeValue& v) {
  using namespace std::chrono;
  const sys_days date{year{v.year} / month{static_cast<unsigned>(v.month)} / day{static_cast<unsigned>(v.day)}};
  return std::int64_t{date.time_since_epoch().count()} * 86400 + v.hour * 3600 + v.minute * 60 + v.second;
}

DateTimeValue FromNaiveSeconds(std::int64_t seconds) {
  using namespace std::chrono;
  const std::int64_t dayCount = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const std::int64_t rest = seconds - dayCount * 86400;
  const year_month_day date{sys_days{days{dayCount}}};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(rest / 3600),
          static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60)};
}

std::string ClockText(const DateTimeValue& v) {
  char text[16] = {};
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", v.hour, v.minute, v.second);
  return text;
}

std::string IsoText(const DateTimeValue& v) {
  char text[40] = {};
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", v.year, v.month, v.day, v.hour, v.minute,
                v.second);
  return text;
}

QTimeZone ZoneNamed(const std::string& name) {
  if (name.empty()) return QTimeZone::systemTimeZone();
  return QTimeZone(QByteArray::fromStdString(name));
}

}  // namespace

RecordingZone::RecordingZone(const std::string& name) : zone_(ZoneNamed(name)) {
  if (!zone_.isValid()) throw UnknownTimeZone("unknown time zone \"" + name + "\": give an IANA name such as Europe/Paris");
}

std::string RecordingZone::Name() const { return zone_.id().toStdString(); }

int RecordingZone::OffsetAt(std::int64_t utcSeconds) const {
  return zone_.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utcSeconds, Qt::UTC));
}

std::optional<RecordedInstant> RecordingZone::ToUtc(const DateTimeValue& local) const {
  if (!IsValidDateTime(local)) return std::nullopt;
  const std::int64_t naive = NaiveSeconds(local);
  // Every offset in force within a day either side: the zone's rules never
  // change twice in that time.
  const std::array<int, 3> offsets{OffsetAt(naive - 86400), OffsetAt(naive), OffsetAt(naive + 86400)};
  std::vector<std::int64_t> found;
  for (const int offset : offsets) {
    const std::int64_t utc = naive - offset;
    if (OffsetAt(utc) == offset && std::find(found.begin(), found.end(), utc) == found.end()) found.push_back(utc);
  }
  RecordedInstant instant;
  if (!found.empty()) {
    instant.utcSeconds = *std::min_element(found.begin(), found.end());
    instant.edge = found.size() > 1 ? RecordedInstant::Edge::kRepeated : RecordedInstant::Edge::kNone;
  } else {
    // Clocks jumped over this time: the offset before the jump puts the
    // instant past it, the time moved forward by the gap.
    instant.utcSeconds = naive - offsets[0];
    instant.edge = RecordedInstant::Edge::kMissing;
  }
  instant.offsetSeconds = OffsetAt(instant.utcSeconds);
  instant.local = FromNaiveSeconds(instant.utcSeconds + instant.offsetSeconds);
  return instant;
}

bool IsKnownTimeZone(const std::string& name) { return ZoneNamed(name).isValid(); }

void OverrideTimeZone(std::string name) { ::setenv(kZoneVariable, name.c_str(), 1); }

std::optional<std::string> TimeZoneOverride() {
  const char* given = std::getenv(kZoneVariable);
  if (given == nullptr) return std::nullopt;
  return std::string(given);
}

std::string ChosenTimeZone(const std::string& preference) { return TimeZoneOverride().value_or(preference); }

std::string UtcText(std::int64_t utcSeconds) { return IsoText(FromNaiveSeconds(utcSeconds)) + "Z"; }

std::string OffsetText(const RecordedInstant& instant) {
  const int offset = instant.offsetSeconds;
  const int magnitude = std::abs(offset);
  char zone[16] = {};
  std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', magnitude / 3600, magnitude / 60 % 60);
  return IsoText(instant.local) + zone;
}

std::string EdgeNote(const DateTimeValue& asked, const RecordedInstant& instant, const std::string& zoneName) {
  switch (instant.edge) {
    case RecordedInstant::Edge::kNone:
      return {};
    case RecordedInstant::Edge::kRepeated:
      return ClockText(asked) + " occurs twice in " + zoneName + ": the earlier taken";
    case RecordedInstant::Edge::kMissing:
      return ClockText(asked) + " does not exist in " + zoneName + ": taken as " + ClockText(instant.local);
  }
  return {};
}

}  // namespace korvid::settings
