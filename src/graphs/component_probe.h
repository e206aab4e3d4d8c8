#pragma once
// Whether the thing behind a catalogue entry really works in this build.

#include <functional>

#include "graphs/filter_catalogue.h"

namespace korvid::graphs {

struct ProbeContext {
  // The core does not link the audio output library; the application says
  // whether an output device exists. Left empty, audio output counts as
  // present, so a core-only program (tests, command line) sees a full set.
  std::function<bool()> audioOutputPresent;
  // The same for what the FFmpeg libraries provide: the window asks the
  // codec jobs; the command line, which opens them only when a command
  // needs them, counts them as present.
  std::function<bool(Backing)> libraryPresent;
};

bool ProbeBacking(Backing backing, const ProbeContext& context);

}  // namespace korvid::graphs
