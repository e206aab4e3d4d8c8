#include "list/sort_key_list.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace korvid::list {

namespace {

int MarkerRank(const std::string& bytes) {
  if (bytes.empty()) return 0;
  const auto first = static_cast<unsigned char>(bytes.front());
  if (first == 0xFF) return 2;
  if (first == 0xFA) return 1;
  return 0;
}

}  // namespace

SortKeyList::SortKeyList(const QLocale& locale) : collator_(locale) {
  collator_.setCaseSensitivity(Qt::CaseInsensitive);
  collator_.setNumericMode(false);
  collator_.setIgnorePunctuation(false);
}

SortKeyList::Key SortKeyList::MakeKey(const std::string& bytes) const {
  const int rank = MarkerRank(bytes);
  const std::size_t skip = rank == 0 ? 0 : 1;
  const QString text = QString::fromUtf8(bytes.data() + skip, static_cast<qsizetype>(bytes.size() - skip));
  return Key{bytes, rank, collator_.sortKey(text)};
}

int SortKeyList::CompareKeys(const Key& a, const Key& b) const {
  if (a.rank != b.rank) return a.rank < b.rank ? -1 : 1;
  const int collated = a.collated.compare(b.collated);
  if (collated != 0) return collated;
  return a.bytes.compare(b.bytes);
}

int SortKeyList::Compare(const std::string& a, const std::string& b) const {
  return CompareKeys(MakeKey(a), MakeKey(b));
}

SortKeyList::AddResult SortKeyList::Search(const Key& key) const {
  std::size_t low = 0;
  std::size_t high = keys_.size();
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const int order = CompareKeys(*keys_[middle], key);
    if (order == 0) return {static_cast<int>(middle), false};
    if (order < 0)
      low = middle + 1;
    else
      high = middle;
  }
  return {static_cast<int>(low), true};
}

int SortKeyList::Find(const std::string& bytes) const {
  const AddResult found = Search(MakeKey(bytes));
  return found.inserted ? -1 : found.index;
}

SortKeyList::AddResult SortKeyList::Add(const std::string& bytes) {
  Key key = MakeKey(bytes);
  const AddResult found = Search(key);
  if (!found.inserted) return found;
  const auto low = static_cast<std::size_t>(found.index);
  keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(low), std::make_unique<Key>(std::move(key)));
  return found;
}

std::vector<int> SortKeyList::Assign(const std::vector<std::string>& keys) {
  std::vector<std::unique_ptr<Key>> made;
  made.reserve(keys.size());
  for (const std::string& bytes : keys) made.push_back(std::make_unique<Key>(MakeKey(bytes)));
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  // Stable: of equal keys the earliest is the one kept.
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return CompareKeys(*made[a], *made[b]) < 0; });

  std::vector<int> placed(keys.size(), -1);
  keys_.clear();
  keys_.reserve(keys.size());
  for (const std::size_t at : order) {
    if (!keys_.empty() && CompareKeys(*keys_.back(), *made[at]) == 0) continue;
    placed[at] = static_cast<int>(keys_.size());
    keys_.push_back(std::move(made[at]));
  }
  return placed;
}

void SortKeyList::RemoveAt(int index) {
  if (index < 0 || index >= Size()) throw std::out_of_range("sort key index out of range");
  keys_.erase(keys_.begin() + index);
}

}  // namespace korvid::list
