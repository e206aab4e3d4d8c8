#pragma once
// The built-in file actions, in their fixed order, with the texts and
// switches the window shows, the runner each command uses, and their
// handlers bound to the command functions of this folder.

#include <array>
#include <string_view>

#include "commands/command_host.h"
#include "commands/conversion_commands.h"
#include "commands/file_action.h"
#include "commands/file_action_registry.h"
#include "commands/header_fix_commands.h"
#include "commands/housekeeping_commands.h"
#include "commands/rename_commands.h"
#include "commands/scene_commands.h"
#include "commands/scene_files.h"

namespace korvid::commands {

// The size TParam.DataSize states for a table of three scene-writer
// operations; TParam.Data then points at a SceneWriter.
inline constexpr std::int32_t kSceneWriterTableSize = 12;

// The scene writer a scan action's TParam carries, or null.
SceneWriter* SceneWriterOf(const TParam& param);

inline constexpr std::size_t kBuiltInActionCount = 26;

// The holder of the built-in actions. Not copyable: the scene actions'
// TParam points at the writers it owns.
class Tch {
 public:
  Tch();
  Tch(const Tch&) = delete;
  Tch& operator=(const Tch&) = delete;

  tFileAction DossierParent{"DossierParent"};
  tFileAction SupprimerFichier{"SupprimerFichier"};
  tFileAction oterfichier{"oterfichier"};
  tFileAction RiffHeader{"RiffHeader"};
  tFileAction DefaultPlayer{"DefaultPlayer"};
  tFileAction AjouterTimecode{"AjouterTimecode"};
  tFileAction AjouterDateCode{"AjouterDateCode"};
  tFileAction PurgerNom{"PurgerNom"};
  tFileAction FileDate{"FileDate"};
  tFileAction RenameScAn{"RenameScAn"};
  tFileAction DVtype1{"DVtype1"};
  tFileAction DVType2{"DVType2"};
  tFileAction Ntsc{"Ntsc"};
  tFileAction Pal{"Pal"};
  tFileAction IncrusterDatecode{"IncrusterDatecode"};
  tFileAction ConvertirDV{"ConvertirDV"};
  tFileAction CreerScenes{"CreerScenes"};
  tFileAction SupprimerScenes{"SupprimerScenes"};
  tFileAction ExtraireAudio{"ExtraireAudio"};
  tFileAction CorrigerFps{"CorrigerFps"};
  tFileAction ScenesText{"ScenesText"};
  tFileAction Pictrel{"Pictrel"};
  tFileAction AfficherDatecode{"AfficherDatecode"};
  tFileAction AfficherSliders{"AfficherSliders"};
  tFileAction DecalerHoraire{"DecalerHoraire"};
  tFileAction CorrigerCodec{"CorrigerCodec"};

  // Every action above, in that order.
  std::array<tFileAction*, kBuiltInActionCount> Components();

  ScnFileWriter scnWriter;
  SceneTextWriter sceneTextWriter;
};

// Which runner the window's command uses for a built-in action.
enum class ActionRunner { kCurrentEntry, kSelection, kSelectionLocked };

struct BuiltInActionText {
  std::string_view name;
  std::string_view caption;
  std::string_view monoMessage;
  std::string_view shortcut;
  std::string_view switchText;
  ActionRunner runner;
};

// The table of built-in actions, in component order.
const std::array<BuiltInActionText, kBuiltInActionCount>& BuiltInActionTexts();
// The runner of a built-in action by exact name; kSelection for unknown names.
ActionRunner BuiltInRunner(std::string_view name);

// Gives the built-in actions their English texts, shortcuts and switches,
// and ScenesText its Modele "CreerScenes".
void ApplyActionTexts(Tch& ch);

// What the handlers need. A handler whose services are absent stays
// unassigned, so that a window (or a test) binds only what it can serve.
struct TchServices {
  CommandHost* host = nullptr;
  const RenameServices* rename = nullptr;
  HousekeepingServices* housekeeping = nullptr;
  ConversionServices* conversion = nullptr;
  SceneScanServices* scenes = nullptr;
  HeaderFixServices* headerFix = nullptr;
};

// Assigns the handlers of every built-in action that has them. The player's
// two actions (AfficherDatecode, AfficherSliders) get theirs from the player.
void BindBuiltInHandlers(Tch& ch, const TchServices& services);

// Adds every built-in action to the registry under its lower-cased name,
// in component order.
void RegisterBuiltInActions(Tch& ch, FileActionRegistry& registry);

}  // namespace korvid::commands
