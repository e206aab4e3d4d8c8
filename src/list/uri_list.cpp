#include "list/uri_list.h"

#include <QFile>
#include <QString>
#include <QUrl>

namespace korvid::list {

std::vector<std::string> FilesFromUriList(std::string_view text) {
  std::vector<std::string> files;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (line.empty() || line.front() == '#') continue;
    const QUrl url(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())), QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile()) continue;
    files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  return files;
}

std::string UriListOf(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) {
    const QUrl url = QUrl::fromLocalFile(QFile::decodeName(path.c_str()));
    text += url.toString(QUrl::FullyEncoded).toStdString();
    text += "\r\n";
  }
  return text;
}

}  // namespace korvid::list
