#include "graphs/sheet_pages.h"

#include <string>

namespace korvid::graphs {

std::filesystem::path SheetPagePath(const std::filesystem::path& first, std::size_t page) {
  if (page <= 1) return first;
  std::filesystem::path name = first.stem();
  name += "-" + std::to_string(page);
  name += first.extension();
  return first.parent_path() / name;
}

}  // namespace korvid::graphs
