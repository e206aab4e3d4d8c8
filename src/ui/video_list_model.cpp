#include "ui/video_list_model.h"

#include <cstddef>

namespace korvid::ui {

void VideoListModel::Attach(const list::VideoList* videoList) {
  beginResetModel();
  list_ = videoList;
  ids_.clear();
  if (list_ != nullptr)
    for (int row = 0; row < list_->Count(); ++row) ids_.push_back(list_->Entry(row).id);
  endResetModel();
}

int VideoListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

QVariant VideoListModel::data(const QModelIndex& index, int role) const {
  if (list_ == nullptr || !index.isValid() || index.row() >= list_->Count()) return {};
  const list::ListEntry& entry = list_->Entry(index.row());
  if (role == Qt::DisplayRole) return QString::fromStdString(entry.name);
  if (role == Qt::ToolTipRole && entry.record) return QString::fromStdString(entry.record->fullName);
  return {};
}

void VideoListModel::RowInserted(int row, list::EntryId id) {
  if (row < 0 || row > static_cast<int>(ids_.size())) return;
  beginInsertRows({}, row, row);
  ids_.insert(ids_.begin() + row, id);
  endInsertRows();
}

void VideoListModel::RowRemoved(int row) {
  if (!Valid(row)) return;
  beginRemoveRows({}, row, row);
  ids_.erase(ids_.begin() + row);
  endRemoveRows();
}

void VideoListModel::RowChanged(int row) {
  if (!Valid(row)) return;
  const QModelIndex changed = index(row);
  Q_EMIT dataChanged(changed, changed);
}

void VideoListModel::RowMoved(int from, int to) {
  if (!Valid(from) || !Valid(to) || from == to) return;
  beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
  const list::EntryId id = ids_[static_cast<std::size_t>(from)];
  ids_.erase(ids_.begin() + from);
  ids_.insert(ids_.begin() + to, id);
  endMoveRows();
}

void VideoListModel::RowsReordered(const std::vector<int>& from) {
  if (from.size() != ids_.size()) return;
  std::vector<int> to(from.size(), -1);
  for (std::size_t row = 0; row < from.size(); ++row) {
    const int old = from[row];
    if (!Valid(old) || to[static_cast<std::size_t>(old)] >= 0) return;
    to[static_cast<std::size_t>(old)] = static_cast<int>(row);
  }

  // The vertical-sort hint lets the selection model keep its ranges as
  // row runs instead of one persistent index per selected row.
  const QList<QPersistentModelIndex> parents;
  Q_EMIT layoutAboutToBeChanged(parents, QAbstractItemModel::VerticalSortHint);
  std::vector<list::EntryId> ids(ids_.size());
  for (std::size_t row = 0; row < from.size(); ++row) ids[row] = ids_[static_cast<std::size_t>(from[row])];
  ids_ = std::move(ids);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& at : before)
    after.append(index(to[static_cast<std::size_t>(at.row())], at.column()));
  changePersistentIndexList(before, after);
  Q_EMIT layoutChanged(parents, QAbstractItemModel::VerticalSortHint);
}

}  // namespace korvid::ui
