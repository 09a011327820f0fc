#pragma once
// The chart view of the main window: the zoomable, scrollable view of the source raster
// (Image321) with the transparent overlay on which the georeference grid is drawn (Image1),
// as one widget.
//
// The chart is painted from the Raster32's own memory, through a QImage that wraps it: only
// the part that is visible, with fast nearest-pixel sampling, never a copy of the chart. The
// view's scale and offsets are a ViewMapping (one scale for both axes; the offsets are minus
// the scroll positions), so a pixel shown at (u, v) is the source pixel a press at (u, v)
// picks. The overlay is a transparent image of the widget's size; QtGridPainter draws on it.
//
// Every mouse-button press, whatever the button, is reported by Pressed in view pixels.

#include <QImage>
#include <QWidget>

#include "georef/ViewMapping.h"

namespace cz {

class Raster32;

class ChartView : public QWidget {
  Q_OBJECT
 public:
  explicit ChartView(QWidget* parent = nullptr);

  // The raster shown; it is read at every paint, so a raster that is refilled or reallocated
  // in place shows its new pixels after update(). Null or empty shows the background only.
  void SetChart(const Raster32* chart);
  void SetMapping(const ViewMapping& mapping);
  const ViewMapping& Mapping() const { return mapping_; }

  // The overlay (Image1): transparent where nothing is drawn.
  QImage& Overlay() { return overlay_; }

  // Paints the visible part of chart into a view of viewSize pixels (the background is left
  // as it is). Shared with the paint benchmark.
  static void PaintChart(QPainter& painter, const Raster32& chart, const ViewMapping& mapping,
                         QSize viewSize);

 signals:
  // A mouse-button press at view pixel position.
  void Pressed(QPoint position);
  void Resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  const Raster32* chart_ = nullptr;
  ViewMapping mapping_;
  QImage overlay_;
};

}  // namespace cz
