#pragma once
// Indented JSON written straight into one string, laid out as the reports
// have always been: four spaces a level, `"key": value`, a line break after
// the outermost value. Keys are written in the order given; the reports give
// them sorted, as their readers have always seen them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::list {

class JsonWriter {
 public:
  void BeginArray();
  void EndArray();
  void BeginObject();
  void EndObject();
  // The name of the next member of the current object.
  JsonWriter& Key(std::string_view key);

  // UTF-8 text; bytes that are no UTF-8 become U+FFFD each and a leading
  // byte order mark is dropped, so that a damaged name still gives valid JSON.
  void String(std::string_view text);
  // Like String, after a first byte taken as the Latin-1 character it is.
  void StringLatin1First(std::string_view text);
  void Integer(std::int64_t value);
  // Whole numbers up to 2^53 without a fraction, others in the shortest form
  // that reads back the same, infinities and NaN as null.
  void Double(double value);
  void Bool(bool value);
  void Null();

  // The text so far; a line break follows the outermost value once it is closed.
  const std::string& Text() const { return text_; }
  std::string Take() { return std::move(text_); }

 private:
  void BeforeValue();
  void Open(char bracket);
  void Close(char bracket);
  void Indent(std::size_t depth);
  void Utf8(std::string_view text);

  std::string text_;
  std::vector<bool> hasMembers_;  // one per open array or object
  bool afterKey_ = false;
};

}  // namespace korvid::list
