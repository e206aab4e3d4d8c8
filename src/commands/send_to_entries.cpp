#include "commands/send_to_entries.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <span>
#include <system_error>

#include "media/atomic_output.h"
#include "resources/product.h"
#include "resources/user_error.h"

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kEntryName = "korvid.desktop";

// An Exec argument in double quotes: the quoting rules escape four
// characters inside quotes, the key-file rules then double every backslash,
// and a literal percent sign is doubled.
std::string QuotedExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '`' || c == '$') {
      quoted += "\\\\";
      quoted += c;
    } else if (c == '\\') {
      quoted += "\\\\\\\\";
    } else if (c == '%') {
      quoted += "%%";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

// Folders the user's data folder lacks are made private, as the base-directory
// rules ask.
bool MakeFolders(const fs::path& folder) {
  std::error_code error;
  if (fs::is_directory(folder, error)) return true;
  if (!folder.has_parent_path() || folder.parent_path() == folder || !MakeFolders(folder.parent_path())) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteEntry(const fs::path& path, const std::string& text) {
  if (!MakeFolders(path.parent_path())) return false;
  try {
    media::AtomicOutput output(path);
    output.File().WriteAt(0, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    output.Commit();
  } catch (const UserError&) {
    return false;
  }
  return true;
}

// Only a file (or a link) of that name goes; a folder there is not ours.
bool RemoveEntry(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (error || !fs::exists(status)) return true;
  if (fs::is_directory(status)) return false;
  return fs::remove(path, error) && !error;
}

}  // namespace

fs::path OpenWithEntryPath(const fs::path& dataHome) { return dataHome / "applications" / kEntryName; }

fs::path SendToEntryPath(const fs::path& dataHome) { return dataHome / "Thunar" / "sendto" / kEntryName; }

std::string DesktopEntryText(const fs::path& executable) {
  const std::string program = executable.string();
  if (program.empty() || program.find_first_of("\r\n") != std::string::npos) return {};
  const std::string name(resources::kProductName);
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.0\n"
         "Name=" + name + "\n"
         "Comment=Lists DV video files of camcorders and works on them\n"
         "Exec=" + QuotedExecArgument(program) + " %F\n"
         "Icon=video-x-generic\n"
         "Terminal=false\n"
         "Categories=AudioVideo;Video;\n"
         "MimeType=video/x-msvideo;video/avi;video/msvideo;\n";
}

bool ApplySendTo(bool on, const SendToPlaces& places) {
  if (places.dataHome.empty() || !places.dataHome.is_absolute()) return false;
  const fs::path entries[] = {OpenWithEntryPath(places.dataHome), SendToEntryPath(places.dataHome)};
  bool done = true;
  if (!on) {
    for (const fs::path& entry : entries) done = RemoveEntry(entry) && done;
    return done;
  }
  const std::string text = DesktopEntryText(places.executable);
  if (text.empty()) return false;
  for (const fs::path& entry : entries) done = WriteEntry(entry, text) && done;
  return done;
}

fs::path RunningExecutable() {
  std::error_code error;
  fs::path executable = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : executable;
}

}  // namespace korvid::commands
