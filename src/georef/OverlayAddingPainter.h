#pragma once
// A painter that adds the chart's coverage (CoverageDrawing.h) and the grid report's markers
// (GridReportDrawing.h) to every overlay drawn through it, just before the overlay ends (the
// grid drawing begins and ends the overlay itself).

#include "georef/CoverageDrawing.h"
#include "georef/GridReportDrawing.h"

namespace cz {

class OverlayAddingPainter : public GridPainter {
 public:
  explicit OverlayAddingPainter(GridPainter& inner) : inner_(inner) {}
  // What the next overlays show (either may be null), and the view they are drawn for.
  void Set(const CoverageOverlay* coverage, const GridReport* report, const ViewMapping& view) {
    coverage_ = coverage;
    report_ = report;
    view_ = view;
  }

  void BeginOverlay() override { inner_.BeginOverlay(); }
  void SetPen(const OverlayPen& pen) override { inner_.SetPen(pen); }
  void DrawLine(PixelPoint from, PixelPoint to) override { inner_.DrawLine(from, to); }
  void DrawRectangleOutline(PixelPoint topLeft, PixelPoint bottomRight) override {
    inner_.DrawRectangleOutline(topLeft, bottomRight);
  }
  void DrawText(PixelPoint topLeft, const std::string& text, OverlayColour colour) override {
    inner_.DrawText(topLeft, text, colour);
  }
  void EndOverlay() override {
    if (coverage_) DrawCoverageOverlay(*coverage_, view_, inner_);
    if (report_) DrawGridReportMarkers(*report_, view_, inner_);
    inner_.EndOverlay();
  }

 private:
  GridPainter& inner_;
  const CoverageOverlay* coverage_ = nullptr;
  const GridReport* report_ = nullptr;
  ViewMapping view_;
};

}  // namespace cz
