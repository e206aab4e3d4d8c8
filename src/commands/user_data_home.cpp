#include "commands/user_data_home.h"

#include <pwd.h>
#include <unistd.h>

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

}  // namespace korvid::commands
