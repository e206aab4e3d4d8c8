#pragma once
// The user's locale as the date-time formatter needs it.

#include <string>
#include <string_view>

#include "settings/date_time_format.h"

class QLocale;

namespace korvid::settings {

// Rewrites a Qt date/time pattern (d, M, y, h, H, m, s, z, AP, 'text') in
// this program's format language. Letters Qt copies are quoted so they stay
// literal here too; the time-zone letter has no counterpart and is dropped.
std::string FromQtDateTimePattern(std::string_view pattern);

// Names, forms and separators of the given locale. Under the C locale the
// separators are "/" and ":" and the names English.
LocaleFormats LocaleFormatsOf(const QLocale& locale);

// LocaleFormatsOf(QLocale::system()).
LocaleFormats SystemLocaleFormats();

}  // namespace korvid::settings
