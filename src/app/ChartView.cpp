#include "ChartView.h"

#include <QMouseEvent>
#include <QPainter>

#include "georef/ChartViewSampling.h"
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

void ChartView::PaintChart(QImage& frame, const Raster32& chart, const ViewMapping& mapping,
                           QColor background) {
  SampleChartView(chart, mapping, frame.width(), frame.height(), background.rgb(),
                  reinterpret_cast<std::uint32_t*>(frame.bits()),
                  static_cast<std::size_t>(frame.bytesPerLine()) / sizeof(std::uint32_t));
}

void ChartView::paintEvent(QPaintEvent* /*event*/) {
  if (frame_.size() != size()) frame_ = QImage(size(), QImage::Format_RGB32);
  static const Raster32 kNoChart;
  PaintChart(frame_, chart_ ? *chart_ : kNoChart, mapping_, palette().color(QPalette::Dark));
  QPainter painter(this);
  painter.drawImage(0, 0, frame_);
  if (!overlay_.isNull()) painter.drawImage(0, 0, overlay_);
}

void ChartView::mousePressEvent(QMouseEvent* event) {
  emit Pressed(event->position().toPoint());
  emit PressedWithButton(event->position().toPoint(), event->button() != Qt::LeftButton);
}

void ChartView::resizeEvent(QResizeEvent* /*event*/) {
  emit Resized();
}

}  // namespace cz
