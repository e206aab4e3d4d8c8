#include "settings/process_flags.h"

namespace korvid::settings {

ProcessFlags& Flags() {
  static ProcessFlags flags;
  return flags;
}

}  // namespace korvid::settings
