#include "commands/desktop_launcher.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace korvid::commands {

bool XdgDesktopLauncher::Open(const std::string& target) {
  return StartDetached("xdg-open", {target});
}

bool XdgDesktopLauncher::StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
  if (program.empty()) return false;
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  return QProcess::startDetached(QString::fromStdString(program), list);
}

}  // namespace korvid::commands
