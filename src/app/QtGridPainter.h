#pragma once
// The georeference overlay drawn with QPainter on the chart view's transparent overlay
// (Image1). A drawing starts from a clear overlay of the view's size; what is drawn shows
// over the chart when the drawing ends.

#include <QPainter>

#include "georef/GridPainter.h"

namespace cz {

class ChartView;

class QtGridPainter : public GridPainter {
 public:
  explicit QtGridPainter(ChartView& view) : view_(view) {}

  void BeginOverlay() override;
  void SetPen(const OverlayPen& pen) override;
  void DrawLine(PixelPoint from, PixelPoint to) override;
  void DrawRectangleOutline(PixelPoint topLeft, PixelPoint bottomRight) override;
  void DrawText(PixelPoint topLeft, const std::string& text, OverlayColour colour) override;
  void EndOverlay() override;

 private:
  ChartView& view_;
  QPainter painter_;
};

}  // namespace cz
