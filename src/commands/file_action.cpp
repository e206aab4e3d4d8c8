#include "commands/file_action.h"

#include <array>
#include <cctype>
#include <vector>

#include "media/video_record.h"

namespace korvid::commands {
namespace {

std::vector<std::string> SplitPlus(std::string_view text) {
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // A "+" that is the last character is the key itself ("Ctrl++").
    if (c == '+' && !(part.empty() && i + 1 == text.size())) {
      parts.push_back(part);
      part.clear();
    } else if (c != ' ') {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

struct KeyName {
  std::string_view spelling;
  std::string_view canonical;
};

constexpr std::array<KeyName, 24> kKeyNames{{
    {"esc", "Esc"},         {"escape", "Esc"},     {"del", "Del"},         {"delete", "Del"},
    {"ins", "Ins"},         {"insert", "Ins"},     {"home", "Home"},       {"end", "End"},
    {"pgup", "PgUp"},       {"pageup", "PgUp"},    {"pgdown", "PgDown"},   {"pagedown", "PgDown"},
    {"tab", "Tab"},         {"return", "Return"},  {"enter", "Enter"},     {"space", "Space"},
    {"backspace", "Backspace"}, {"left", "Left"},  {"right", "Right"},     {"up", "Up"},
    {"down", "Down"},       {"print", "Print"},    {"pause", "Pause"},     {"menu", "Menu"},
}};

// The key's usual spelling, or "" when it is not a key.
std::string CanonicalKey(const std::string& key) {
  if (key.size() == 1) {
    const unsigned char c = static_cast<unsigned char>(key[0]);
    if (std::isalpha(c)) return std::string(1, static_cast<char>(std::toupper(c)));
    if (std::isgraph(c)) return key;
    return {};
  }
  const std::string lower = media::AsciiLower(key);
  if (lower.size() >= 2 && lower.size() <= 3 && lower[0] == 'f') {
    int number = 0;
    for (std::size_t i = 1; i < lower.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(lower[i]))) return {};
      number = number * 10 + (lower[i] - '0');
    }
    if (number >= 1 && number <= 24 && lower[1] != '0') return "F" + std::to_string(number);
    return {};
  }
  for (const KeyName& name : kKeyNames)
    if (lower == name.spelling) return std::string(name.canonical);
  return {};
}

}  // namespace

std::string NormaliseShortcut(std::string_view text) {
  const std::vector<std::string> parts = SplitPlus(text);
  bool ctrl = false, shift = false, alt = false, meta = false;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    const std::string modifier = media::AsciiLower(parts[i]);
    if (modifier == "ctrl" || modifier == "control")
      ctrl = true;
    else if (modifier == "shift")
      shift = true;
    else if (modifier == "alt")
      alt = true;
    else if (modifier == "meta")
      meta = true;
    else
      return {};
  }
  const std::string key = CanonicalKey(parts.back());
  if (key.empty()) return {};
  std::string out;
  if (ctrl) out += "Ctrl+";
  if (shift) out += "Shift+";
  if (alt) out += "Alt+";
  if (meta) out += "Meta+";
  return out + key;
}

std::string tFileAction::Switch() const { return media::AsciiLower(switch_); }

void tFileAction::SetSwitch(std::string_view text) { switch_ = media::AsciiLower(text); }

std::string CutUtf8(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return std::string(text);
  std::size_t end = bytes;
  // Step back over continuation bytes so that no character is split.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) --end;
  return std::string(text.substr(0, end));
}

}  // namespace korvid::commands
