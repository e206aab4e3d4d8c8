#pragma once
// Every stored preference: its name in the store, its type, its default and
// the member that holds it, in the order values are read and written. The
// names are part of the stored format and must not change.

#include <climits>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "resources/product.h"
#include "settings/preferences.h"

namespace korvid::settings {

// How an integer's default is found when it is not a plain constant.
enum class IntDefault { Constant, CentredTop, CentredLeft };

// How a text's default is found, and whether a stored empty text is replaced
// by it at load.
enum class TextDefault { Constant, DocumentsFolder };

template <class Owner>
struct IntField {
  int Owner::*member;
  int fallback;
  int min = INT_MIN;  // stored values outside the range take the default
  int max = INT_MAX;
  IntDefault rule = IntDefault::Constant;
};

template <class Owner>
struct BoolField {
  bool Owner::*member;
  bool fallback;
  bool onFirstStart;  // the default when nothing at all is stored yet
};

template <class Owner>
struct TextField {
  std::string Owner::*member;
  std::string_view fallback;
  TextDefault rule = TextDefault::Constant;
  bool emptyTakesDefault = false;
};

template <class Owner>
struct ValueSpec {
  std::string_view name;
  std::variant<IntField<Owner>, BoolField<Owner>, TextField<Owner>> field;
};

// Values of the application's main group.
std::span<const ValueSpec<Preferences>> MainValueSpecs();

// Values of the overlay font group.
std::span<const ValueSpec<IncrustFont>> FontValueSpecs();

// The table entry with this stored name, or nullptr.
const ValueSpec<Preferences>* FindMainValueSpec(std::string_view name);

inline constexpr std::string_view kActionsGroup = "Actions";
inline constexpr std::string_view kFontGroup = "IncrustFont";

// Written at every save for the curious reader, never read back.
inline constexpr std::string_view kVersionValue = "version";
inline constexpr std::string_view kLastSaveValue = "Dernière Sauvegarde";
inline constexpr std::string_view kExecutableValue = "Exename";
inline constexpr std::string_view kLastSaveFormat = "yyyy/mm/dd hh:nn:ss am/pm";

// The frame-grab program registers its executable under its own name.
inline constexpr std::string_view kFrameGrabberApplication = "Pictrel";
inline constexpr std::string_view kFrameGrabberExecutableValue = "exename";

using resources::kMakerName;
using resources::kProductName;
inline constexpr std::string_view kLanguageCode = "En";

// Where the defaults that depend on the machine come from.
struct DefaultEnvironment {
  int screenWidth = 0;
  int screenHeight = 0;
  int windowWidth = 0;
  int windowHeight = 0;
  std::string documentsFolder;
};

template <class Owner>
int DefaultOf(const IntField<Owner>& field, const DefaultEnvironment& environment) {
  switch (field.rule) {
    case IntDefault::CentredTop: return (environment.screenHeight - environment.windowHeight) / 2;
    case IntDefault::CentredLeft: return (environment.screenWidth - environment.windowWidth) / 2;
    case IntDefault::Constant: break;
  }
  return field.fallback;
}

template <class Owner>
bool DefaultOf(const BoolField<Owner>& field, bool firstStart) {
  return firstStart ? field.onFirstStart : field.fallback;
}

template <class Owner>
std::string DefaultOf(const TextField<Owner>& field, const DefaultEnvironment& environment) {
  if (field.rule == TextDefault::DocumentsFolder) return environment.documentsFolder;
  return std::string(field.fallback);
}

// Every value at its default; firstStart picks the defaults that apply when
// nothing at all is stored.
Preferences DefaultPreferences(const DefaultEnvironment& environment, bool firstStart);

}  // namespace korvid::settings
