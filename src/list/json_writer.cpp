#include "list/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace korvid::list {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at `at`, or 0: overlong forms,
// surrogates and code points past U+10FFFF are not well formed.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  char32_t code = 0;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1Fu, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0Fu, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07u, least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if (!IsContinuation(next)) return 0;
    code = (code << 6) | (next & 0x3Fu);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool NeedsEscape(unsigned char byte) { return byte < 0x20 || byte == '"' || byte == '\\' || byte >= 0x80; }

void Escape(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '\\';
  switch (byte) {
    case '"': out += '"'; break;
    case '\\': out += '\\'; break;
    case '\b': out += 'b'; break;
    case '\f': out += 'f'; break;
    case '\n': out += 'n'; break;
    case '\r': out += 'r'; break;
    case '\t': out += 't'; break;
    default:
      out += "u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
  }
}

}  // namespace

void JsonWriter::Indent(std::size_t depth) { text_.append(4 * depth, ' '); }

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (hasMembers_.empty()) return;
  if (hasMembers_.back()) text_ += ",\n";
  hasMembers_.back() = true;
  Indent(hasMembers_.size());
}

void JsonWriter::Open(char bracket) {
  BeforeValue();
  text_ += bracket;
  text_ += '\n';
  hasMembers_.push_back(false);
}

void JsonWriter::Close(char bracket) {
  if (hasMembers_.back()) text_ += '\n';
  hasMembers_.pop_back();
  Indent(hasMembers_.size());
  text_ += bracket;
  if (hasMembers_.empty()) text_ += '\n';
}

void JsonWriter::BeginArray() { Open('['); }
void JsonWriter::EndArray() { Close(']'); }
void JsonWriter::BeginObject() { Open('{'); }
void JsonWriter::EndObject() { Close('}'); }

JsonWriter& JsonWriter::Key(std::string_view key) {
  BeforeValue();
  text_ += '"';
  Utf8(key);
  text_ += "\": ";
  afterKey_ = true;
  return *this;
}

void JsonWriter::Utf8(std::string_view text) {
  std::size_t at = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") at = 3;
  while (at < text.size()) {
    std::size_t plain = at;
    while (plain < text.size() && !NeedsEscape(static_cast<unsigned char>(text[plain]))) ++plain;
    text_.append(text, at, plain - at);
    at = plain;
    if (at == text.size()) break;
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      Escape(text_, byte);
      ++at;
    } else if (const std::size_t length = SequenceLength(text, at); length > 0) {
      text_.append(text, at, length);
      at += length;
    } else {
      text_ += kReplacement;
      ++at;
    }
  }
}

void JsonWriter::String(std::string_view text) {
  BeforeValue();
  text_ += '"';
  Utf8(text);
  text_ += '"';
}

void JsonWriter::StringLatin1First(std::string_view text) {
  if (text.empty()) return String(text);
  BeforeValue();
  text_ += '"';
  const auto first = static_cast<unsigned char>(text.front());
  if (first < 0x80) {
    if (NeedsEscape(first)) Escape(text_, first);
    else text_ += static_cast<char>(first);
  } else {
    text_ += static_cast<char>(0xC0 | (first >> 6));
    text_ += static_cast<char>(0x80 | (first & 0x3F));
  }
  Utf8(text.substr(1));
  text_ += '"';
}

void JsonWriter::Integer(std::int64_t value) {
  BeforeValue();
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  text_.append(digits, end);
}

void JsonWriter::Double(double value) {
  if (!std::isfinite(value)) return Null();
  // Beyond 2^53 a whole double no longer stands for one integer.
  constexpr double kWholeLimit = 9007199254740992.0;
  if (std::fabs(value) <= kWholeLimit && std::trunc(value) == value)
    return Integer(static_cast<std::int64_t>(value));

  BeforeValue();
  char scientific[32];
  const auto end = std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific).ptr;
  const std::string_view form(scientific, static_cast<std::size_t>(end - scientific));
  const std::size_t e = form.find('e');
  std::string_view mantissa = form.substr(0, e);
  if (mantissa.front() == '-') {
    text_ += '-';
    mantissa.remove_prefix(1);
  }
  std::string digits(1, mantissa.front());
  if (mantissa.size() > 2) digits.append(mantissa.substr(2));
  int exponent = 0;
  std::string_view exponentText = form.substr(e + 1);
  if (exponentText.front() == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

  // The shorter of the two forms; a tie goes to the plain one.
  const auto count = static_cast<int>(digits.size());
  const int point = exponent + 1;  // digits before the decimal point
  const int absExponent = std::abs(exponent);
  const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + (absExponent >= 100 ? 3 : 2);
  const int plainLength = point <= 0 ? 2 - point + count : point >= count ? point : count + 1;
  if (scientificLength < plainLength) {
    text_ += digits.front();
    if (count > 1) {
      text_ += '.';
      text_.append(digits, 1);
    }
    text_ += exponent < 0 ? "e-" : "e+";
    if (absExponent < 10) text_ += '0';
    text_ += std::to_string(absExponent);
  } else if (point <= 0) {
    text_ += "0.";
    text_.append(static_cast<std::size_t>(-point), '0');
    text_ += digits;
  } else if (point >= count) {
    text_ += digits;
    text_.append(static_cast<std::size_t>(point - count), '0');
  } else {
    text_.append(digits, 0, static_cast<std::size_t>(point));
    text_ += '.';
    text_.append(digits, static_cast<std::size_t>(point));
  }
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  text_ += "null";
}

}  // namespace korvid::list
