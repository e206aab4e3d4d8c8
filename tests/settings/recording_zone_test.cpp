// Datecodes read as local times of a zone, against Python's zoneinfo: a
// summer and a winter date, both daylight-saving edges of two zones, and
// the notes that say what was made of an edge.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "settings/recording_zone.h"
#include "support/test_env.h"

namespace korvid {
namespace {

using settings::DateTimeValue;
using settings::RecordedInstant;
using settings::RecordingZone;

struct Case {
  const char* zone;
  DateTimeValue local;
  RecordedInstant::Edge edge;
};

// zoneinfo's reading with fold=0: the earlier of a repeated time, and for
// a skipped one the offset before the jump, which moves it forward. One
// line of seconds per case.
std::vector<long long> PythonEpochs(const std::vector<Case>& cases) {
  std::string script = "from datetime import datetime\nfrom zoneinfo import ZoneInfo\n";
  for (const Case& c : cases) {
    char line[160];
    std::snprintf(line, sizeof line, "print(int(datetime(%d,%d,%d,%d,%d,%d,tzinfo=ZoneInfo('%s')).timestamp()))\n",
                  c.local.year, c.local.month, c.local.day, c.local.hour, c.local.minute, c.local.second, c.zone);
    script += line;
  }
  const test::CommandResult result = test::RunCommand({"python3", "-c", script});
  EXPECT_EQ(result.exit_code, 0) << script;
  std::vector<long long> epochs;
  std::istringstream lines(result.output);
  for (long long value = 0; lines >> value;) epochs.push_back(value);
  return epochs;
}

TEST(RecordingZone, AgreesWithZoneinfoInSummerWinterAndOnBothEdges) {
  KORVID_REQUIRE_PROGRAM("python3");
  const std::vector<Case> cases = {
      {"Europe/Paris", {2005, 8, 14, 15, 2, 11}, RecordedInstant::Edge::kNone},
      {"Europe/Paris", {2005, 1, 14, 15, 2, 11}, RecordedInstant::Edge::kNone},
      {"Europe/Paris", {2024, 3, 31, 2, 30, 0}, RecordedInstant::Edge::kMissing},
      {"Europe/Paris", {2024, 10, 27, 2, 30, 0}, RecordedInstant::Edge::kRepeated},
      {"Europe/Paris", {2024, 10, 27, 3, 0, 0}, RecordedInstant::Edge::kNone},
      {"America/New_York", {2023, 3, 12, 2, 15, 0}, RecordedInstant::Edge::kMissing},
      {"America/New_York", {2023, 11, 5, 1, 45, 0}, RecordedInstant::Edge::kRepeated},
      {"Asia/Tokyo", {2000, 1, 1, 0, 0, 0}, RecordedInstant::Edge::kNone},
      {"Australia/Lord_Howe", {2024, 4, 7, 1, 45, 0}, RecordedInstant::Edge::kRepeated},
  };
  const std::vector<long long> expected = PythonEpochs(cases);
  ASSERT_EQ(expected.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.local.month) + "/" + std::to_string(c.local.day));
    const auto instant = RecordingZone(c.zone).ToUtc(c.local);
    ASSERT_TRUE(instant);
    EXPECT_EQ(instant->utcSeconds, expected[i]);
    EXPECT_EQ(instant->edge, c.edge);
  }
}

TEST(RecordingZone, EdgesAreSaidAndTheLocalTimeTakenIsShownWithItsOffset) {
  const RecordingZone paris("Europe/Paris");
  const DateTimeValue skipped{2024, 3, 31, 2, 30, 0};
  const auto moved = paris.ToUtc(skipped);
  ASSERT_TRUE(moved);
  EXPECT_EQ(settings::UtcText(moved->utcSeconds), "2024-03-31T01:30:00Z");
  EXPECT_EQ(settings::OffsetText(*moved), "2024-03-31T03:30:00+02:00");
  EXPECT_EQ(settings::EdgeNote(skipped, *moved, paris.Name()),
            "02:30:00 does not exist in Europe/Paris: taken as 03:30:00");

  const DateTimeValue twice{2024, 10, 27, 2, 30, 0};
  const auto earlier = paris.ToUtc(twice);
  ASSERT_TRUE(earlier);
  EXPECT_EQ(settings::OffsetText(*earlier), "2024-10-27T02:30:00+02:00");
  EXPECT_EQ(settings::EdgeNote(twice, *earlier, paris.Name()), "02:30:00 occurs twice in Europe/Paris: the earlier taken");

  const auto plain = RecordingZone("America/St_Johns").ToUtc({2005, 1, 14, 15, 2, 11});
  ASSERT_TRUE(plain);
  EXPECT_EQ(settings::OffsetText(*plain), "2005-01-14T15:02:11-03:30");
  EXPECT_TRUE(settings::EdgeNote({2005, 1, 14, 15, 2, 11}, *plain, "America/St_Johns").empty());
}

TEST(RecordingZone, WrongNamesAndImpossibleDatesAreRefused) {
  EXPECT_THROW(RecordingZone("Europe/Atlantis"), settings::UnknownTimeZone);
  EXPECT_FALSE(settings::IsKnownTimeZone("Mars/Olympus"));
  EXPECT_TRUE(settings::IsKnownTimeZone(""));
  EXPECT_TRUE(settings::IsKnownTimeZone("UTC"));
  EXPECT_FALSE(RecordingZone("UTC").ToUtc({2005, 2, 29, 0, 0, 0}));
  EXPECT_FALSE(RecordingZone("UTC").ToUtc({2005, 1, 1, 24, 0, 0}));
}

}  // namespace
}  // namespace korvid
