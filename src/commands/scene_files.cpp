#include "commands/scene_files.h"

#include <ctime>
#include <filesystem>
#include <span>
#include <system_error>
#include <utility>

#include <QString>

#include "settings/system_locale.h"
#include "resources/product.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

void Append(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void Append(std::vector<std::uint8_t>& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

void AppendLE32(std::vector<std::uint8_t>& out, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  Append(out, {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
               static_cast<std::uint8_t>(v >> 24)});
}

// The path with its one-byte length in front and eight zero bytes after.
void AppendPath(std::vector<std::uint8_t>& out, std::string_view path) {
  out.push_back(static_cast<std::uint8_t>(path.size()));
  Append(out, path);
  out.insert(out.end(), 8, 0);
}

std::string LowerCase(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toLower().toStdString();
}

std::string CrLf(std::string_view line) {
  std::string out(line);
  out += "\r\n";
  return out;
}

}  // namespace

std::string SceneWriter::Refusal(const media::TAfficherFichier&) const { return {}; }

std::string ReplaceExtension(std::string_view fullName, std::string_view replacement) {
  const std::size_t element = fullName.find_last_of("/\\");
  const std::size_t dot = fullName.rfind('.');
  const bool has_extension = dot != std::string_view::npos && (element == std::string_view::npos || dot > element);
  std::string out(has_extension ? fullName.substr(0, dot) : fullName);
  out += replacement;
  return out;
}

std::string SceneFilePath(std::string_view fullName) { return ReplaceExtension(fullName, ".scn"); }
std::string SceneTextPath(std::string_view fullName) { return ReplaceExtension(fullName, "_scn.txt"); }

std::vector<std::uint8_t> ScnHeader(std::string_view path) {
  std::vector<std::uint8_t> out;
  Append(out, {0x63, 0x26, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x0A, 0x00});
  Append(out, "SourceTape");
  AppendPath(out, path);
  Append(out, {0x00, 0x00});  // scene count, set when the file is closed
  Append(out, {0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00});
  Append(out, "ClipP");
  Append(out, {0x00, 0x00, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00});
  Append(out, "Scene");
  Append(out, {0x00, 0x00, 0x00, 0x00, 0x00});
  return out;
}

std::size_t ScnCountOffset(std::string_view path) { return 33 + path.size(); }

std::vector<std::uint8_t> ScnFirstSceneRecord(std::string_view path, std::int32_t frames) {
  std::vector<std::uint8_t> out;
  AppendLE32(out, frames);
  Append(out, {0x00, 0x00, 0x00, 0x00, 0x01, 0x80});
  AppendPath(out, path);
  AppendLE32(out, frames);
  return out;
}

std::vector<std::uint8_t> ScnFurtherSceneRecord(std::int32_t start, std::int32_t frames) {
  std::vector<std::uint8_t> out;
  Append(out, {0x03, 0x80, 0xF0, 0x00, 0x00, 0x00, 0x05, 0x80, 0x00});
  AppendLE32(out, start);
  AppendLE32(out, frames);
  Append(out, {0x00, 0x00, 0x00, 0x00, 0x07, 0x00});
  AppendLE32(out, start);
  AppendLE32(out, frames);
  AppendLE32(out, start);
  return out;
}

std::string ScnFileWriter::Refusal(const media::TAfficherFichier& entry) const {
  if (entry.fullName.size() <= kMaxScnPathBytes) return {};
  return resources::Fill(resources::Text::kScnPathTooLong, {entry.fullName, std::to_string(entry.fullName.size()),
                                                            std::to_string(kMaxScnPathBytes)});
}

bool ScnFileWriter::OpenSceneOutput(const media::TAfficherFichier& entry) {
  file_.reset();
  scenes_ = 0;
  // A longer path would not fit its length byte: the file would be corrupt.
  if (!Refusal(entry).empty()) return false;
  try {
    const std::filesystem::path target = SceneFilePath(entry.fullName);
    std::error_code ignored;
    std::filesystem::remove(target, ignored);
    file_.emplace(target, media::BinaryFile::Mode::kCreate);
    source_ = entry.fullName;
    const std::vector<std::uint8_t> header = ScnHeader(source_);
    file_->WriteAt(0, header);
    count_position_ = ScnCountOffset(source_);
    end_ = header.size();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void ScnFileWriter::WriteScene(const TSceneInfo& scene) {
  if (!file_ || scene.EndFrame == 0) return;
  if (scenes_ >= kMaxScnScenes) return;  // the count has 15 usable bits
  const std::int32_t exclusive_end = scene.EndFrame + 1;
  const std::vector<std::uint8_t> record =
      scenes_ == 0 ? ScnFirstSceneRecord(source_, exclusive_end)
                   : ScnFurtherSceneRecord(scene.StartFrame, exclusive_end - scene.StartFrame);
  file_->WriteAt(end_, record);
  end_ += record.size();
  ++scenes_;
}

bool ScnFileWriter::CloseSceneOutput() {
  if (!file_) return true;
  bool ok = true;
  try {
    std::uint8_t count[2] = {static_cast<std::uint8_t>(scenes_), static_cast<std::uint8_t>(scenes_ >> 8)};
    file_->WriteAt(count_position_, count);
  } catch (const std::exception&) {
    ok = false;
  }
  file_.reset();
  return ok;
}

std::vector<std::string> SceneTextHeaderLines(std::string_view fullName, std::string_view version) {
  const std::string rule = "//--------------------------------------------------";
  return {rule,
          "// List of scenes of the video file:",
          "//",
          "// ***   " + LowerCase(fullName) + "   ***",
          "//",
          "// exported by Korvid version " + std::string(version) + " " + std::string(kSceneTextLanguage),
          "// with format:",
          "// scene number, start, end, datecode, timecode, duration",
          "//",
          rule,
          ""};
}

std::string SceneTextLine(int number, const TSceneInfo& scene) {
  return "  " + std::to_string(number) + "," + scene.StartText + "," + scene.EndText + "," + scene.DatecodeText +
         "," + scene.TimecodeText + "," + scene.DurationText;
}

std::vector<std::string> SceneTextClosingLines(const settings::DateTimeValue& now,
                                               const settings::LocaleFormats& locale) {
  return {"",
          "//--------------------------------------------------",
          "// Terminated on " + settings::FormatDateTime("dddddd 'at' hh:mm:ss", now, locale),
          "// Visit my web site " + std::string(kMakerWebAddress),
          "//"};
}

settings::DateTimeValue LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

SceneTextWriter::SceneTextWriter() : SceneTextWriter(LocalNow, settings::SystemLocaleFormats()) {}

SceneTextWriter::SceneTextWriter(Clock clock, settings::LocaleFormats locale)
    : clock_(std::move(clock)), locale_(std::move(locale)) {}

void SceneTextWriter::WriteLine(std::string_view line) {
  const std::string text = CrLf(line);
  file_->WriteAt(end_, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  end_ += text.size();
}

bool SceneTextWriter::OpenSceneOutput(const media::TAfficherFichier& entry) {
  file_.reset();
  end_ = 0;
  number_ = 0;
  try {
    file_.emplace(std::filesystem::path(SceneTextPath(entry.fullName)), media::BinaryFile::Mode::kCreate);
    for (const std::string& line : SceneTextHeaderLines(entry.fullName, resources::kProductVersion)) WriteLine(line);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void SceneTextWriter::WriteScene(const TSceneInfo& scene) {
  if (!file_) return;
  ++number_;
  WriteLine(SceneTextLine(number_, scene));
}

bool SceneTextWriter::CloseSceneOutput() {
  if (!file_) return true;
  bool ok = true;
  try {
    for (const std::string& line : SceneTextClosingLines(clock_(), locale_)) WriteLine(line);
  } catch (const std::exception&) {
    ok = false;
  }
  file_.reset();
  return ok;
}

}  // namespace korvid::commands
