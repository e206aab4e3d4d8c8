#include "ui/video_surface.h"

#include <QMouseEvent>
#include <QPainter>

namespace korvid::ui {

VideoSurface::VideoSurface(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

void VideoSurface::SetPicture(QImage picture, graphs::DisplayAspect aspect) {
  picture_ = std::move(picture);
  aspect_ = aspect;
  update();
}

void VideoSurface::Clear() {
  picture_ = QImage();
  update();
}

QRect VideoSurface::PictureRect() const {
  // The widget is sized to the picture's shape; full screen keeps the shape.
  if (aspect_.num <= 0 || aspect_.den <= 0) return rect();
  const int w = width();
  const int h = height();
  if (static_cast<long long>(w) * aspect_.den > static_cast<long long>(h) * aspect_.num) {
    const int fitted = h * aspect_.num / aspect_.den;
    return {(w - fitted) / 2, 0, fitted, h};
  }
  const int fitted = w * aspect_.den / aspect_.num;
  return {0, (h - fitted) / 2, w, fitted};
}

void VideoSurface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (picture_.isNull()) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(PictureRect(), picture_);
}

void VideoSurface::mousePressEvent(QMouseEvent* event) {
  const QRect r = PictureRect();
  if (event->button() != Qt::LeftButton || r.isEmpty() || !r.contains(event->position().toPoint())) {
    QWidget::mousePressEvent(event);
    return;
  }
  const QPointF at = event->position() - r.topLeft();
  Q_EMIT Clicked(static_cast<int>(at.x() * 1000 / r.width()), static_cast<int>(at.y() * 1000 / r.height()));
}

}  // namespace korvid::ui
