#include "resources/printable_text.h"

namespace korvid::resources {
namespace {

void AppendHex(std::string& out, unsigned char byte) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

// U+0080 to U+009F in UTF-8: they steer terminals as ESC does.
bool StartsC1Control(std::string_view text) {
  return text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xC2 &&
         static_cast<unsigned char>(text[1]) >= 0x80 && static_cast<unsigned char>(text[1]) <= 0x9F;
}

}  // namespace

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    if (StartsC1Control(text)) {
      AppendHex(out, static_cast<unsigned char>(text[0]));
      AppendHex(out, static_cast<unsigned char>(text[1]));
      text.remove_prefix(2);
      continue;
    }
    const auto byte = static_cast<unsigned char>(text.front());
    text.remove_prefix(1);
    switch (byte) {
      case '\\': out += "\\\\"; continue;
      case '\a': out += "\\a"; continue;
      case '\b': out += "\\b"; continue;
      case '\t': out += "\\t"; continue;
      case '\n': out += "\\n"; continue;
      case '\v': out += "\\v"; continue;
      case '\f': out += "\\f"; continue;
      case '\r': out += "\\r"; continue;
      default: break;
    }
    // Bytes that are no UTF-8 stay as they are: a name in an older
    // encoding is still the path to give back to the program.
    if (byte < 0x20 || byte == 0x7F) {
      AppendHex(out, byte);
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

std::string FileErrorLine(std::string_view file, std::string_view why) {
  return "korvid: " + Printable(file) + ": " + std::string(why) + "\n";
}

}  // namespace korvid::resources
