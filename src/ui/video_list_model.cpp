#include "ui/video_list_model.h"

namespace korvid::ui {

void VideoListModel::Attach(const list::VideoList* videoList) {
  beginResetModel();
  list_ = videoList;
  rows_ = list_ != nullptr ? list_->Count() : 0;
  endResetModel();
}

int VideoListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant VideoListModel::data(const QModelIndex& index, int role) const {
  if (list_ == nullptr || !index.isValid() || index.row() >= list_->Count()) return {};
  const list::ListEntry& entry = list_->Entry(index.row());
  if (role == Qt::DisplayRole) return QString::fromStdString(entry.name);
  if (role == Qt::ToolTipRole && entry.record) return QString::fromStdString(entry.record->fullName);
  return {};
}

void VideoListModel::Reload() {
  beginResetModel();
  rows_ = list_ != nullptr ? list_->Count() : 0;
  endResetModel();
}

}  // namespace korvid::ui
