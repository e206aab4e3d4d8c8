#include "graphs/component_probe.h"

namespace korvid::graphs {

bool ProbeBacking(Backing backing, const ProbeContext& context) {
  switch (backing) {
    case Backing::kBuiltIn:
      return true;
    case Backing::kAudioOutput:
      return !context.audioOutputPresent || context.audioOutputPresent();
    default:
      return !context.libraryPresent || context.libraryPresent(backing);
  }
}

}  // namespace korvid::graphs
