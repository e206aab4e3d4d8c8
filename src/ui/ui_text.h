#pragma once

#include <QString>

#include "resources/string_table.h"

namespace korvid::ui {

// A string-table text as Qt wants it.
inline QString UiText(resources::Text text) {
  const std::string_view view = resources::Str(text);
  return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

}  // namespace korvid::ui
