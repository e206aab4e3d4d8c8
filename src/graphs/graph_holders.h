#pragma once
// The four graph holders, one per media job, each created once at start
// and kept for the whole run: listing, scene scan, player, conversions.
// They own their graph and their named slots; the jobs that build and run
// the graphs live with those jobs and reach the slots by these names.

#include <cstdint>
#include <functional>
#include <span>

#include "graphs/filter_catalogue.h"
#include "graphs/filter_graph.h"
#include "graphs/filter_slot.h"

namespace korvid::graphs {

// Called by a sample grabber, on the streaming thread, with each sample.
using SampleHandler = std::function<void(std::span<const std::uint8_t>)>;

// Members keep their historical names: jobs and their tests refer to them.
// NOLINTBEGIN(readability-identifier-naming)

// Listing: reads a file's stream formats, durations and first frame.
class Tdm {
 public:
  Tdm();
  Tdm(const Tdm&) = delete;
  Tdm& operator=(const Tdm&) = delete;

  FilterSlot source{names::kFileSource};
  FilterSlot avisplitter{names::kAviSplitter};
  FilterSlot dvsplitter{names::kDvSplitter};
  FilterSlot sg{names::kSampleGrabber};
  FilterSlot nullrender{names::kNullRenderer};
  FilterGraph fg;
  SampleHandler sgBuffer;
};

// Scene scan: feeds every DV frame of a file to the scanner.
class TdmScenes {
 public:
  TdmScenes();
  TdmScenes(const TdmScenes&) = delete;
  TdmScenes& operator=(const TdmScenes&) = delete;

  FilterSlot source{names::kFileSource};
  FilterSlot splitter{names::kAviSplitter};
  FilterSlot sg{names::kSampleGrabber};
  FilterSlot null{names::kNullRenderer};
  FilterGraph fg;
  SampleHandler sgBuffer;
};

// Player: shows the current entry, with the datecode overlay when the
// maker's filters are there. Its graph exists from the start.
class Tviewdm {
 public:
  Tviewdm();
  Tviewdm(const Tviewdm&) = delete;
  Tviewdm& operator=(const Tviewdm&) = delete;
  ~Tviewdm();

  FilterSlot source{names::kFileSource};
  FilterSlot avisplitter{names::kAviSplitter};
  FilterSlot dvsplitter{names::kDvSplitter};
  FilterSlot infinite0{names::kInfiniteTee};
  FilterSlot nullrender{names::kNullRenderer};
  FilterSlot sg{names::kSampleGrabber};
  FilterSlot hl{names::kHorolan};
  FilterSlot infinite{names::kInfiniteTee};
  FilterSlot Dvdecoder{names::kDvDecoder};
  FilterSlot Layrin{names::kLayrin};
  FilterSlot calenox{names::kCalenox};
  FilterSlot HlNoTime{names::kHorolan};
  FilterSlot color{names::kColorConverter};
  FilterSlot audiorender{names::kAudioRenderer};
  FilterGraph viewfg;
  SampleHandler sgBuffer;
};

// Conversions: one output file per run, from a file source to a writer.
// Its graph is created for a run and released after it.
class TCdm {
 public:
  TCdm();
  TCdm(const TCdm&) = delete;
  TCdm& operator=(const TCdm&) = delete;
  ~TCdm();

  FilterSlot source{names::kFileSource};
  FilterSlot destination{names::kFileWriter};
  FilterSlot avisplitter{names::kAviSplitter};
  FilterSlot dvsplitter{names::kDvSplitter};
  FilterSlot dvmuxer{names::kDvMuxer};
  FilterSlot avimux{names::kAviMux};
  FilterSlot acmwrapper{names::kAcmWrapper};
  FilterSlot Dvdec{names::kDvDecoder};
  FilterSlot Deinterlacer{names::kDeinterlacer};
  FilterSlot DVenc{names::kDvEncoder};
  FilterSlot infinite{names::kInfiniteTee};
  FilterSlot null{names::kNullRenderer};
  FilterSlot WAVDest{names::kWavDest};
  // Usable only once the start-up lookup has found them.
  FilterSlot layrin{names::kLayrin, std::string()};
  FilterSlot calenox{names::kCalenox, std::string()};
  FilterSlot dixmark{names::kDixmark};
  FilterGraph fg{GraphMode::kCapture};
};

// NOLINTEND(readability-identifier-naming)

// All four, built together at start in this order and kept for the run.
struct GraphHolderSet {
  Tdm listing;
  TCdm conversion;
  TdmScenes scenes;
  Tviewdm player;
};

}  // namespace korvid::graphs
