// The codec jobs as linked into a program: the window, the tests and the
// module the runner opens all reach the jobs through this one table.

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdlib>

#include "graphs/audio_extraction_job.h"
#include "graphs/codec_jobs.h"
#include "graphs/contact_sheet.h"
#include "graphs/ffmpeg_probe.h"
#include "graphs/ffmpeg_resampler.h"
#include "graphs/inlay_job.h"
#include "graphs/layrin.h"
#include "graphs/mp4_export_job.h"
#include "graphs/recompress_job.h"
#include "graphs/standard_conversion_job.h"

namespace korvid::graphs {
namespace {

// Text is drawn with Qt's fonts, which need a QGuiApplication. A program
// with none (the runner) gets an off-screen one, made on the thread that
// asks for a drawing job (the main thread, where jobs are made) and kept
// for the rest of the process.
void EnsureTextDrawing() {
  if (QCoreApplication::instance() != nullptr) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "korvid";
  static char* argv[] = {name, nullptr};
  [[maybe_unused]] static QGuiApplication* const application = new QGuiApplication(argc, argv);
}

class PagesToWrite : public DrawnSheet {
 public:
  explicit PagesToWrite(std::vector<SheetPage> pages) : pages_(std::move(pages)) {}
  std::size_t PageCount() const override { return pages_.size(); }
  std::vector<std::filesystem::path> Write(const std::filesystem::path& first,
                                           const std::filesystem::path& source) const override {
    return WriteSheetPages(pages_, first, source);
  }

 private:
  std::vector<SheetPage> pages_;
};

class LinkedCodecJobs : public CodecJobs {
 public:
  bool Probe(Backing backing) const override { return ProbeLibraryBacking(backing); }

  std::unique_ptr<ConversionJob> StandardConversion(const std::filesystem::path& source, std::filesystem::path output,
                                                    media::DvSystem target,
                                                    std::optional<Dixmark> dixmark) const override {
    return std::make_unique<StandardConversionJob>(source, std::move(output), target, std::move(dixmark));
  }
  std::unique_ptr<ConversionJob> Recompress(const std::filesystem::path& source, std::filesystem::path output,
                                            media::DvSystem target, bool wide,
                                            std::optional<Dixmark> dixmark) const override {
    return std::make_unique<RecompressJob>(source, std::move(output), target, wide, std::move(dixmark));
  }
  std::unique_ptr<ConversionJob> Inlay(const std::filesystem::path& source, std::filesystem::path output, int dvType,
                                       media::DvSystem system, Calenox calenox, LayrinSettings layrin,
                                       Dixmark dixmark) const override {
    EnsureTextDrawing();
    return std::make_unique<InlayJob>(source, std::move(output), dvType, system, std::move(calenox),
                                      Layrin(std::move(layrin)), std::move(dixmark));
  }
  std::unique_ptr<ConversionJob> Mp4Export(const std::filesystem::path& source, std::filesystem::path output,
                                           Mp4ExportOptions options) const override {
    return std::make_unique<Mp4ExportJob>(source, std::move(output), std::move(options));
  }
  std::unique_ptr<ConversionJob> AudioExtraction(const std::filesystem::path& source, std::filesystem::path output,
                                                 const media::WavWriterOptions& options,
                                                 DvSoundLayout sound) const override {
    return std::make_unique<AudioExtractionJob>(source, std::move(output), options, sound);
  }
  std::unique_ptr<SoundResampler> Resampler(int inRate, int outRate, int channels) const override {
    return MakeFfmpegResampler(inRate, outRate, channels);
  }
  std::unique_ptr<DrawnSheet> DrawSheet(const SheetRequest& request) const override {
    EnsureTextDrawing();
    const std::vector<SceneStill> stills =
        MakeSceneStills(request.survey, request.reader, request.format, kSheetStillHeight, request.abort);
    if (request.abort.load()) return nullptr;
    return std::make_unique<PagesToWrite>(
        DrawContactSheet(MakeSheetHeading(request.fileName, request.survey, request.format), stills,
                         request.survey.damage, request.survey.wide, request.columns));
  }
};

}  // namespace
}  // namespace korvid::graphs

extern "C" const korvid::graphs::CodecJobs* korvid_linked_codec_jobs() {
  static const korvid::graphs::LinkedCodecJobs jobs;
  return &jobs;
}
