#pragma once
// The video list as a Qt item model: one row per entry, kept as the
// entry's id, with its line as the display text and its full path as the
// tool tip. The list tells the window each row it inserted, removed,
// changed or moved, and the window passes it on here, so a change redraws
// that row only; a sort comes as one layout change.

#include <QAbstractListModel>

#include <vector>

#include "list/video_list.h"

namespace korvid::ui {

class VideoListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit VideoListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

  // The list is built after the window; rows are read from it from then on.
  void Attach(const list::VideoList* videoList);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void RowInserted(int row, list::EntryId id);
  void RowRemoved(int row);
  void RowChanged(int row);
  void RowMoved(int from, int to);
  // The row now at r stood at from[r]; persistent indexes (the control's
  // selection and current row) follow their rows. Anything but a
  // permutation of the rows is ignored.
  void RowsReordered(const std::vector<int>& from);

 private:
  bool Valid(int row) const { return row >= 0 && row < static_cast<int>(ids_.size()); }

  const list::VideoList* list_ = nullptr;
  std::vector<list::EntryId> ids_;
};

}  // namespace korvid::ui
