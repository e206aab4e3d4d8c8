// Any text as a dropped-files list, a mount table, a date format or a
// shortcut: a verdict, never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "commands/file_action.h"
#include "list/local_mounts.h"
#include "list/uri_list.h"
#include "settings/date_time_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)korvid::list::FilesFromUriList(text);
  (void)korvid::list::ParseMountInfo(text);
  (void)korvid::commands::NormaliseShortcut(text);
  static const korvid::settings::LocaleFormats locale = korvid::settings::EnglishLocaleFormats();
  (void)korvid::settings::FormatDateTime(text, {2005, 8, 14, 15, 2, 11}, locale);
  (void)korvid::settings::FormatDateTime(text, {0, 13, 32, 24, 60, 61}, locale);
  return 0;
}
