// Any text as a playlist: the reader must give the entry paths, and a
// playlist saved from them must read back to the same paths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "list/playlist.h"
#include "settings/date_time_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvid::list;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> paths = PlaylistPaths(text);
  static const PlaylistStamp stamp{"5.3.6", "https://example.org/", {2005, 8, 14, 15, 2, 11}, "yyyy/mm/dd hh:nn:ss",
                                   korvid::settings::EnglishLocaleFormats()};
  if (PlaylistPaths(PlaylistText(paths, 0, stamp)) != paths) std::abort();
  return 0;
}
