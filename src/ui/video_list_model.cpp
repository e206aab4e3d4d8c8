#include "ui/video_list_model.h"

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

}  // namespace korvid::ui
