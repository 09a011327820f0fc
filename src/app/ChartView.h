#pragma once
// The chart view of the main window: the zoomable, scrollable view of the source raster
// (Image321) with the transparent overlay on which the georeference grid is drawn (Image1),
// as one widget.
//
// The chart is sampled straight from the Raster32's memory into a frame of the view's size
// (SampleChartView): only the pixels shown are read, nearest pixel, never a copy of the chart.
// The view's scale and offsets are a ViewMapping (one scale for both axes; the offsets are
// minus the scroll positions), and a pixel shown at (u, v) is the source pixel a press at
// (u, v) picks. (Qt's scaled drawing samples pixel centres, half a step away from that pixel:
// 50 source pixels at scale 0.01.) The overlay is a transparent image of the widget's size;
// QtGridPainter draws on it.
//
// Every mouse-button press, whatever the button, is reported by Pressed in view pixels.

#include <QColor>
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

  // Fills frame (Format_RGB32, the view's size) with the visible part of chart and the
  // background colour around it. Shared with the paint benchmark.
  static void PaintChart(QImage& frame, const Raster32& chart, const ViewMapping& mapping,
                         QColor background);

 signals:
  // A mouse-button press at view pixel position; secondary: not the left button.
  void Pressed(QPoint position);
  void PressedWithButton(QPoint position, bool secondary);
  void Resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  const Raster32* chart_ = nullptr;
  ViewMapping mapping_;
  QImage frame_;  // the chart as shown, reused from paint to paint
  QImage overlay_;
};

}  // namespace cz
