#include "QtGridPainter.h"

#include <QPen>

#include "ChartView.h"

namespace cz {

namespace {

QColor ToQColor(OverlayColour colour) {
  return QColor(colour.Red, colour.Green, colour.Blue);
}

QPointF ToQPoint(PixelPoint point) {
  return QPointF(point.X, point.Y);
}

}  // namespace

void QtGridPainter::BeginOverlay() {
  if (painter_.isActive()) painter_.end();  // a drawing cut short by an error
  QImage& overlay = view_.Overlay();
  // Black is the transparent colour: the overlay starts fully transparent instead.
  const QSize size = view_.size();
  if (overlay.size() != size) {
    overlay = QImage(size, QImage::Format_ARGB32_Premultiplied);
  }
  overlay.fill(Qt::transparent);
  painter_.begin(&overlay);
}

void QtGridPainter::SetPen(const OverlayPen& pen) {
  painter_.setPen(
      QPen(ToQColor(pen.Colour), pen.Width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
}

void QtGridPainter::DrawLine(PixelPoint from, PixelPoint to) {
  painter_.drawLine(ToQPoint(from), ToQPoint(to));
}

void QtGridPainter::DrawRectangleOutline(PixelPoint topLeft, PixelPoint bottomRight) {
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRectF(ToQPoint(topLeft), ToQPoint(bottomRight)));
}

void QtGridPainter::DrawText(PixelPoint topLeft, const std::string& text, OverlayColour colour) {
  const QPen pen = painter_.pen();
  painter_.setPen(ToQColor(colour));
  const QFontMetrics metrics = painter_.fontMetrics();
  painter_.drawText(QPointF(topLeft.X, topLeft.Y + metrics.ascent()), QString::fromStdString(text));
  painter_.setPen(pen);
}

void QtGridPainter::EndOverlay() {
  if (painter_.isActive()) painter_.end();
  view_.update();
}

}  // namespace cz
