#include "media/named_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>

namespace korvid::media {

resources::Text NamedPathFault(const std::string& path, bool& folder) {
  struct stat facts {};
  if (path.size() >= PATH_MAX) return resources::Text::kPathTooLong;
  if (::stat(path.c_str(), &facts) != 0) {
    if (errno == ENAMETOOLONG) return resources::Text::kPathTooLong;
    // A link that leads nowhere names nothing either.
    return resources::Text::kPathNotFound;
  }
  folder = S_ISDIR(facts.st_mode);
  if (!folder && !S_ISREG(facts.st_mode)) return resources::Text::kNotRegularFile;
  return resources::Text::kCount;
}

}  // namespace korvid::media
