#pragma once
// Opening things the way the desktop does: a folder in the file manager, a
// file in the program associated with it, a separate program on a file.
// The window uses the freedesktop opener; tests record the requests.

#include <string>
#include <vector>

namespace korvid::commands {

class DesktopLauncher {
 public:
  virtual ~DesktopLauncher() = default;
  // Opens a folder or a file with the desktop's default action.
  virtual bool Open(const std::string& target) = 0;
  // Starts `program` detached with `arguments`, each one argument, no shell.
  virtual bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

// xdg-open for Open; both start without waiting for the program.
class XdgDesktopLauncher final : public DesktopLauncher {
 public:
  bool Open(const std::string& target) override;
  bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace korvid::commands
