#include "commands/scene_files.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <span>
#include <system_error>
#include <utility>

#include <QString>

#include "commands/run_outputs.h"
#include "media/companion_files.h"
#include "media/le_bytes.h"
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

std::string SceneFilePath(std::string_view fullName) { return media::CompanionPath(fullName, ".scn"); }
std::string SceneTextPath(std::string_view fullName) { return media::CompanionPath(fullName, "_scn.txt"); }

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

std::optional<std::vector<std::int64_t>> ReadScnSceneStarts(const std::filesystem::path& scn) {
  // A full file of 32767 scenes is a little over 1 MB.
  constexpr std::uint64_t kMaxBytes = 4u << 20;
  constexpr std::size_t kLengthAt = 24;
  constexpr std::size_t kFixedAfterCount = 30;
  constexpr std::size_t kFurtherRecordBytes = 35;
  constexpr std::size_t kFurtherStartAt = 9;
  std::vector<std::uint8_t> bytes;
  try {
    const media::BinaryFile file(scn, media::BinaryFile::Mode::kRead);
    bytes.resize(static_cast<std::size_t>(std::min(file.Size(), kMaxBytes)));
    bytes.resize(file.ReadAt(0, bytes));
  } catch (const media::FileError&) {
    return std::nullopt;
  }
  const std::span<const std::uint8_t> view(bytes);
  if (view.size() <= kLengthAt) return std::nullopt;
  const std::size_t countAt = kLengthAt + 1 + view[kLengthAt] + 8;
  const std::optional<std::uint16_t> count = media::ReadLE16(view, countAt);
  if (!count) return std::nullopt;

  std::vector<std::int64_t> starts;
  std::size_t at = countAt + 2 + kFixedAfterCount;
  const std::optional<std::uint32_t> firstEnd = media::ReadLE32(view, at);
  if (*count == 0 || !firstEnd || at + 10 >= view.size()) return starts;
  starts.push_back(static_cast<std::int32_t>(*firstEnd));
  at += 4 + 6 + 1 + view[at + 10] + 8 + 4;
  for (std::uint32_t k = 1; k < *count; ++k, at += kFurtherRecordBytes) {
    if (at > view.size() || view.size() - at < kFurtherRecordBytes) break;
    starts.push_back(static_cast<std::int32_t>(*media::ReadLE32(view, at + kFurtherStartAt)));
  }
  return starts;
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
  const std::filesystem::path path = SceneFilePath(entry.fullName);
  existed_ = RunOutputs::Occupied(path);
  file_.emplace(path, std::filesystem::path(entry.fullName));
  source_ = entry.fullName;
  const std::vector<std::uint8_t> header = ScnHeader(source_);
  file_->File().WriteAt(0, header);
  count_position_ = ScnCountOffset(source_);
  end_ = header.size();
  return true;
}

void ScnFileWriter::WriteScene(const TSceneInfo& scene) {
  if (!file_ || scene.EndFrame == 0) return;
  if (scenes_ >= kMaxScnScenes) return;  // the count has 15 usable bits
  const std::int32_t exclusive_end = scene.EndFrame + 1;
  const std::vector<std::uint8_t> record =
      scenes_ == 0 ? ScnFirstSceneRecord(source_, exclusive_end)
                   : ScnFurtherSceneRecord(scene.StartFrame, exclusive_end - scene.StartFrame);
  file_->File().WriteAt(end_, record);
  end_ += record.size();
  ++scenes_;
}

void ScnFileWriter::CloseSceneOutput() {
  if (!file_) return;
  std::optional<media::AtomicOutput> output = std::exchange(file_, std::nullopt);
  std::uint8_t count[2] = {static_cast<std::uint8_t>(scenes_), static_cast<std::uint8_t>(scenes_ >> 8)};
  output->File().WriteAt(count_position_, count);
  output->Commit();
  Outputs().Wrote(output->Target(), existed_);
}

void ScnFileWriter::AbandonSceneOutput() { file_.reset(); }

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

SceneTextWriter::SceneTextWriter() : SceneTextWriter(LocalNow, settings::SystemLocaleFormats()) {}

SceneTextWriter::SceneTextWriter(Clock clock, settings::LocaleFormats locale)
    : clock_(std::move(clock)), locale_(std::move(locale)) {}

void SceneTextWriter::WriteLine(std::string_view line) {
  const std::string text = CrLf(line);
  file_->File().WriteAt(end_, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  end_ += text.size();
}

bool SceneTextWriter::OpenSceneOutput(const media::TAfficherFichier& entry) {
  file_.reset();
  end_ = 0;
  number_ = 0;
  const std::filesystem::path path = SceneTextPath(entry.fullName);
  existed_ = RunOutputs::Occupied(path);
  file_.emplace(path, std::filesystem::path(entry.fullName));
  for (const std::string& line : SceneTextHeaderLines(entry.fullName, resources::kProductVersion)) WriteLine(line);
  return true;
}

void SceneTextWriter::WriteScene(const TSceneInfo& scene) {
  if (!file_) return;
  ++number_;
  WriteLine(SceneTextLine(number_, scene));
}

void SceneTextWriter::CloseSceneOutput() {
  if (!file_) return;
  try {
    for (const std::string& line : SceneTextClosingLines(clock_(), locale_)) WriteLine(line);
    file_->Commit();
  } catch (...) {
    file_.reset();
    throw;
  }
  Outputs().Wrote(file_->Target(), existed_);
  file_.reset();
}

void SceneTextWriter::AbandonSceneOutput() { file_.reset(); }

}  // namespace korvid::commands
