#pragma once
// The sorted list of sort keys that positions the video list's entries.
// Keys compare with the locale's case-insensitive collation; a leading
// marker byte (0xFA: no datecode, 0xFF: analysis failed) ranks a key after
// every key without one, whatever the collation thinks of that byte.
// Keys that collate equal but differ in their bytes (two names differing
// only in the case of an accented letter) fall back to byte order, so that
// two different files never share a key.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QCollator>
#include <QLocale>
#include <QString>

namespace korvid::list {

class SortKeyList {
 public:
  explicit SortKeyList(const QLocale& locale);

  struct AddResult {
    int index = -1;         // where the key now is
    bool inserted = false;  // false: an equal key was already there
  };

  // Binary search: at most floor(log2(n)) + 1 comparisons.
  AddResult Add(const std::string& key);
  // Index of the key equal to `key`, or -1; binary search too.
  int Find(const std::string& key) const;
  void RemoveAt(int index);
  void Clear() { keys_.clear(); }
  // Replaces the keys by `keys`, sorted, each once: returns where each of
  // them now is, -1 for one equal to an earlier one. O(n log n) comparisons,
  // where adding them one by one would shift the list n times.
  std::vector<int> Assign(const std::vector<std::string>& keys);

  int Size() const { return static_cast<int>(keys_.size()); }
  const std::string& At(int index) const { return keys_.at(static_cast<std::size_t>(index))->bytes; }

  // <0, 0 or >0, as the list orders the two keys.
  int Compare(const std::string& a, const std::string& b) const;

 private:
  struct Key {
    std::string bytes;
    int rank = 0;
    // The collator's sort key of the text after the marker byte: made once,
    // so that each comparison is a plain byte comparison.
    QCollatorSortKey collated;
  };
  Key MakeKey(const std::string& bytes) const;
  int CompareKeys(const Key& a, const Key& b) const;
  // Where `key` is ({index, false}) or would go ({index, true}).
  AddResult Search(const Key& key) const;

  QCollator collator_;
  // Held by pointer: an insertion then shifts pointers, not keys.
  std::vector<std::unique_ptr<Key>> keys_;
};

}  // namespace korvid::list
