#include "support/program_copy.h"

#include <system_error>

namespace korvid::test {

void PlaceKorvidPrograms(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  for (const char* name : {"korvid", "korvid-run", "korvid-window"}) {
    const fs::path built = fs::path(KORVID_BINARY_DIR "/src") / name;
    std::error_code linked;
    fs::create_hard_link(built, folder / name, linked);
    if (linked) fs::copy_file(built, folder / name);
  }
}

}  // namespace korvid::test
