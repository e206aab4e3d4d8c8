#include "graphs/filter_availability.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace korvid::graphs {
namespace {

std::vector<std::string> RedLines(const FilterAvailability& availability) {
  std::vector<std::string> red;
  for (const ReportLine& line : AvailabilityReportLines(availability)) {
    if (line.colour == ReportColour::kRed) red.emplace_back(line.text);
  }
  return red;
}

TEST(CheckFilterAvailability, HiddenComponentsTurnOnlyTheirGroupsRed) {
  AvailabilityOptions options;
  // Blanks, empty items and case do not matter.
  options.missingFilters = " File writer;; null renderer ;";
  const FilterAvailability a = CheckFilterAvailability(options);
  EXPECT_FALSE(a.conversionReady || a.listingReady || a.scenesReady);
  EXPECT_TRUE(a.displayReady && a.inlayReady && a.deinterlacerFound && a.wavDestFound);
  EXPECT_EQ(RedLines(a), (std::vector<std::string>{"Some fiilters needed for conversion are missing.",
                                                   "Some filters needed to list videos are missing.",
                                                   "Some filters needed to scan scenes are missing."}));
  // Names outside every group, or unknown, change nothing.
  options.missingFilters = "Sample Grabber;Color Space Converter;No Such Filter";
  EXPECT_TRUE(RedLines(CheckFilterAvailability(options)).empty());
}

TEST(CheckFilterAvailability, MakersFiltersListedMissingGiveFiveRedLines) {
  AvailabilityOptions options;
  options.missingFilters = "marovec layrin3;MAROVEC CALENOX2; Marovec Dixmark ;marovec horolan";
  const FilterAvailability a = CheckFilterAvailability(options);

  EXPECT_FALSE(a.inlayReady || a.dixmarkFound || a.layrinFound || a.calenoxFound || a.horolanFound);
  EXPECT_TRUE(a.conversionReady && a.listingReady && a.displayReady && a.scenesReady);
  EXPECT_TRUE(a.deinterlacerFound && a.wavDestFound);
  EXPECT_EQ(RedLines(a), (std::vector<std::string>{
                             "Some filters needed for inlay are missing.",
                             "The filter Marovec Layrin3 is missing.",
                             "The filter Marovec Calenox2 is missing.",
                             "The filter Marovec Dixmark is missing.",
                             "The filter Marovec Horolan is missing."}));
}

TEST(CheckFilterAvailability, EverythingOnThisMachineReportsAllBlack) {
  const FilterAvailability a = CheckFilterAvailability(AvailabilityOptions{});
  const std::vector<ReportLine> lines = AvailabilityReportLines(a);
  ASSERT_EQ(lines.size(), 11u);
  for (const ReportLine& line : lines) {
    EXPECT_EQ(line.colour, ReportColour::kBlack) << line.text;
  }
  EXPECT_EQ(lines.front().text, "All filters needed for conversion are available.");
  EXPECT_EQ(lines.back().text, "The filter WavDest is available.");
}

TEST(CheckFilterAvailability, NoAudioOutputOnlyTurnsTheDisplayLineRed) {
  AvailabilityOptions options;
  options.probes.audioOutputPresent = [] { return false; };
  const FilterAvailability a = CheckFilterAvailability(options);
  EXPECT_EQ(RedLines(a),
            std::vector<std::string>{"Some filters needed to display videos are missing."});
}

TEST(CheckFilterAvailability, MissingDeinterlacerAndWavDestLeaveTheChainsAlone) {
  AvailabilityOptions options;
  options.missingFilters = "Pinnacle Video Deinterlacer;WAV Dest";
  const FilterAvailability a = CheckFilterAvailability(options);
  EXPECT_FALSE(a.deinterlacerFound || a.wavDestFound);
  EXPECT_TRUE(a.conversionReady && a.inlayReady && a.dixmarkFound);
  EXPECT_EQ(RedLines(a), (std::vector<std::string>{
                             "The filter Pinnacle Video Deinterlacer is missing.",
                             "The filter WavDest is missing."}));
}

TEST(AvailabilityReport, FreshRecordIsAllRedInItsFixedOrder) {
  const std::vector<std::string> red = RedLines(FilterAvailability{});
  const std::vector<std::string> expected = {
      "Some fiilters needed for conversion are missing.",
      "Some filters needed to list videos are missing.",
      "Some filters needed to display videos are missing.",
      "Some filters needed to scan scenes are missing.",
      "Some filters needed for inlay are missing.",
      "The filter Pinnacle Video Deinterlacer is missing.",
      "The filter Marovec Layrin3 is missing.",
      "The filter Marovec Calenox2 is missing.",
      "The filter Marovec Dixmark is missing.",
      "The filter Marovec Horolan is missing.",
      "The filter WavDest is missing."};
  EXPECT_EQ(red, expected);
}

}  // namespace
}  // namespace korvid::graphs
