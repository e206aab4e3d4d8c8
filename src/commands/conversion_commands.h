#pragma once
// The conversion commands as plain handlers, ready to be bound to their
// file actions: where each writes, when it applies, the replace question,
// and the execution that runs its job.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "commands/command_host.h"
#include "commands/job_runner.h"
#include "commands/process_flags.h"
#include "commands/run_outputs.h"
#include "commands/update_type.h"
#include "graphs/filter_availability.h"
#include "graphs/conversion_job.h"
#include "media/video_record.h"
#include "settings/preferences.h"

namespace korvid::commands {

inline constexpr std::string_view kType1Suffix = "_type1.avi";
inline constexpr std::string_view kType2Suffix = "_type2.avi";
inline constexpr std::string_view kNtscSuffix = "_ntsc.avi";
inline constexpr std::string_view kPalSuffix = "_pal.avi";
inline constexpr std::string_view kRecompressSuffix = "_dvtype2.avi";

// What a conversion needs from its surroundings.
struct ConversionServices {
  // Switched on by the runner for commands that show their progress.
  ConvertTimer& timer;
  const settings::Preferences& preferences;
  const graphs::FilterAvailability& availability;
  CommandHost& host;
  const ProcessFlags& flags;
};

// The source's name with its extension replaced by `suffix`, beside the
// source when "Sauver dans le même dossier" is set, else in "Dossier pour
// Sauver" (beside the source too while that folder is not chosen).
// A name this run has already written gets a "(n)" counter (RunOutputs).
std::filesystem::path ConversionOutputPath(const std::filesystem::path& source, std::string_view suffix,
                                           const settings::Preferences& preferences);
// The same for the files that belong to the source (the sound, subtitles,
// the frame log, the MP4): named as media::CompanionPath names them.
std::filesystem::path CompanionOutputPath(const std::filesystem::path& source, std::string_view suffix,
                                          const settings::Preferences& preferences);

using JobMaker = std::function<std::unique_ptr<graphs::ConversionJob>()>;

// Makes the job and runs it, ticking the gauge. A source with
// nothing to convert throws CommandSkipped, a failure its UserError; the
// output then keeps what it held. Damaged frames that were replaced are
// told to the user as a warning.
void RunConversion(ConversionServices& services, const JobMaker& make);

// Empty when nothing exists at `output`; else the replace question.
std::string ReplaceQuestion(const std::filesystem::path& output);

std::string DVtype1Confirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences);
std::string DVType2Confirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences);
std::string NtscConfirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences);
std::string PalConfirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences);
std::string ConvertirDVConfirmation(const media::TAfficherFichier& entry, const settings::Preferences& preferences);

void DVtype1FileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
void DVType2FileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
void NtscFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
void PalFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
void ConvertirDVFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);
// Both standard conversions need the deinterlacer.
void NtscGeneralCondition(const graphs::FilterAvailability& availability, bool& visible);
void PalGeneralCondition(const graphs::FilterAvailability& availability, bool& visible);

// The executions: utAdd with the output after a run (an aborted run counts:
// its output is a valid, shorter file); otherwise they throw, as
// RunConversion does.
TchUpdateType DVtype1Execution(const media::TAfficherFichier& entry, std::string& newfichier,
                               ConversionServices& services);
TchUpdateType DVType2Execution(const media::TAfficherFichier& entry, std::string& newfichier,
                               ConversionServices& services);
TchUpdateType NtscExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                            ConversionServices& services);
TchUpdateType PalExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                           ConversionServices& services);
TchUpdateType ConvertirDVExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                   ConversionServices& services);

}  // namespace korvid::commands
