#pragma once
// The codec jobs' probe of what the FFmpeg libraries provide.

#include "graphs/filter_catalogue.h"

namespace korvid::graphs {

// False for what the libraries do not provide (built-in components, audio output).
bool ProbeLibraryBacking(Backing backing);

}  // namespace korvid::graphs
