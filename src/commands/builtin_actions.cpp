#include "commands/builtin_actions.h"

#include <stdexcept>
#include <type_traits>

#include "commands/audio_extraction_commands.h"
#include "commands/inlay_commands.h"
#include "commands/mp4_export_commands.h"
#include "commands/action_category.h"
#include "media/video_record.h"

namespace korvid::commands {
namespace {

using Entry = media::TAfficherFichier;
using S = TchServices;

// What a handler takes from the services, null when they are absent.
// Handlers that need only the entry take Nothing, which is always there.
struct Nothing {};
const Nothing* EntryOnly(const S&) {
  static constexpr Nothing kNothing{};
  return &kNothing;
}
HousekeepingServices* Housekeeping(const S& s) { return s.housekeeping; }
const settings::Preferences* HousekeepingPrefs(const S& s) {
  return s.housekeeping != nullptr ? &s.housekeeping->preferences : nullptr;
}
const RenameServices* Renames(const S& s) { return s.rename; }
const settings::LocaleFormats* RenameLocale(const S& s) { return s.rename != nullptr ? &s.rename->locale : nullptr; }
CommandHost* RenameHost(const S& s) { return s.rename != nullptr ? &s.rename->host : nullptr; }
ConversionServices* Conversions(const S& s) { return s.conversion; }
const settings::Preferences* ConversionPrefs(const S& s) {
  return s.conversion != nullptr ? &s.conversion->preferences : nullptr;
}
const graphs::FilterAvailability* Availability(const S& s) {
  return s.conversion != nullptr ? &s.conversion->availability : nullptr;
}
HeaderFixServices* HeaderFixes(const S& s) { return s.headerFix; }
CommandHost* Host(const S& s) { return s.host; }
FrameExportServices* FrameExports(const S& s) { return s.frameExport; }

// The four handler kinds made from a command function F and what Get
// gives: F takes the entry (and the new path, for executions that make
// one), then that service unless it is Nothing, then a condition's outputs.
template <auto Get, auto F>
TConfirmationEvent Ask(const S& s) {
  const auto service = Get(s);
  if (service == nullptr) return {};
  return [service](const TParam&, const Entry& e, std::string& message) {
    if constexpr (std::is_invocable_v<decltype(F), const Entry&>)
      message = F(e);
    else
      message = F(e, *service);
  };
}

template <auto Get, auto F>
TExecutionEvent Run(const S& s) {
  const auto service = Get(s);
  if (service == nullptr) return {};
  return [service](const TParam&, const Entry& e, std::string& newfichier, TchUpdateType& update) {
    using Service = decltype(*service);
    if constexpr (std::is_invocable_v<decltype(F), const Entry&, std::string&, Service>)
      update = F(e, newfichier, *service);
    else if constexpr (std::is_invocable_v<decltype(F), const Entry&, Service>)
      update = F(e, *service);
    else if constexpr (std::is_invocable_v<decltype(F), const Entry&, std::string&>)
      update = F(e, newfichier);
    else
      update = F();
  };
}

template <auto Get, auto F>
TFileConditionEvent Test(const S& s) {
  const auto service = Get(s);
  if (service == nullptr) return {};
  return [service](const TParam&, const Entry& e, bool& visible, bool& enabled) {
    if constexpr (std::is_invocable_v<decltype(F), const Entry&, bool&, bool&>)
      F(e, visible, enabled);
    else
      F(e, *service, visible, enabled);
  };
}

template <auto Get, auto F>
TGeneralConditionEvent General(const S& s) {
  const auto service = Get(s);
  if (service == nullptr) return {};
  return [service](const TParam&, bool& visible) { F(*service, visible); };
}

// With the default recycle bin, which a pointer to the function would lose.
// Bound only where there is a host: without one nobody would see a failure.
TchUpdateType SupprimerScenesToBin(const Entry& e, std::string& newfichier, CommandHost&) {
  return SupprimerScenesExecution(e, newfichier);
}

// ScenesText has no execution of its own: through its Modele it runs this
// one with its own TParam, that is with the text writer.
TExecutionEvent ScanExecution(const S& s) {
  SceneScanServices* scenes = s.scenes;
  if (scenes == nullptr) return {};
  return [scenes](const TParam& param, const Entry& e, std::string& newfichier, TchUpdateType& update) {
    update = param.sceneWriter != nullptr ? CreerScenesExecution(*param.sceneWriter, e, newfichier, *scenes) : utNone;
  };
}

using enum ActionRunner;
using T = resources::Text;

// Columns: name, caption, status message, shortcut, switch, runner;
// window command {name, caption, hint, shortcut}; handlers {confirmation,
// execution, file condition, general condition}; Modele.
constexpr auto kActions = std::to_array<BuiltInAction>({
    {"DossierParent", T::kDossierParentCaption, {}, "", "", kCurrentEntry,
     {"amDossierParent", {}, T::kamDossierParentHint, "Ctrl+F"},
     {nullptr, Run<Housekeeping, DossierParentExecution>}},
    {"SupprimerFichier", T::kSupprimerFichierCaption, T::kSupprimerFichierProgress, "", "e", kSelection,
     {"amSupprimerFichier", {}, {}, "Shift+Del"},
     {Ask<EntryOnly, SupprimerFichierConfirmation>, Run<Housekeeping, SupprimerFichierExecution>,
      Test<EntryOnly, SupprimerFichierFileCondition>}},
    {"oterfichier", T::koterfichierCaption, {}, "", "", kSelection, {"amOterFichier", {}, {}, "Del"},
     {nullptr, Run<EntryOnly, oterfichierExecution>}},
    {"RiffHeader", T::kRiffHeaderCaption, {}, "Ctrl+H", "", kCurrentEntry, {"amRiffHeader"},
     {nullptr, Run<Housekeeping, RiffHeaderExecution>}},
    {"DefaultPlayer", T::kDefaultPlayerCaption, {}, "F5", "", kCurrentEntry,
     {"amDefaultPlayer", T::kamDefaultPlayerCaption},
     {nullptr, Run<Housekeeping, DefaultPlayerExecution>}},
    {"AjouterTimecode", T::kAjouterTimecodeCaption, {}, "Ctrl+T", "t", kSelection,
     {"amAjouterTimecode", T::kamAjouterTimecodeCaption},
     {Ask<EntryOnly, AjouterTimecodeConfirmation>, Run<EntryOnly, AjouterTimecodeExecution>,
      Test<EntryOnly, AjouterTimecodeFileCondition>}},
    {"AjouterDateCode", T::kAjouterDateCodeCaption, {}, "Ctrl+D", "d", kSelection,
     {"amAjouterDatecode", T::kamAjouterDatecodeCaption},
     {Ask<Renames, AjouterDateCodeConfirmation>, Run<Renames, AjouterDateCodeExecution>,
      Test<EntryOnly, DatecodeFileCondition>}},
    {"PurgerNom", T::kPurgerNomCaption, {}, "Ctrl+Q", "q", kSelection, {"amPurgerNom", T::kamPurgerNomCaption},
     {Ask<EntryOnly, PurgerNomConfirmation>, Run<EntryOnly, PurgerNomExecution>,
      Test<EntryOnly, PurgerNomFileCondition>}},
    {"FileDate", T::kFileDateCaption, {}, "Ctrl+B", "b", kSelection, {"amFileDate"},
     {Ask<RenameLocale, FileDateConfirmation>, Run<RenameHost, FileDateExecution>,
      Test<EntryOnly, DatecodeFileCondition>}},
    {"RenameScAn", T::kRenameScAnCaption, {}, "Ctrl+R", "r", kSelection, {"amRenameScAn", T::kamRenameScAnCaption},
     {Ask<Renames, RenameScAnConfirmation>, Run<Renames, RenameScAnExecution>,
      Test<EntryOnly, DatecodeFileCondition>}},
    {"DVtype1", T::kDVtype1Caption, T::kDVtype1Progress, "Ctrl+1", "1", kSelectionLocked,
     {"amDVType1", T::kamDVType1Caption, {}, "Ctrl+Num+1"},
     {Ask<ConversionPrefs, DVtype1Confirmation>, Run<Conversions, DVtype1Execution>,
      Test<EntryOnly, DVtype1FileCondition>}},
    {"DVType2", T::kDVType2Caption, T::kDVType2Progress, "Ctrl+2", "2", kSelectionLocked,
     {"amDVType2", T::kamDVType2Caption, {}, "Ctrl+Num+2"},
     {Ask<ConversionPrefs, DVType2Confirmation>, Run<Conversions, DVType2Execution>,
      Test<EntryOnly, DVType2FileCondition>}},
    {"Ntsc", T::kNtscCaption, T::kNtscProgress, "", "N", kSelectionLocked,
     {"amNTSC", T::kamNTSCCaption, {}, "Ctrl+N"},
     {Ask<ConversionPrefs, NtscConfirmation>, Run<Conversions, NtscExecution>, Test<EntryOnly, NtscFileCondition>,
      General<Availability, NtscGeneralCondition>}},
    {"Pal", T::kPalCaption, T::kPalProgress, "", "p", kSelectionLocked, {"amPal", T::kamPalCaption, {}, "Ctrl+P"},
     {Ask<ConversionPrefs, PalConfirmation>, Run<Conversions, PalExecution>, Test<EntryOnly, PalFileCondition>,
      General<Availability, PalGeneralCondition>}},
    {"IncrusterDatecode", T::kIncrusterDatecodeCaption, T::kIncrusterDatecodeProgress, "Ctrl+I", "i",
     kSelectionLocked, {"amIncrusterDatecode", T::kamIncrusterDatecodeCaption},
     {Ask<ConversionPrefs, IncrusterDatecodeConfirmation>, Run<Conversions, IncrusterDatecodeExecution>,
      Test<EntryOnly, IncrusterDatecodeFileCondition>, General<Availability, IncrusterDatecodeGeneralCondition>}},
    {"ConvertirDV", T::kConvertirDVCaption, T::kConvertirDVProgress, "Ctrl+G", "g", kSelectionLocked,
     {"amConvertirDV", T::kamConvertirDVCaption},
     {Ask<ConversionPrefs, ConvertirDVConfirmation>, Run<Conversions, ConvertirDVExecution>,
      Test<EntryOnly, ConvertirDVFileCondition>}},
    {"ExporterMp4", T::kExporterMp4Caption, T::kExporterMp4Progress, "", "4", kSelectionLocked,
     {"amExporterMp4", T::kamExporterMp4Caption},
     {Ask<ConversionPrefs, ExporterMp4Confirmation>, Run<Conversions, ExporterMp4Execution>,
      Test<EntryOnly, ExporterMp4FileCondition>}},
    {"CreerScenes", T::kCreerScenesCaption, T::kCreerScenesProgress, "", "s", kSelectionLocked,
     {"amCreerScenes", {}, {}, "Ctrl+S"}, {Ask<EntryOnly, CreerScenesConfirmation>, ScanExecution}},
    {"SupprimerScenes", T::kSupprimerScenesCaption, {}, "Ctrl+Z", "z", kSelection, {"amSupprimerScenes"},
     {Ask<EntryOnly, SupprimerScenesConfirmation>, Run<Host, SupprimerScenesToBin>,
      Test<EntryOnly, SupprimerScenesFileCondition>}},
    {"ExtraireAudio", T::kExtraireAudioCaption, T::kExtraireAudioProgress, "Ctrl+W", "w", kSelectionLocked,
     {"amExtraireAudio", T::kamExtraireAudioCaption},
     {Ask<ConversionPrefs, ExtraireAudioConfirmation>, Run<Conversions, ExtraireAudioExecution>,
      Test<EntryOnly, ExtraireAudioFileCondition>, General<Availability, ExtraireAudioGeneralCondition>}},
    {"CorrigerFps", T::kCorrigerFpsCaption, {}, "Ctrl+Y", "", kSelectionLocked,
     {"amCorrigerFps", T::kamCorrigerFpsCaption},
     {Ask<EntryOnly, CorrigerFpsConfirmation>, Run<HeaderFixes, CorrigerFpsExecution>,
      Test<EntryOnly, CorrigerFpsFileCondition>}},
    {"ScenesText", T::kScenesTextCaption, T::kScenesTextProgress, "Ctrl+X", "x", kSelectionLocked,
     {"amScenesText", T::kamScenesTextCaption}, {Ask<EntryOnly, ScenesTextConfirmation>}, "CreerScenes"},
    // The window's afPictrel runs the frame grabber, named after the program.
    {"Pictrel", {}, {}, "F3", "", kCurrentEntry, {},
     {nullptr, Run<Housekeeping, PictrelExecution>, nullptr, General<HousekeepingPrefs, PictrelGeneralCondition>}},
    // Their executions come from the player; the overlay needs what the
    // burnt-in inlay needs.
    {"AfficherDatecode", T::kAfficherDatecodeCaption, {}, "F12", "", kCurrentEntry,
     {"amAfficherDatecode", {}, T::kShowDatecodeHint},
     {nullptr, nullptr, Test<EntryOnly, AfficherDatecodeFileCondition>,
      General<Availability, IncrusterDatecodeGeneralCondition>}},
    {"AfficherSliders", T::kAfficherSlidersCaption, {}, "", "", kCurrentEntry,
     {"amAfficherSliders", T::kamAfficherSlidersCaption},
     {nullptr, nullptr, Test<EntryOnly, AfficherDatecodeFileCondition>,
      General<Availability, IncrusterDatecodeGeneralCondition>}},
    {"DecalerHoraire", T::kDecalerHoraireCaption, T::kDecalerHoraireProgress, "", "", kSelectionLocked,
     {"amDecalerHoraire", T::kamDecalerHoraireCaption},
     {Ask<ConversionPrefs, DecalerHoraireConfirmation>, Run<Conversions, DecalerHoraireExecution>,
      Test<ConversionPrefs, DecalerHoraireFileCondition>, General<Availability, DecalerHoraireGeneralCondition>}},
    {"CorrigerCodec", T::kCorrigerCodecCaption, {}, "", "", kSelectionLocked,
     {"amCorrigerCodec", {}, {}, "Ctrl+K"},
     {Ask<EntryOnly, CorrigerCodecConfirmation>, Run<HeaderFixes, CorrigerCodecExecution>}},
    {"DatecodeSubtitles", T::kDatecodeSubtitlesCaption, T::kDatecodeSubtitlesProgress, "", "y", kSelectionLocked,
     {"amDatecodeSubtitles"},
     {Ask<FrameExports, SubtitlesConfirmation>, Run<FrameExports, SubtitlesExecution>,
      Test<EntryOnly, SubtitlesFileCondition>}},
    {"FrameLog", T::kFrameLogCaption, T::kFrameLogProgress, "", "f", kSelectionLocked, {"amFrameLog"},
     {Ask<FrameExports, FrameLogConfirmation>, Run<FrameExports, FrameLogExecution>,
      Test<EntryOnly, FrameLogFileCondition>}},
});

// The binding finds a command as "am" and the action's name, case aside.
constexpr bool NamesTheAction(std::string_view command, std::string_view name) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (!command.starts_with("am") || command.size() != name.size() + 2) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (lower(command[i + 2]) != lower(name[i])) return false;
  return true;
}

// Names and window commands are keys: each used once. A Modele names a row.
constexpr bool TableIsConsistent() {
  for (std::size_t i = 0; i < kActions.size(); ++i) {
    const BuiltInAction& a = kActions[i];
    if (!a.command.name.empty() && !NamesTheAction(a.command.name, a.name)) return false;
    bool modeleFound = a.modele.empty();
    for (std::size_t j = 0; j < kActions.size(); ++j) {
      modeleFound = modeleFound || kActions[j].name == a.modele;
      if (j == i) continue;
      if (kActions[j].name == a.name) return false;
      if (!a.command.name.empty() && kActions[j].command.name == a.command.name) return false;
    }
    if (!modeleFound) return false;
  }
  return true;
}
static_assert(TableIsConsistent(),
              "each built-in name and \"am\" command is used once, a command names its action, a Modele a row");

// A handler the services cannot serve leaves the one already there.
template <class Event>
void Assign(Event& handler, Event made) {
  if (made) handler = std::move(made);
}

}  // namespace

std::span<const BuiltInAction> BuiltInActions() { return kActions; }

const BuiltInAction* BuiltInActionOfCommand(std::string_view commandName) {
  for (const BuiltInAction& action : kActions)
    if (!action.command.name.empty() && action.command.name == commandName) return &action;
  return nullptr;
}

ActionRunner BuiltInRunner(std::string_view name) {
  for (const BuiltInAction& action : kActions)
    if (action.name == name) return action.runner;
  return kSelection;
}

std::string_view CategoryOf(ActionRunner runner) { return runner == kCurrentEntry ? kMono : kMulti; }

Tch::Tch() {
  actions_.reserve(kActions.size());
  for (const BuiltInAction& action : kActions) actions_.emplace_back(std::string(action.name));
  Action("CreerScenes").Param = {.Key = "CreerScenes", .sceneWriter = &scnWriter};
  Action("ScenesText").Param = {.Key = "ScenesText", .sceneWriter = &sceneTextWriter};
}

tFileAction& Tch::Action(std::string_view name) {
  for (tFileAction& action : actions_)
    if (action.Name() == name) return action;
  throw std::out_of_range("no built-in action " + std::string(name));
}

void ApplyActionTexts(Tch& ch) {
  const auto text = [](const std::optional<resources::Text>& id) {
    return id ? std::string(resources::Str(*id)) : std::string();
  };
  for (std::size_t i = 0; i < kActions.size(); ++i) {
    tFileAction& action = ch.Components()[i];
    const BuiltInAction& row = kActions[i];
    action.Caption = text(row.caption);
    action.MonoMessage = text(row.monoMessage);
    action.SetShortcut(row.shortcut);
    action.SetSwitch(row.switchText);
    action.Modele = std::string(row.modele);
  }
}

void BindBuiltInHandlers(Tch& ch, const TchServices& services) {
  for (std::size_t i = 0; i < kActions.size(); ++i) {
    tFileAction& action = ch.Components()[i];
    const BuiltInHandlers& make = kActions[i].handlers;
    if (make.confirmation != nullptr) Assign(action.OnConfirmation, make.confirmation(services));
    if (make.execution != nullptr) Assign(action.OnExecution, make.execution(services));
    if (make.fileCondition != nullptr) Assign(action.OnFileCondition, make.fileCondition(services));
    if (make.generalCondition != nullptr) Assign(action.OnGeneralCondition, make.generalCondition(services));
  }
}

void RegisterBuiltInActions(Tch& ch, FileActionRegistry& registry) {
  for (tFileAction& action : ch.Components()) registry.Add(action);
}

}  // namespace korvid::commands
