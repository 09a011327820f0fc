#include "ImageView.h"

#include <QMouseEvent>
#include <QPainter>

namespace cz {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {}

void ImageView::SetImage(const QImage& image) {
  image_ = image;
  update();
}

void ImageView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // Only the damaged part: the picture is drawn from its own memory, never copied whole.
  const QRect area = event->rect() & image_.rect();
  if (!area.isEmpty()) painter.drawImage(area.topLeft(), image_, area);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && MouseDown) {
    const QPoint at = event->position().toPoint();
    MouseDown(at.x(), at.y());
  }
  QWidget::mousePressEvent(event);
}

}  // namespace cz
