#pragma once
// The jobs that decode or encode pictures and sound with the FFmpeg
// libraries, or draw with Qt Gui, behind one table. A program that only
// reads and copies files (the report options, hidden runs of renames,
// scans and type changes) then never loads those libraries: the window and
// the tests link the jobs in, and the runner opens them as a module the
// first time a command asks for one.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "graphs/calenox.h"
#include "graphs/conversion_job.h"
#include "graphs/dixmark.h"
#include "graphs/dv_sound_stream.h"
#include "graphs/filter_catalogue.h"
#include "graphs/layrin_settings.h"
#include "graphs/mp4_export_options.h"
#include "graphs/sound_resampler.h"
#include "media/dv_frame.h"
#include "media/video_record.h"
#include "media/wav_writer.h"

namespace korvid::graphs {

class SceneFrameReader;
struct SceneSurvey;

// A contact sheet drawn and not yet written.
class DrawnSheet {
 public:
  virtual ~DrawnSheet() = default;
  virtual std::size_t PageCount() const = 0;
  // Writes the pages (each whole or absent, named as SheetPagePath names them); returns their paths in order.
  // Throws media::FileError.
  virtual std::vector<std::filesystem::path> Write(const std::filesystem::path& first,
                                                   const std::filesystem::path& source) const = 0;
};

struct SheetRequest {
  const SceneSurvey& survey;
  SceneFrameReader& reader;
  const media::DatecodeFormat& format;
  std::string fileName;
  int columns = 0;
  const std::atomic<bool>& abort;
};

class CodecJobs {
 public:
  virtual ~CodecJobs() = default;

  // Whether a component the FFmpeg libraries provide works in this build.
  virtual bool Probe(Backing backing) const = 0;

  virtual std::unique_ptr<ConversionJob> StandardConversion(const std::filesystem::path& source,
                                                            std::filesystem::path output, media::DvSystem target,
                                                            std::optional<Dixmark> dixmark) const = 0;
  virtual std::unique_ptr<ConversionJob> Recompress(const std::filesystem::path& source, std::filesystem::path output,
                                                    media::DvSystem target, bool wide,
                                                    std::optional<Dixmark> dixmark) const = 0;
  virtual std::unique_ptr<ConversionJob> Inlay(const std::filesystem::path& source, std::filesystem::path output,
                                               int dvType, media::DvSystem system, Calenox calenox,
                                               LayrinSettings layrin, Dixmark dixmark) const = 0;
  virtual std::unique_ptr<ConversionJob> Mp4Export(const std::filesystem::path& source, std::filesystem::path output,
                                                   Mp4ExportOptions options) const = 0;
  virtual std::unique_ptr<ConversionJob> AudioExtraction(const std::filesystem::path& source,
                                                         std::filesystem::path output,
                                                         const media::WavWriterOptions& options,
                                                         DvSoundLayout sound) const = 0;
  virtual std::unique_ptr<SoundResampler> Resampler(int inRate, int outRate, int channels) const = 0;
  // The stills of the survey's scenes and the pages showing them; null
  // when `abort` rose first.
  virtual std::unique_ptr<DrawnSheet> DrawSheet(const SheetRequest& request) const = 0;
};

// The one entry of the runner's module (resources::kCodecModuleName):
// given this build's version, the table, or null for another build's.
inline constexpr const char* kCodecModuleEntry = "korvid_codec_module";

// The jobs linked into this program, else the module beside it, opened on
// the first call; later calls give the same table. Throws UserError when
// the module is missing or from another build.
const CodecJobs& Codecs();

}  // namespace korvid::graphs
