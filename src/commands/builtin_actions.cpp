#include "commands/builtin_actions.h"

#include "commands/audio_extraction_commands.h"
#include "commands/inlay_commands.h"

namespace korvid::commands {
namespace {

using Entry = media::TAfficherFichier;

// Handlers of the form the command functions have, wrapped into events.
template <class F>
TExecutionEvent Execution(F run) {
  return [run](const TParam&, const Entry& entry, std::string& newfichier, TchUpdateType& update) {
    update = run(entry, newfichier);
  };
}
template <class F>
TConfirmationEvent Confirmation(F ask) {
  return [ask](const TParam&, const Entry& entry, std::string& message) { message = ask(entry); };
}
inline TFileConditionEvent FileCondition(void (*test)(const Entry&, bool&, bool&)) {
  return [test](const TParam&, const Entry& entry, bool& visible, bool& enabled) { test(entry, visible, enabled); };
}
template <class F>
TGeneralConditionEvent GeneralCondition(F test) {
  return [test](const TParam&, bool& visible) { test(visible); };
}

void BindHousekeeping(Tch& ch, HousekeepingServices& s) {
  ch.DossierParent.OnExecution = Execution([&s](const Entry& e, std::string&) { return DossierParentExecution(e, s); });
  ch.SupprimerFichier.OnExecution =
      Execution([&s](const Entry& e, std::string&) { return SupprimerFichierExecution(e, s); });
  ch.RiffHeader.OnExecution = Execution([&s](const Entry& e, std::string&) { return RiffHeaderExecution(e, s); });
  ch.DefaultPlayer.OnExecution =
      Execution([&s](const Entry& e, std::string&) { return DefaultPlayerExecution(e, s); });
  ch.Pictrel.OnExecution = Execution([&s](const Entry& e, std::string&) { return PictrelExecution(e, s); });
  ch.Pictrel.OnGeneralCondition =
      GeneralCondition([&s](bool& visible) { PictrelGeneralCondition(s.preferences, visible); });
}

void BindRenames(Tch& ch, const RenameServices& s) {
  ch.AjouterDateCode.OnConfirmation =
      Confirmation([&s](const Entry& e) { return AjouterDateCodeConfirmation(e, s); });
  ch.AjouterDateCode.OnExecution =
      Execution([&s](const Entry& e, std::string& nf) { return AjouterDateCodeExecution(e, nf, s); });
  ch.RenameScAn.OnConfirmation = Confirmation([&s](const Entry& e) { return RenameScAnConfirmation(e, s); });
  ch.RenameScAn.OnExecution =
      Execution([&s](const Entry& e, std::string& nf) { return RenameScAnExecution(e, nf, s); });
  ch.FileDate.OnConfirmation = Confirmation([&s](const Entry& e) { return FileDateConfirmation(e, s.locale); });
  ch.FileDate.OnExecution =
      Execution([&s](const Entry& e, std::string& nf) { return FileDateExecution(e, nf, s.host); });
}

void BindConversions(Tch& ch, ConversionServices& s) {
  const settings::Preferences& p = s.preferences;
  ch.DVtype1.OnConfirmation = Confirmation([&p](const Entry& e) { return DVtype1Confirmation(e, p); });
  ch.DVtype1.OnExecution = Execution([&s](const Entry& e, std::string& nf) { return DVtype1Execution(e, nf, s); });
  ch.DVType2.OnConfirmation = Confirmation([&p](const Entry& e) { return DVType2Confirmation(e, p); });
  ch.DVType2.OnExecution = Execution([&s](const Entry& e, std::string& nf) { return DVType2Execution(e, nf, s); });
  ch.Ntsc.OnConfirmation = Confirmation([&p](const Entry& e) { return NtscConfirmation(e, p); });
  ch.Ntsc.OnExecution = Execution([&s](const Entry& e, std::string& nf) { return NtscExecution(e, nf, s); });
  ch.Ntsc.OnGeneralCondition = GeneralCondition([&s](bool& v) { NtscGeneralCondition(s.availability, v); });
  ch.Pal.OnConfirmation = Confirmation([&p](const Entry& e) { return PalConfirmation(e, p); });
  ch.Pal.OnExecution = Execution([&s](const Entry& e, std::string& nf) { return PalExecution(e, nf, s); });
  ch.Pal.OnGeneralCondition = GeneralCondition([&s](bool& v) { PalGeneralCondition(s.availability, v); });
  ch.ConvertirDV.OnConfirmation = Confirmation([&p](const Entry& e) { return ConvertirDVConfirmation(e, p); });
  ch.ConvertirDV.OnExecution =
      Execution([&s](const Entry& e, std::string& nf) { return ConvertirDVExecution(e, nf, s); });

  ch.IncrusterDatecode.OnConfirmation =
      Confirmation([&p](const Entry& e) { return IncrusterDatecodeConfirmation(e, p); });
  ch.IncrusterDatecode.OnExecution =
      Execution([&s](const Entry& e, std::string& nf) { return IncrusterDatecodeExecution(e, nf, s); });
  ch.IncrusterDatecode.OnGeneralCondition =
      GeneralCondition([&s](bool& v) { IncrusterDatecodeGeneralCondition(s.availability, v); });
  ch.ExtraireAudio.OnConfirmation = Confirmation([&p](const Entry& e) { return ExtraireAudioConfirmation(e, p); });
  ch.ExtraireAudio.OnExecution =
      Execution([&s](const Entry& e, std::string& nf) { return ExtraireAudioExecution(e, nf, s); });
  ch.ExtraireAudio.OnGeneralCondition =
      GeneralCondition([&s](bool& v) { ExtraireAudioGeneralCondition(s.availability, v); });

  ch.DecalerHoraire.OnConfirmation =
      Confirmation([&p](const Entry& e) { return DecalerHoraireConfirmation(e, p); });
  ch.DecalerHoraire.OnExecution =
      Execution([&s](const Entry& e, std::string& nf) { return DecalerHoraireExecution(e, nf, s); });
  ch.DecalerHoraire.OnGeneralCondition =
      GeneralCondition([&s](bool& v) { DecalerHoraireGeneralCondition(s.availability, v); });
  ch.DecalerHoraire.OnFileCondition = [&p](const TParam&, const Entry& e, bool& visible, bool& enabled) {
    DecalerHoraireFileCondition(e, p, visible, enabled);
  };
}

void BindHeaderFixes(Tch& ch, HeaderFixServices& s) {
  ch.CorrigerFps.OnExecution =
      Execution([&s](const Entry& e, std::string& nf) { return CorrigerFpsExecution(e, nf, s); });
  ch.CorrigerCodec.OnExecution =
      Execution([&s](const Entry& e, std::string& nf) { return CorrigerCodecExecution(e, nf, s); });
}

void BindScenes(Tch& ch, SceneScanServices& s) {
  // ScenesText has no execution of its own: through its Modele it runs this
  // one with its own TParam, that is with the text writer.
  ch.CreerScenes.OnExecution = [&s](const TParam& param, const Entry& e, std::string& nf, TchUpdateType& update) {
    SceneWriter* writer = SceneWriterOf(param);
    update = writer != nullptr ? CreerScenesExecution(*writer, e, nf, s) : utNone;
  };
}

// The handlers that need nothing but the entry.
void BindPlainHandlers(Tch& ch) {
  ch.oterfichier.OnExecution = Execution([](const Entry&, std::string&) { return oterfichierExecution(); });
  ch.SupprimerFichier.OnConfirmation = Confirmation(SupprimerFichierConfirmation);
  ch.SupprimerFichier.OnFileCondition = FileCondition(SupprimerFichierFileCondition);
  ch.AjouterTimecode.OnConfirmation = Confirmation(AjouterTimecodeConfirmation);
  ch.AjouterTimecode.OnFileCondition = FileCondition(AjouterTimecodeFileCondition);
  ch.AjouterTimecode.OnExecution = Execution(AjouterTimecodeExecution);
  ch.AjouterDateCode.OnFileCondition = FileCondition(DatecodeFileCondition);
  ch.RenameScAn.OnFileCondition = FileCondition(DatecodeFileCondition);
  ch.FileDate.OnFileCondition = FileCondition(DatecodeFileCondition);
  ch.PurgerNom.OnConfirmation = Confirmation(PurgerNomConfirmation);
  ch.PurgerNom.OnFileCondition = FileCondition(PurgerNomFileCondition);
  ch.PurgerNom.OnExecution = Execution(PurgerNomExecution);
  ch.DVtype1.OnFileCondition = FileCondition(DVtype1FileCondition);
  ch.DVType2.OnFileCondition = FileCondition(DVType2FileCondition);
  ch.Ntsc.OnFileCondition = FileCondition(NtscFileCondition);
  ch.Pal.OnFileCondition = FileCondition(PalFileCondition);
  ch.ConvertirDV.OnFileCondition = FileCondition(ConvertirDVFileCondition);
  ch.IncrusterDatecode.OnFileCondition = FileCondition(IncrusterDatecodeFileCondition);
  ch.ExtraireAudio.OnFileCondition = FileCondition(ExtraireAudioFileCondition);
  ch.CorrigerFps.OnFileCondition = FileCondition(CorrigerFpsFileCondition);
  ch.CorrigerFps.OnConfirmation = Confirmation(CorrigerFpsConfirmation);
  ch.CorrigerCodec.OnConfirmation = Confirmation(CorrigerCodecConfirmation);
  ch.CreerScenes.OnConfirmation = Confirmation(CreerScenesConfirmation);
  ch.ScenesText.OnConfirmation = Confirmation(ScenesTextConfirmation);
  ch.SupprimerScenes.OnConfirmation = Confirmation(SupprimerScenesConfirmation);
  ch.SupprimerScenes.OnFileCondition = FileCondition(SupprimerScenesFileCondition);
}

}  // namespace

SceneWriter* SceneWriterOf(const TParam& param) {
  if (param.DataSize != kSceneWriterTableSize || param.Data == nullptr) return nullptr;
  return static_cast<SceneWriter*>(param.Data);
}

Tch::Tch() {
  CreerScenes.Param = {"CreerScenes", kSceneWriterTableSize, static_cast<SceneWriter*>(&scnWriter)};
  ScenesText.Param = {"ScenesText", kSceneWriterTableSize, static_cast<SceneWriter*>(&sceneTextWriter)};
}

std::array<tFileAction*, kBuiltInActionCount> Tch::Components() {
  return {&DossierParent,  &SupprimerFichier, &oterfichier,      &RiffHeader,     &DefaultPlayer,
          &AjouterTimecode, &AjouterDateCode, &PurgerNom,        &FileDate,       &RenameScAn,
          &DVtype1,        &DVType2,          &Ntsc,             &Pal,            &IncrusterDatecode,
          &ConvertirDV,    &CreerScenes,      &SupprimerScenes,  &ExtraireAudio,  &CorrigerFps,
          &ScenesText,     &Pictrel,          &AfficherDatecode, &AfficherSliders, &DecalerHoraire,
          &CorrigerCodec};
}

void BindBuiltInHandlers(Tch& ch, const TchServices& services) {
  BindPlainHandlers(ch);
  if (services.housekeeping != nullptr) BindHousekeeping(ch, *services.housekeeping);
  if (services.rename != nullptr) BindRenames(ch, *services.rename);
  if (services.conversion != nullptr) BindConversions(ch, *services.conversion);
  if (services.headerFix != nullptr) BindHeaderFixes(ch, *services.headerFix);
  if (services.scenes != nullptr) BindScenes(ch, *services.scenes);
  if (services.host != nullptr)
    ch.SupprimerScenes.OnExecution =
        Execution([](const Entry& e, std::string& nf) { return SupprimerScenesExecution(e, nf); });
}

void RegisterBuiltInActions(Tch& ch, FileActionRegistry& registry) {
  for (tFileAction* action : ch.Components()) registry.Add(*action);
}

}  // namespace korvid::commands
