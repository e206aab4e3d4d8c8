#include "graphs/filter_graph.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "graphs/filter_catalogue.h"
#include "graphs/graph_holders.h"

namespace korvid::graphs {
namespace {

TEST(FilterGraph, RefusesSlotsWhileInactiveOrWithoutMoniker) {
  FilterGraph graph;
  FilterSlot splitter(names::kAviSplitter);
  FilterSlot blank(names::kLayrin, std::string());
  EXPECT_FALSE(graph.Attach(splitter));
  EXPECT_FALSE(graph.Play());
  graph.SetActive(true);
  EXPECT_TRUE(graph.Attach(splitter));
  EXPECT_TRUE(graph.Attach(splitter));
  EXPECT_FALSE(graph.Attach(blank));
  EXPECT_EQ(graph.AttachedCount(), 1u);
  EXPECT_TRUE(splitter.Attached());
  EXPECT_FALSE(blank.Attached());
}

TEST(FilterGraph, ASlotBelongsToOneGraphAtATime) {
  FilterGraph first;
  FilterGraph second;
  first.SetActive(true);
  second.SetActive(true);
  FilterSlot source(names::kFileSource);
  ASSERT_TRUE(first.Attach(source));
  EXPECT_FALSE(second.Attach(source));
  second.Detach(source);  // not its slot: nothing happens
  EXPECT_TRUE(source.Attached());
  first.Detach(source);
  EXPECT_FALSE(source.Attached());
  EXPECT_TRUE(second.Attach(source));
}

TEST(FilterGraph, DeactivatingStopsAndEmptiesTheGraph) {
  FilterGraph graph;
  graph.SetActive(true);
  FilterSlot a(names::kFileSource);
  FilterSlot b(names::kFileWriter);
  graph.Attach(a);
  graph.Attach(b);
  ASSERT_TRUE(graph.Play());
  EXPECT_EQ(graph.State(), GraphState::kPlaying);
  graph.SetActive(false);
  EXPECT_EQ(graph.State(), GraphState::kStopped);
  EXPECT_EQ(graph.AttachedCount(), 0u);
  EXPECT_FALSE(a.Attached() || b.Attached());
}

TEST(FilterGraph, EitherSideMayGoFirst) {
  auto graph = std::make_unique<FilterGraph>();
  graph->SetActive(true);
  {
    FilterSlot shortLived(names::kNullRenderer);
    graph->Attach(shortLived);
  }
  EXPECT_EQ(graph->AttachedCount(), 0u);
  FilterSlot longLived(names::kNullRenderer);
  graph->Attach(longLived);
  graph.reset();
  EXPECT_FALSE(longLived.Attached());
}

TEST(FilterGraph, VolumeStaysInRangeAndEventsReachTheirHandlers) {
  FilterGraph graph;
  graph.SetVolume(-5);
  EXPECT_EQ(graph.Volume(), 0);
  graph.SetVolume(20000);
  EXPECT_EQ(graph.Volume(), FilterGraph::kMaxVolume);
  graph.DeliverGraphComplete();  // no handler yet: ignored
  int completions = 0;
  graph.OnGraphComplete = [&] { ++completions; };
  graph.DeliverGraphComplete();
  EXPECT_EQ(completions, 1);
}

TEST(GraphHolders, StartInTheirDocumentedState) {
  GraphHolderSet holders;
  EXPECT_TRUE(holders.player.viewfg.Active());
  EXPECT_FALSE(holders.conversion.fg.Active());
  EXPECT_EQ(holders.conversion.fg.Mode(), GraphMode::kCapture);
  EXPECT_EQ(holders.player.HlNoTime.FriendlyName(), "Marovec Horolan");
  EXPECT_EQ(holders.conversion.DVenc.Moniker(),
            "korvid:{33D9A760-90C8-11D0-BD43-00A0C911CE86}\\DV Video Encoder");
  EXPECT_EQ(holders.listing.source.Moniker(),
            "korvid:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{E436EBB5-524F-11CE-9F53-0020AF0BA770}");
}

// The catalogue names every slot that its entry fills; the holders build
// their slots from the entry names. Both must tell the same story.
TEST(GraphHolders, EverySlotIsListedUnderItsCatalogueEntry) {
  GraphHolderSet h;
  const std::vector<std::pair<std::string, const FilterSlot*>> slots = {
      {"Tdm.source", &h.listing.source}, {"Tdm.avisplitter", &h.listing.avisplitter},
      {"Tdm.dvsplitter", &h.listing.dvsplitter}, {"Tdm.sg", &h.listing.sg},
      {"Tdm.nullrender", &h.listing.nullrender}, {"TdmScenes.source", &h.scenes.source},
      {"TdmScenes.splitter", &h.scenes.splitter}, {"TdmScenes.sg", &h.scenes.sg},
      {"TdmScenes.null", &h.scenes.null}, {"Tviewdm.source", &h.player.source},
      {"Tviewdm.avisplitter", &h.player.avisplitter}, {"Tviewdm.dvsplitter", &h.player.dvsplitter},
      {"Tviewdm.infinite0", &h.player.infinite0}, {"Tviewdm.nullrender", &h.player.nullrender},
      {"Tviewdm.sg", &h.player.sg}, {"Tviewdm.hl", &h.player.hl},
      {"Tviewdm.infinite", &h.player.infinite}, {"Tviewdm.Dvdecoder", &h.player.Dvdecoder},
      {"Tviewdm.Layrin", &h.player.Layrin}, {"Tviewdm.calenox", &h.player.calenox},
      {"Tviewdm.HlNoTime", &h.player.HlNoTime}, {"Tviewdm.color", &h.player.color},
      {"Tviewdm.audiorender", &h.player.audiorender}, {"TCdm.source", &h.conversion.source},
      {"TCdm.destination", &h.conversion.destination},
      {"TCdm.avisplitter", &h.conversion.avisplitter},
      {"TCdm.dvsplitter", &h.conversion.dvsplitter}, {"TCdm.dvmuxer", &h.conversion.dvmuxer},
      {"TCdm.avimux", &h.conversion.avimux}, {"TCdm.acmwrapper", &h.conversion.acmwrapper},
      {"TCdm.Dvdec", &h.conversion.Dvdec}, {"TCdm.Deinterlacer", &h.conversion.Deinterlacer},
      {"TCdm.DVenc", &h.conversion.DVenc}, {"TCdm.infinite", &h.conversion.infinite},
      {"TCdm.null", &h.conversion.null}, {"TCdm.WAVDest", &h.conversion.WAVDest},
      {"TCdm.layrin", &h.conversion.layrin}, {"TCdm.calenox", &h.conversion.calenox},
      {"TCdm.dixmark", &h.conversion.dixmark}};
  std::size_t listed = 0;
  for (const CatalogueEntry& entry : FilterCatalogue()) {
    for (SlotName name : entry.slots) listed += name.empty() ? 0 : 1;
  }
  EXPECT_EQ(listed, slots.size());
  for (const auto& [name, slot] : slots) {
    const CatalogueEntry* entry = FindCatalogueEntry(slot->FriendlyName());
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_NE(std::find(entry->slots.begin(), entry->slots.end(), name), entry->slots.end())
        << name << " is not listed under " << entry->friendlyName;
  }
}

}  // namespace
}  // namespace korvid::graphs
