#include "commands/conversion_commands.h"

#include <functional>
#include <memory>
#include <optional>
#include <system_error>

#include "commands/command_skipped.h"
#include "graphs/codec_jobs.h"
#include "graphs/dixmark.h"
#include "graphs/dv_type_jobs.h"
#include "media/companion_files.h"
#include "resources/string_table.h"

namespace korvid::commands {

namespace {

constexpr std::size_t kMaxQuestionLength = 254;
constexpr std::int32_t kPalStandard = 1;
constexpr std::int32_t kNtscStandard = 2;

std::filesystem::path SourceOf(const media::TAfficherFichier& entry) { return entry.fullName; }

TchUpdateType RunMadeOutput(const std::filesystem::path& output, std::string& newfichier,
                            ConversionServices& services, const JobMaker& make) {
  newfichier.clear();
  RunConversion(services, make);
  newfichier = output.string();
  return utAdd;
}

// The rewriter as the standard conversions set it: dates and timecodes
// of the source, hours shifted, the source's 16:9 flag.
std::optional<graphs::Dixmark> StandardDixmark(const ConversionServices& services,
                                               const media::TAfficherFichier& entry) {
  if (!services.availability.dixmarkFound) return std::nullopt;
  graphs::Dixmark dixmark;
  dixmark.SetEnabled(1);
  dixmark.SetHourOffset(services.preferences.clockOffsetHours);
  dixmark.SetInlaySource(0);
  dixmark.SetApplyShift(1);
  dixmark.SetWideScreen(entry.wideScreen ? 1 : 0);
  return dixmark;
}

bool IsWidePicture(const media::TAfficherFichier& entry) {
  return std::int64_t{9} * entry.width > std::int64_t{14} * entry.height;
}

TchUpdateType StandardExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                ConversionServices& services, std::int32_t standard, std::string_view suffix) {
  const std::filesystem::path output = ConversionOutputPath(SourceOf(entry), suffix, services.preferences);
  const media::DvSystem target = standard == kNtscStandard ? media::DvSystem::k525_60 : media::DvSystem::k625_50;
  const auto dixmark = StandardDixmark(services, entry);
  return RunMadeOutput(output, newfichier, services, [&] {
    return graphs::Codecs().StandardConversion(SourceOf(entry), output, target, dixmark);
  });
}

void SetBoth(bool value, bool& visible, bool& enabled) {
  visible = value;
  enabled = value;
}

bool DvWithSystem(const media::TAfficherFichier& entry, media::TvSystem system) {
  return entry.isDV && entry.tvSystem == system && (entry.dvType == 2 || entry.codec == "dvsd");
}

}  // namespace

namespace {

std::filesystem::path InOutputFolder(const std::filesystem::path& source, const std::filesystem::path& name,
                                     const settings::Preferences& preferences) {
  const bool beside = preferences.saveInSameFolder || preferences.outputFolder.empty();
  return Outputs().NameFor((beside ? source.parent_path() : std::filesystem::path(preferences.outputFolder)) / name);
}

}  // namespace

std::filesystem::path ConversionOutputPath(const std::filesystem::path& source, std::string_view suffix,
                                           const settings::Preferences& preferences) {
  std::filesystem::path name = source.filename();
  name.replace_extension();
  name += std::string(suffix);
  return InOutputFolder(source, name, preferences);
}

std::filesystem::path CompanionOutputPath(const std::filesystem::path& source, std::string_view suffix,
                                          const settings::Preferences& preferences) {
  return InOutputFolder(source, std::filesystem::path(media::CompanionPath(source.string(), suffix)).filename(),
                        preferences);
}

void RunConversion(ConversionServices& services, const JobMaker& make) {
  std::unique_ptr<graphs::ConversionJob> job;
  try {
    job = make();
    const std::int64_t duration = job->Duration();
    if (duration <= 0) throw CommandSkipped(job->Output().string() + " was not made: the source holds no frames");
    const bool existed = RunOutputs::Occupied(job->Output());
    RunJob(*job, services.host, services.flags.AbortCommand, services.timer.interval_ms,
           ConversionTick(services.host, services.timer, duration));
    // A stopped job still made its shorter output.
    Outputs().Wrote(job->Output(), existed);
  } catch (const graphs::NothingToConvert& nothing) {
    throw CommandSkipped(nothing.what());
  }
  if (const std::uint64_t replaced = job->FramesReplaced(); replaced > 0)
    services.host.Ask(MessageKind::kWarning,
                      resources::Fill(resources::Text::kDamagedFramesReplaced,
                                      {job->Output().string(), std::to_string(replaced)}),
                      Buttons::kOk);
  if (job->FramesKeptOwnSound())
    services.host.Ask(MessageKind::kWarning,
                      resources::Fill(resources::Text::kFramesKeptOwnSound, {job->Output().string()}), Buttons::kOk);
}

std::string ReplaceQuestion(const std::filesystem::path& output) {
  std::error_code error;
  if (!std::filesystem::exists(output, error)) return {};
  std::string question = resources::Fill(resources::Text::kReplaceExistingFile, {output.string()});
  if (question.size() > kMaxQuestionLength) question = resources::Str(resources::Text::kReplaceExistingFileShort);
  return question;
}

std::string DVtype1Confirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences) {
  return ReplaceQuestion(ConversionOutputPath(SourceOf(entry), kType1Suffix, preferences));
}
std::string DVType2Confirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences) {
  return ReplaceQuestion(ConversionOutputPath(SourceOf(entry), kType2Suffix, preferences));
}
std::string NtscConfirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences) {
  return ReplaceQuestion(ConversionOutputPath(SourceOf(entry), kNtscSuffix, preferences));
}
std::string PalConfirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences) {
  return ReplaceQuestion(ConversionOutputPath(SourceOf(entry), kPalSuffix, preferences));
}
std::string ConvertirDVConfirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences) {
  return ReplaceQuestion(ConversionOutputPath(SourceOf(entry), kRecompressSuffix, preferences));
}

void DVtype1FileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  SetBoth(entry.dvType == 2 && entry.isDV, visible, enabled);
}
void DVType2FileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  SetBoth(entry.dvType == 1 && entry.codec == "dvsd", visible, enabled);
}
void NtscFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  SetBoth(DvWithSystem(entry, media::TvSystem::kPal), visible, enabled);
}
void PalFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  SetBoth(DvWithSystem(entry, media::TvSystem::kNtsc), visible, enabled);
}
void ConvertirDVFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled) {
  visible = true;
  enabled = !entry.isDV;
}
void NtscGeneralCondition(const graphs::FilterAvailability& availability, bool& visible) {
  visible = availability.deinterlacerFound;
}
void PalGeneralCondition(const graphs::FilterAvailability& availability, bool& visible) {
  visible = availability.deinterlacerFound;
}

TchUpdateType DVtype1Execution(const media::TAfficherFichier& entry, std::string& newfichier,
                               ConversionServices& services) {
  const std::filesystem::path output = ConversionOutputPath(SourceOf(entry), kType1Suffix, services.preferences);
  return RunMadeOutput(output, newfichier, services,
                       [&] { return std::make_unique<graphs::Type2To1Job>(SourceOf(entry), output); });
}

TchUpdateType DVType2Execution(const media::TAfficherFichier& entry, std::string& newfichier,
                               ConversionServices& services) {
  const std::filesystem::path output = ConversionOutputPath(SourceOf(entry), kType2Suffix, services.preferences);
  return RunMadeOutput(output, newfichier, services,
                       [&] { return std::make_unique<graphs::Type1To2Job>(SourceOf(entry), output); });
}

TchUpdateType NtscExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                            ConversionServices& services) {
  return StandardExecution(entry, newfichier, services, kNtscStandard, kNtscSuffix);
}

TchUpdateType PalExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                           ConversionServices& services) {
  return StandardExecution(entry, newfichier, services, kPalStandard, kPalSuffix);
}

TchUpdateType ConvertirDVExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                   ConversionServices& services) {
  const std::filesystem::path output =
      ConversionOutputPath(SourceOf(entry), kRecompressSuffix, services.preferences);
  const media::DvSystem target =
      services.preferences.defaultStandard == kPalStandard ? media::DvSystem::k625_50 : media::DvSystem::k525_60;
  const bool wide = IsWidePicture(entry);
  std::optional<graphs::Dixmark> dixmark;
  if (services.availability.dixmarkFound) {
    dixmark.emplace();
    dixmark->SetEnabled(1);
    dixmark->SetHourOffset(0);
    dixmark->SetInlaySource(0);
    dixmark->SetApplyShift(0);
    dixmark->SetWideScreen(wide ? 1 : 0);
  }
  return RunMadeOutput(output, newfichier, services, [&] {
    return graphs::Codecs().Recompress(SourceOf(entry), output, target, wide, dixmark);
  });
}

}  // namespace korvid::commands
