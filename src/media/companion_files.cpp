#include "media/companion_files.h"

#include <sys/stat.h>

#include <cctype>
#include <vector>

namespace korvid::media {
namespace {

// Extensions longer than this are not tried in every case (2^n names).
constexpr std::size_t kMaxCaseLetters = 6;

bool Exists(const std::string& path) {
  struct stat facts {};
  return ::lstat(path.c_str(), &facts) == 0;
}

// Where the extension's dot is, or npos when the last element has none.
std::size_t ExtensionDot(std::string_view path) {
  const std::size_t element = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (element != std::string_view::npos && dot < element)) return std::string_view::npos;
  // A hidden file's leading dot starts no extension.
  if (dot == 0 || (element != std::string_view::npos && dot == element + 1)) return std::string_view::npos;
  return dot;
}

}  // namespace

bool HasCaseSibling(std::string_view video) {
  const std::size_t dot = ExtensionDot(video);
  if (dot == std::string_view::npos) return false;
  const std::string own(video);
  std::vector<std::size_t> letters;
  for (std::size_t i = dot + 1; i < own.size(); ++i)
    if (std::isalpha(static_cast<unsigned char>(own[i])) != 0) letters.push_back(i);
  if (letters.empty() || letters.size() > kMaxCaseLetters) return false;
  // Every spelling of the extension but the video's own.
  for (unsigned mask = 0; mask < (1U << letters.size()); ++mask) {
    std::string candidate = own;
    for (std::size_t bit = 0; bit < letters.size(); ++bit) {
      const auto c = static_cast<unsigned char>(candidate[letters[bit]]);
      candidate[letters[bit]] = static_cast<char>((mask >> bit) & 1U ? std::toupper(c) : std::tolower(c));
    }
    if (candidate != own && Exists(candidate)) return true;
  }
  return false;
}

std::string CompanionPath(std::string_view video, std::string_view suffix) {
  std::string whole(video);
  whole += suffix;
  const std::size_t dot = ExtensionDot(video);
  if (dot == std::string_view::npos || Exists(whole) || HasCaseSibling(video)) return whole;
  std::string replaced(video.substr(0, dot));
  replaced += suffix;
  return replaced;
}

}  // namespace korvid::media
