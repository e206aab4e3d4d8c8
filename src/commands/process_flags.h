#pragma once
// Commands read the process-wide flags under their own names; the flags
// live in settings so that the list and the jobs can poll them too.

#include "settings/process_flags.h"

namespace korvid::commands {

using settings::Flags;
using settings::ProcessFlags;

}  // namespace korvid::commands
