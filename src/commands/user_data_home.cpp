#include "commands/user_data_home.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace korvid::commands {

std::string UserDataHome() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return data;
  std::string home;
  const char* variable = std::getenv("HOME");
  if (variable != nullptr && variable[0] == '/') {
    home = variable;
  } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr &&
                                                         user->pw_dir[0] == '/') {
    home = user->pw_dir;
  }
  return home.empty() ? std::string() : home + "/.local/share";
}

bool MakePrivateFolders(const std::string& path) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    if (::mkdir(path.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat facts {};
  return ::stat(path.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode);
}

}  // namespace korvid::commands
