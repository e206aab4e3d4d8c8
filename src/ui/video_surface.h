#pragma once
// The player's video window: paints the picture on screen in its display
// shape, black around it, and tells where the user clicked in thousandths
// of the picture.

#include <QImage>
#include <QWidget>

#include "graphs/playback_frame.h"

namespace korvid::ui {

class VideoSurface : public QWidget {
  Q_OBJECT

 public:
  explicit VideoSurface(QWidget* parent = nullptr);

  void SetPicture(QImage picture, graphs::DisplayAspect aspect);
  void Clear();
  const QImage& Picture() const { return picture_; }
  // Where the picture is drawn inside the widget.
  QRect PictureRect() const;

 Q_SIGNALS:
  // A left click on the picture, in thousandths of its width and height.
  void Clicked(int x_thousandths, int y_thousandths);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
  graphs::DisplayAspect aspect_;
};

}  // namespace korvid::ui
