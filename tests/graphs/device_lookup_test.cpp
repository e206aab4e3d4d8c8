#include "graphs/device_enumerator.h"

#include <gtest/gtest.h>

namespace korvid::graphs {
namespace {

DeviceSource FixedSource(std::vector<DeviceEntry> filters, std::vector<DeviceEntry> compressors = {}) {
  return [filters = std::move(filters), compressors = std::move(compressors)](FilterCategory c) {
    return c == FilterCategory::kFilters ? filters
           : c == FilterCategory::kVideoCompressors ? compressors
                                                    : std::vector<DeviceEntry>{};
  };
}

TEST(FindFilterByFriendlyName, IgnoresCaseAndTakesTheLastOfEqualNames) {
  DeviceEnumerator devices(FixedSource({{"AVI Splitter", "m:first"},
                                        {"Null Renderer", "m:null"},
                                        {"avi splitter", "m:second"},
                                        {"AVI Splitter ", "m:trailing-blank"}}));
  FilterSlot slot(names::kAviSplitter);
  ASSERT_TRUE(devices.FindFilterByFriendlyName(FilterCategory::kFilters, "AVI SPLITTER", slot));
  EXPECT_EQ(slot.Moniker(), "m:second");
  EXPECT_TRUE(slot.Found());
}

TEST(FindFilterByFriendlyName, MissLeavesTheSlotAsItWas) {
  DeviceEnumerator devices(FixedSource({{"Null Renderer", "m:null"}}, {{"DV Video Encoder", "m:enc"}}));
  FilterSlot slot(names::kDvEncoder);
  const std::string builtIn = slot.Moniker();
  ASSERT_FALSE(builtIn.empty());
  // The encoder lives in another category than the one asked.
  EXPECT_FALSE(devices.FindFilterByFriendlyName(FilterCategory::kFilters, names::kDvEncoder, slot));
  EXPECT_EQ(slot.Moniker(), builtIn);
  EXPECT_FALSE(slot.Found());
  EXPECT_TRUE(devices.FindFilterByFriendlyName(FilterCategory::kVideoCompressors, "dv video encoder",
                                               slot));
  EXPECT_EQ(slot.Moniker(), "m:enc");
  ASSERT_EQ(devices.Lookups().size(), 2u);
  EXPECT_FALSE(devices.Lookups()[0].found);
  EXPECT_EQ(devices.Lookups()[1].category, FilterCategory::kVideoCompressors);
}

TEST(FindFilterByFriendlyName, NamesDifferingOnlyBeyondAsciiLettersAreNotConfused) {
  EXPECT_TRUE(EqualsIgnoringCase("Marovec Layrin3", "MAROVEC LAYRIN3"));
  EXPECT_FALSE(EqualsIgnoringCase("Marovec Layrin3", "Marovec Layrin"));
  EXPECT_FALSE(EqualsIgnoringCase("DV Muxer", "DV Muxer\x01"));
  EXPECT_FALSE(EqualsIgnoringCase("a[", "A{"));  // '[' and '{' differ by the case bit
}

TEST(MissingFiltersVariable, SplitsOnSemicolonsAndDropsBlanks) {
  EXPECT_TRUE(ParseMissingFilters("").empty());
  EXPECT_TRUE(ParseMissingFilters(" ; ;").empty());
  const auto names = ParseMissingFilters(" WAV Dest;;marovec dixmark ;File writer");
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "WAV Dest");
  EXPECT_EQ(names[1], "marovec dixmark");
  EXPECT_EQ(names[2], "File writer");
}

TEST(SystemDevices, ListedNamesAreLeftOutWhateverTheirCase) {
  SystemDeviceOptions options;
  options.missingFilters = "wav dest; AVI SPLITTER";
  const DeviceSource source = SystemDeviceSource(options);
  const auto filters = source(FilterCategory::kFilters);
  for (const DeviceEntry& entry : filters) {
    EXPECT_NE(entry.friendlyName, "WAV Dest");
    EXPECT_NE(entry.friendlyName, "AVI Splitter");
  }
  // Not looked up, so never enumerated.
  for (const DeviceEntry& entry : filters) EXPECT_NE(entry.friendlyName, "Color Space Converter");
  EXPECT_EQ(source(FilterCategory::kVideoCompressors).size(), 1u);
}

TEST(SystemDevices, AudioOutputFollowsTheApplicationsProbe) {
  SystemDeviceOptions options;
  EXPECT_EQ(SystemDeviceSource(options)(FilterCategory::kAudioRenderers).size(), 1u);
  options.probes.audioOutputPresent = [] { return false; };
  EXPECT_TRUE(SystemDeviceSource(options)(FilterCategory::kAudioRenderers).empty());
}

TEST(ComponentProbes, TheLinkedFfmpegCarriesTheDvCodecAndContainers) {
  const ProbeContext context;
  for (Backing b : {Backing::kDvEncoder, Backing::kDvDecoder, Backing::kDvDemuxer, Backing::kDvMuxer,
                    Backing::kAviDemuxer, Backing::kAviMuxer, Backing::kResampler, Backing::kScaler}) {
    EXPECT_TRUE(ProbeBacking(b, context)) << static_cast<int>(b);
  }
}

}  // namespace
}  // namespace korvid::graphs
