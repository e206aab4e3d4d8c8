#include "commands/send_to_entries.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include <QStringDecoder>

#include "commands/user_data_home.h"
#include "resources/product.h"
#include "resources/string_table.h"
#include "resources/user_error.h"
#include "settings/file_replacement.h"

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

// Every start applies the entries: one already as it should be is left
// untouched.
bool WriteEntry(const fs::path& path, const std::string& text) {
  std::ifstream current(path, std::ios::binary);
  if (current && std::string(std::istreambuf_iterator<char>(current), {}) == text) return true;
  if (!MakePrivateFolders(path.parent_path().string())) return false;
  return settings::ReplaceFile(path, text) == 0;
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

std::string DesktopEntryFault(const fs::path& executable) {
  using resources::Fill;
  using resources::Text;
  const std::string program = executable.string();
  if (program.empty()) return std::string(resources::Str(Text::kSendToNoProgram));
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString decoded = utf8.decode(QByteArrayView(program.data(), static_cast<qsizetype>(program.size())));
  if (utf8.hasError()) return Fill(Text::kSendToPathNotUtf8, {decoded.toStdString()});
  for (const char c : program)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return Fill(Text::kSendToPathControl, {program});
  return {};
}

std::string DesktopEntryText(const fs::path& executable) {
  if (!DesktopEntryFault(executable).empty()) return {};
  const std::string program = executable.string();
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

}  // namespace korvid::commands
