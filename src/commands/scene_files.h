#pragma once
// The two outputs of a scene scan: the scene file the player steps through
// (".scn", a binary layout of its own) and the scene list as text
// ("_scn.txt"). Both sit next to the video under derived names.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/scene_info.h"
#include "media/atomic_output.h"
#include "media/video_record.h"
#include "resources/product.h"
#include "settings/date_time_format.h"

namespace korvid::commands {

// What a scan hands its scenes to. The output is written aside and takes
// its name only when closed, so a failed scan leaves an earlier output as
// it was. After a successful open, exactly one of CloseSceneOutput (a scan
// that completed or was aborted) and AbandonSceneOutput follows.
class SceneWriter {
 public:
  virtual ~SceneWriter() = default;
  // Why this output cannot be made for the entry at all; empty when it can.
  virtual std::string Refusal(const media::TAfficherFichier& entry) const;
  // Prepares the output; false when refused. Throws media::FileError when
  // it cannot be created.
  virtual bool OpenSceneOutput(const media::TAfficherFichier& entry) = 0;
  // Throws media::FileError when the output cannot be written.
  virtual void WriteScene(const TSceneInfo& scene) = 0;
  // Completes the output and puts it under its name; throws
  // media::FileError, leaving the name as it was.
  virtual void CloseSceneOutput() = 0;
  // Drops the output; the name keeps what it held.
  virtual void AbandonSceneOutput() = 0;
};

// `fullName` with its extension (the part from the last dot of the last
// path element) replaced by `replacement`, which brings its own dot.
std::string ReplaceExtension(std::string_view fullName, std::string_view replacement);
// The video's own ".scn" and "_scn.txt" (media::CompanionPath).
std::string SceneFilePath(std::string_view fullName);
std::string SceneTextPath(std::string_view fullName);

// The scene file keeps the path's length in one byte.
inline constexpr std::size_t kMaxScnPathBytes = 254;
inline constexpr std::int32_t kMaxScnScenes = 32767;

// The pieces of the scene file. `path` is the source video's full path as
// stored (at most kMaxScnPathBytes bytes).
std::vector<std::uint8_t> ScnHeader(std::string_view path);
// Where the 16-bit scene count sits in the header.
std::size_t ScnCountOffset(std::string_view path);
// The first scene starts at frame 0 and has `frames` frames.
std::vector<std::uint8_t> ScnFirstSceneRecord(std::string_view path, std::int32_t frames);
std::vector<std::uint8_t> ScnFurtherSceneRecord(std::int32_t start, std::int32_t frames);

// The frames where the scenes after the first begin, as the player steps
// through them, read from a scene file of this layout whoever wrote it;
// records cut short at the end of the file are left out. Nothing when the
// file cannot be read or is too short to hold its header.
std::optional<std::vector<std::int64_t>> ReadScnSceneStarts(const std::filesystem::path& scn);

class ScnFileWriter final : public SceneWriter {
 public:
  std::string Refusal(const media::TAfficherFichier& entry) const override;
  bool OpenSceneOutput(const media::TAfficherFichier& entry) override;
  void WriteScene(const TSceneInfo& scene) override;
  void CloseSceneOutput() override;
  void AbandonSceneOutput() override;

 private:
  std::optional<media::AtomicOutput> file_;
  std::string source_;
  std::uint64_t count_position_ = 0;
  std::uint64_t end_ = 0;
  std::int32_t scenes_ = 0;
  bool existed_ = false;
};

// The maker's address in the closing lines of the text export.
using resources::kMakerWebAddress;
inline constexpr std::string_view kSceneTextLanguage = "En";

// The lines before the first scene, without their line breaks.
std::vector<std::string> SceneTextHeaderLines(std::string_view fullName, std::string_view version);
std::string SceneTextLine(int number, const TSceneInfo& scene);
std::vector<std::string> SceneTextClosingLines(const settings::DateTimeValue& now,
                                               const settings::LocaleFormats& locale);

class SceneTextWriter final : public SceneWriter {
 public:
  using Clock = std::function<settings::DateTimeValue()>;
  // The local clock and the system's locale.
  SceneTextWriter();
  SceneTextWriter(Clock clock, settings::LocaleFormats locale);

  bool OpenSceneOutput(const media::TAfficherFichier& entry) override;
  void WriteScene(const TSceneInfo& scene) override;
  void CloseSceneOutput() override;
  void AbandonSceneOutput() override;

 private:
  void WriteLine(std::string_view line);

  Clock clock_;
  settings::LocaleFormats locale_;
  std::optional<media::AtomicOutput> file_;
  std::uint64_t end_ = 0;
  int number_ = 0;
  bool existed_ = false;
};

using settings::LocalNow;

}  // namespace korvid::commands
