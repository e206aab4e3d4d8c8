#include "graphs/filter_availability.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace korvid::graphs {
namespace {

// Every looked-up catalogue name, each with a moniker naming it, minus
// the ones a test leaves out.
DeviceSource AllBut(std::vector<std::string_view> absent) {
  return [absent = std::move(absent)](FilterCategory category) {
    std::vector<DeviceEntry> entries;
    for (const CatalogueEntry& e : FilterCatalogue()) {
      if (e.category != category || !e.lookedUp) continue;
      if (std::find(absent.begin(), absent.end(), e.friendlyName) != absent.end()) continue;
      entries.push_back({std::string(e.friendlyName), "found:" + std::string(e.friendlyName)});
    }
    return entries;
  };
}

std::vector<std::string> AskedNames(const DeviceEnumerator& devices) {
  std::vector<std::string> asked;
  for (const LookupRecord& r : devices.Lookups()) asked.push_back(r.friendlyName);
  return asked;
}

std::vector<std::string> RedLines(const FilterAvailability& availability) {
  std::vector<std::string> red;
  for (const ReportLine& line : AvailabilityReportLines(availability)) {
    if (line.colour == ReportColour::kRed) red.emplace_back(line.text);
  }
  return red;
}

const std::vector<std::string> kListingScenesDisplay = {
    "Null Renderer", "DV Splitter", "AVI Splitter", "File Source (Async.)",  // listing
    "Null Renderer", "AVI Splitter", "File Source (Async.)",                 // scenes
    "AVI Splitter", "File Source (Async.)", "Default DirectSound Device"};   // display

TEST(CheckFilterAvailability, LooksEverythingUpInOrderWhenAllIsThere) {
  GraphHolderSet holders;
  DeviceEnumerator devices(AllBut({}));
  const FilterAvailability a = CheckFilterAvailability(holders, devices);

  std::vector<std::string> expected = {
      "Pinnacle Video Deinterlacer", "Marovec Layrin3", "Marovec Calenox2", "Marovec Dixmark",
      "Marovec Horolan", "WAV Dest", "File Source (Async.)", "File writer", "AVI Splitter",
      "DV Muxer", "AVI Mux", "DV Splitter", "DV Video Decoder", "ACM Wrapper",
      "Infinite Pin Tee Filter", "Null Renderer", "DV Video Encoder"};
  expected.insert(expected.end(), kListingScenesDisplay.begin(), kListingScenesDisplay.end());
  EXPECT_EQ(AskedNames(devices), expected);
  EXPECT_EQ(devices.Lookups()[16].category, FilterCategory::kVideoCompressors);
  EXPECT_EQ(devices.Lookups().back().category, FilterCategory::kAudioRenderers);

  EXPECT_TRUE(a.conversionReady && a.listingReady && a.displayReady && a.scenesReady &&
              a.inlayReady && a.deinterlacerFound && a.wavDestFound);
  EXPECT_TRUE(RedLines(a).empty());

  // Each lookup lands in the slot of its own holder, and only there.
  EXPECT_EQ(holders.conversion.layrin.Moniker(), "found:Marovec Layrin3");
  EXPECT_EQ(holders.player.hl.Moniker(), "found:Marovec Horolan");
  EXPECT_EQ(holders.scenes.splitter.Moniker(), "found:AVI Splitter");
  EXPECT_TRUE(holders.listing.dvsplitter.Found());
  EXPECT_FALSE(holders.player.dvsplitter.Found());
  EXPECT_FALSE(holders.player.Layrin.Found());
  EXPECT_FALSE(holders.player.HlNoTime.Found());
  EXPECT_FALSE(holders.player.color.Found());
  EXPECT_TRUE(holders.player.color.CanInstantiate());
}

TEST(CheckFilterAvailability, MissingFileWriterEndsTheConversionChainThere) {
  GraphHolderSet holders;
  const std::string encoderBuiltIn = holders.conversion.DVenc.Moniker();
  DeviceEnumerator devices(AllBut({names::kFileWriter}));
  const FilterAvailability a = CheckFilterAvailability(holders, devices);

  std::vector<std::string> expected = {
      "Pinnacle Video Deinterlacer", "Marovec Layrin3", "Marovec Calenox2", "Marovec Dixmark",
      "Marovec Horolan", "WAV Dest", "File Source (Async.)", "File writer"};
  expected.insert(expected.end(), kListingScenesDisplay.begin(), kListingScenesDisplay.end());
  EXPECT_EQ(AskedNames(devices), expected);

  EXPECT_FALSE(a.conversionReady);
  EXPECT_TRUE(a.listingReady && a.scenesReady && a.displayReady && a.inlayReady);
  EXPECT_EQ(holders.conversion.DVenc.Moniker(), encoderBuiltIn);
  EXPECT_FALSE(holders.conversion.DVenc.Found());
  EXPECT_FALSE(holders.conversion.avisplitter.Found());
  EXPECT_TRUE(holders.conversion.source.Found());
  EXPECT_EQ(RedLines(a), std::vector<std::string>{"Some fiilters needed for conversion are missing."});
}

TEST(CheckFilterAvailability, MissingNullRendererStopsThreeChainsAtTheirOwnPlace) {
  GraphHolderSet holders;
  DeviceEnumerator devices(AllBut({names::kNullRenderer}));
  const FilterAvailability a = CheckFilterAvailability(holders, devices);
  const std::vector<std::string> asked = AskedNames(devices);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "DV Video Encoder"), 0);
  // Listing and scenes both start with it, so each stops after one lookup.
  const std::vector<std::string> tail(asked.end() - 5, asked.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"Null Renderer", "Null Renderer", "AVI Splitter",
                                            "File Source (Async.)", "Default DirectSound Device"}));
  EXPECT_FALSE(a.conversionReady || a.listingReady || a.scenesReady);
  EXPECT_TRUE(a.displayReady);
  EXPECT_EQ(RedLines(a).size(), 3u);
}

TEST(CheckFilterAvailability, MakersFiltersListedMissingGiveFiveRedLines) {
  GraphHolderSet holders;
  SystemDeviceOptions options;
  options.missingFilters = "marovec layrin3;MAROVEC CALENOX2; Marovec Dixmark ;marovec horolan";
  const FilterAvailability a = CheckFilterAvailability(holders, options);

  EXPECT_FALSE(a.inlayReady || a.dixmarkFound || a.layrinFound || a.calenoxFound || a.horolanFound);
  EXPECT_TRUE(a.conversionReady && a.listingReady && a.displayReady && a.scenesReady);
  EXPECT_TRUE(a.deinterlacerFound && a.wavDestFound);
  EXPECT_EQ(RedLines(a), (std::vector<std::string>{
                             "Some filters needed for inlay are missing.",
                             "The filter Marovec Layrin3 is missing.",
                             "The filter Marovec Calenox2 is missing.",
                             "The filter Marovec Dixmark is missing.",
                             "The filter Marovec Horolan is missing."}));
  // The conversion holder cannot create what the lookup did not find.
  EXPECT_FALSE(holders.conversion.layrin.CanInstantiate());
  EXPECT_FALSE(holders.conversion.calenox.CanInstantiate());
  EXPECT_TRUE(holders.conversion.dixmark.CanInstantiate());
  EXPECT_TRUE(holders.player.Layrin.CanInstantiate());
}

TEST(CheckFilterAvailability, EverythingOnThisMachineReportsAllBlack) {
  GraphHolderSet holders;
  const FilterAvailability a = CheckFilterAvailability(holders, SystemDeviceOptions{});
  const std::vector<ReportLine> lines = AvailabilityReportLines(a);
  ASSERT_EQ(lines.size(), 11u);
  for (const ReportLine& line : lines) {
    EXPECT_EQ(line.colour, ReportColour::kBlack) << line.text;
  }
  EXPECT_EQ(lines.front().text, "All filters needed for conversion are available.");
  EXPECT_EQ(lines.back().text, "The filter WavDest is available.");
  EXPECT_TRUE(holders.conversion.DVenc.Found());
  EXPECT_TRUE(holders.player.audiorender.Found());
}

TEST(CheckFilterAvailability, NoAudioOutputOnlyTurnsTheDisplayLineRed) {
  GraphHolderSet holders;
  SystemDeviceOptions options;
  options.probes.audioOutputPresent = [] { return false; };
  const FilterAvailability a = CheckFilterAvailability(holders, options);
  EXPECT_EQ(RedLines(a),
            std::vector<std::string>{"Some filters needed to display videos are missing."});
}

TEST(CheckFilterAvailability, MissingDeinterlacerAndWavDestLeaveTheChainsAlone) {
  GraphHolderSet holders;
  SystemDeviceOptions options;
  options.missingFilters = "Pinnacle Video Deinterlacer;WAV Dest";
  const FilterAvailability a = CheckFilterAvailability(holders, options);
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
