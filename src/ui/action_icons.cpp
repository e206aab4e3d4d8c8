#include "ui/action_icons.h"

#include <string_view>

// Resources of a static library are registered by name, outside any namespace.
static void RegisterIconResources() { Q_INIT_RESOURCE(icons); }

namespace korvid::ui {
namespace {

struct OwnImage {
  std::string_view action;
  const char* file;
};

constexpr OwnImage kOwnImages[] = {
    {"afOuvrirFichiers", "open.svg"},          {"afCollerFichiers", "paste.svg"},
    {"afOuvrirDossierPrefere", "preferred_folder.svg"}, {"amDossierParent", "parent_folder.svg"},
    {"avMute", "sound.svg"},                   {"amAfficherDatecode", "datecode.svg"},
    {"afViderListe", "empty_list.svg"},        {"afSelectionnerTout", "select_all.svg"},
    {"afOptions", "settings.svg"},             {"afApropos", "about.svg"},
    {"afQuitter", "quit.svg"},
};

QIcon Resource(const char* file) {
  static const bool registered = (RegisterIconResources(), true);
  (void)registered;
  return QIcon(QStringLiteral(":/icons/") + QLatin1String(file));
}

}  // namespace

QIcon ActionIcon(const commands::WindowAction& action) {
  for (const OwnImage& own : kOwnImages)
    if (own.action == action.name) return Resource(own.file);
  if (action.image == commands::kDefaultImage) return Resource("command.svg");
  return {};
}

QIcon ApplicationIcon() { return Resource("korvid.svg"); }
QIcon SoundIcon(bool muted) { return Resource(muted ? "sound_off.svg" : "sound.svg"); }
QIcon DatecodeIcon(bool shown) { return Resource(shown ? "datecode_hide.svg" : "datecode.svg"); }

}  // namespace korvid::ui
