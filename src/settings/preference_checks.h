#pragma once
// What a stored value must be to be taken at load; anything else takes the
// table's default, so that a damaged or hand-edited store cannot feed the
// commands names they would turn into broken files.

#include <string_view>

#include <QVariant>

#include "settings/preference_table.h"
#include "settings/recording_zone.h"

namespace korvid::settings {

// Values come back from the store as text (or numbers); one written as
// bytes or as another type ("@ByteArray(...)", "@Variant(...)") is no
// preference of ours.
bool IsPlainStoredValue(const QVariant& value);

// A text with a control character (a NUL included) is never valid.
bool HasControlCharacter(std::string_view text);

// Whether `text` can stand as the value of `field`: no control character,
// and no path separator in the rename root, which starts a file name.
template <class Owner>
bool IsValidText(const TextField<Owner>& field, std::string_view text) {
  if (HasControlCharacter(text)) return false;
  if constexpr (std::is_same_v<Owner, Preferences>) {
    if (field.member == &Preferences::renameRoot && text.find('/') != std::string_view::npos) return false;
    if (field.member == &Preferences::timeZone && !IsKnownTimeZone(std::string(text))) return false;
  }
  return true;
}

}  // namespace korvid::settings
