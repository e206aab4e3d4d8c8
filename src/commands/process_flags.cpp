#include "commands/process_flags.h"

namespace korvid::commands {

ProcessFlags& Flags() {
  static ProcessFlags flags;
  return flags;
}

}  // namespace korvid::commands
