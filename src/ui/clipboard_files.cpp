#include "ui/clipboard_files.h"

#include <QMimeData>

#include "list/uri_list.h"

namespace korvid::ui {
namespace {

constexpr char kGnomeCopiedFiles[] = "x-special/gnome-copied-files";

std::string_view View(const QByteArray& bytes) {
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

std::vector<std::string> FilesOf(const QMimeData* data) {
  if (data == nullptr) return {};
  // File managers put the operation ("copy" or "cut") on the first line,
  // then one URL a line.
  if (data->hasFormat(QLatin1String(kGnomeCopiedFiles))) {
    const QByteArray copied = data->data(QLatin1String(kGnomeCopiedFiles));
    const qsizetype firstLineEnd = copied.indexOf('\n');
    if (firstLineEnd >= 0) {
      std::vector<std::string> files = list::FilesFromUriList(View(copied.mid(firstLineEnd + 1)));
      if (!files.empty()) return files;
    }
  }
  const QString uriList = QString::fromUtf8(list::kUriListMimeType.data(),
                                            static_cast<qsizetype>(list::kUriListMimeType.size()));
  if (!data->hasFormat(uriList)) return {};
  return list::FilesFromUriList(View(data->data(uriList)));
}

}  // namespace korvid::ui
