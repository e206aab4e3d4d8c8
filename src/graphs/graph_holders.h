#pragma once
// The four graph holders, one per media job, each created once at start
// and kept for the whole run: listing, scene scan, player, conversions.
// They own their graph and their named slots; the jobs that build and run
// the graphs live with those jobs and reach the slots by these names.

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <thread>

#include "graphs/conversion_job.h"
#include "graphs/filter_catalogue.h"
#include "graphs/filter_graph.h"
#include "graphs/filter_slot.h"
#include "graphs/job_wait.h"
#include "graphs/scene_detector.h"
#include "settings/process_flags.h"

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
  // Lives as long as the holder: the last frame's time carries over from
  // one scan to the next.
  SceneDetector detector;
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

// The pace of the progress tick while a conversion runs: a first tick
// after 250 ms, then one every 100 ms. The runner enables it for commands
// that show a status message.
struct ConvertTimer {
  static constexpr int kFirstIntervalMs = 250;
  static constexpr int kIntervalMs = 100;
  bool enabled = false;
  int interval_ms = kFirstIntervalMs;

  void Enable() {
    enabled = true;
    interval_ms = kFirstIntervalMs;
  }
  void Disable() { enabled = false; }
};

// Conversions: one output file per run, from a file source to a writer.
// Its graph is created for a run and released after it. The work itself
// is a job on a worker thread; this thread waits for it, handling events.
class TCdm {
 public:
  TCdm();
  TCdm(const TCdm&) = delete;
  TCdm& operator=(const TCdm&) = delete;
  ~TCdm();

  // Set when the running job has finished or must stop.
  bool conversionComplete = false;
  // The running job's progress; none outside a run.
  std::shared_ptr<JobProgress> progressSource;
  // Of the job being run, in 100-nanosecond units.
  std::int64_t conversionDuration = 0;
  ConvertTimer convertTimer;

  // The built state: the job the next RunConversionGraph carries out.
  void SetConversionJob(std::unique_ptr<ConversionJob> job);
  bool HasConversionJob() const { return job_ != nullptr; }

  // Runs the job on a worker thread and handles the host's events until
  // it completes or AbortCommand is set; an abort stops the job at its
  // next frame, leaving a valid shorter output. False, with nothing run,
  // without a job or for a job of zero duration. A job that fails has its
  // partial output removed and its error rethrown.
  bool RunConversionGraph(JobHost& host, const settings::ProcessFlags& flags);
  // What every conversion command does: let go of whatever an earlier
  // command left in the graph, then build `job` and run it as above.
  bool RunJob(std::unique_ptr<ConversionJob> job, JobHost& host,
              const settings::ProcessFlags& flags);
  // One tick of convertTimer: the abort check, the gauge, the completion
  // check. Runs on the waiting thread.
  void ConvertTimerTick(JobHost& host, const settings::ProcessFlags& flags);
  // The job's end, seen by the waiting thread.
  void OnGraphComplete() { conversionComplete = true; }
  // Stops and lets go of any job, running or built.
  void StopConversion();

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

 private:
  std::unique_ptr<ConversionJob> job_;
  std::thread worker_;
  std::exception_ptr failure_;
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
