#pragma once
// Datecodes are local times without a zone. The zone the camcorder was in
// (a preference, or the command line's --time-zone, else the system's)
// turns them into absolute times for the MP4's creation time, file dates
// and the reports. Local times that the zone's daylight-saving rules make
// ambiguous are settled one way and said so: a time that occurs twice is
// taken the first time, one that never occurs is moved forward by the gap.

#include <cstdint>
#include <optional>
#include <string>

#include <QTimeZone>

#include "resources/user_error.h"
#include "settings/date_time_format.h"

namespace korvid::settings {

class UnknownTimeZone : public UserError {
 public:
  using UserError::UserError;
};

struct RecordedInstant {
  enum class Edge { kNone, kRepeated, kMissing };
  std::int64_t utcSeconds = 0;  // since 1970-01-01 00:00:00 UTC
  int offsetSeconds = 0;        // of the zone at that instant, east positive
  Edge edge = Edge::kNone;
  DateTimeValue local;  // the local time taken: moved forward for kMissing
};

class RecordingZone {
 public:
  // An IANA name ("Europe/Paris"); empty means the system's zone. Throws
  // UnknownTimeZone for a name the zone database does not hold.
  explicit RecordingZone(const std::string& name = {});

  // The IANA name of the zone used.
  std::string Name() const;
  // Nothing for a value that is not a real date and time.
  std::optional<RecordedInstant> ToUtc(const DateTimeValue& local) const;

 private:
  int OffsetAt(std::int64_t utcSeconds) const;
  QTimeZone zone_;
};

// True when the zone database holds `name` (empty counts: the system's zone).
bool IsKnownTimeZone(const std::string& name);

// The zone a command uses: the command line's --time-zone when one was
// given for this run (kept in the environment as KORVID_TIME_ZONE, for the
// programs the run hands over to), else the preference "Fuseau horaire".
void OverrideTimeZone(std::string name);
std::optional<std::string> TimeZoneOverride();
std::string ChosenTimeZone(const std::string& preference);

// "2024-07-14T13:30:00Z".
std::string UtcText(std::int64_t utcSeconds);
// The local time taken with its offset: "2024-07-14T15:30:00+02:00".
std::string OffsetText(const RecordedInstant& instant);
// Empty for an ordinary time; else what was done, e.g. "02:30:00 does not
// exist in Europe/Paris: taken as 03:30:00".
std::string EdgeNote(const DateTimeValue& asked, const RecordedInstant& instant, const std::string& zoneName);

}  // namespace korvid::settings
