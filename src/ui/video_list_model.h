#pragma once
// The video list as a Qt item model: one row per entry, its line as the
// display text and its full path as the tool tip. The list tells the
// window what changed and the window passes it on here.

#include <QAbstractListModel>

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

  // Every row may have changed.
  void Reload();

 private:
  const list::VideoList* list_ = nullptr;
  int rows_ = 0;
};

}  // namespace korvid::ui
