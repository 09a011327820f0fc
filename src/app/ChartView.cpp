#include "ChartView.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "imaging/Raster32.h"

namespace cz {

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel is painted: no background erase
  setMinimumSize(1, 1);
}

void ChartView::SetChart(const Raster32* chart) {
  chart_ = chart;
  update();
}

void ChartView::SetMapping(const ViewMapping& mapping) {
  mapping_ = mapping;
  update();
}

void ChartView::PaintChart(QPainter& painter, const Raster32& chart, const ViewMapping& mapping,
                           QSize viewSize) {
  if (chart.Empty()) return;
  const double scale = mapping.EffectiveScale();
  // The source columns and rows that reach the view, whole pixels, clipped to the chart.
  const auto first = [scale](std::int32_t offset) {
    return std::floor(-static_cast<double>(offset) / scale);
  };
  const auto last = [scale](std::int32_t offset, int extent) {
    return std::ceil((extent - static_cast<double>(offset)) / scale);
  };
  const double x0 = std::max(0.0, first(mapping.HorizontalOffset));
  const double y0 = std::max(0.0, first(mapping.VerticalOffset));
  const double x1 =
      std::min<double>(chart.Width(), last(mapping.HorizontalOffset, viewSize.width()));
  const double y1 =
      std::min<double>(chart.Height(), last(mapping.VerticalOffset, viewSize.height()));
  if (x1 <= x0 || y1 <= y0) return;

  // Wraps the raster's memory, read only: no pixel is copied. The alpha byte is not shown
  // (a chart is opaque), which also keeps Qt on its plain copying path.
  const QImage image(reinterpret_cast<const uchar*>(chart.Pixels()), chart.Width(), chart.Height(),
                     static_cast<qsizetype>(chart.Width()) * 4, QImage::Format_RGB32);
  const QRectF source(x0, y0, x1 - x0, y1 - y0);
  const QRectF target(mapping.HorizontalOffset + x0 * scale, mapping.VerticalOffset + y0 * scale,
                      (x1 - x0) * scale, (y1 - y0) * scale);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, image, source);
}

void ChartView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Dark));
  if (chart_) PaintChart(painter, *chart_, mapping_, size());
  if (!overlay_.isNull()) painter.drawImage(0, 0, overlay_);
}

void ChartView::mousePressEvent(QMouseEvent* event) {
  emit Pressed(event->position().toPoint());
}

void ChartView::resizeEvent(QResizeEvent* /*event*/) {
  emit Resized();
}

}  // namespace cz
