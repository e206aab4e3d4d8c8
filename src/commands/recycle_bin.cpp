#include "commands/recycle_bin.h"

#include <QFile>
#include <QString>

namespace korvid::commands {

bool MoveToRecycleBin(const std::filesystem::path& path) {
  if (path.empty()) return false;
  return QFile::moveToTrash(QString::fromStdString(path.string()));
}

}  // namespace korvid::commands
