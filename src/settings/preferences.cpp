#include "settings/preferences.h"

namespace korvid::settings {

namespace {
constexpr int kBold = 1;
constexpr int kItalic = 2;
constexpr int kUnderline = 4;
constexpr int kStrikeOut = 8;
}  // namespace

int IncrustFont::StyleBits() const {
  return (bold ? kBold : 0) | (italic ? kItalic : 0) | (underline ? kUnderline : 0) |
         (strikeOut ? kStrikeOut : 0);
}

void IncrustFont::SetStyleBits(int bits) {
  bold = (bits & kBold) != 0;
  italic = (bits & kItalic) != 0;
  underline = (bits & kUnderline) != 0;
  strikeOut = (bits & kStrikeOut) != 0;
}

}  // namespace korvid::settings
