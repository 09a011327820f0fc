#pragma once
// Test double of the overlay painter: every call as one line of text.

#include <string>
#include <vector>

#include "georef/GridPainter.h"

namespace cz::testing {

inline std::string Describe(OverlayColour c) {
  return std::to_string(c.Red) + "," + std::to_string(c.Green) + "," + std::to_string(c.Blue);
}

inline std::string Describe(PixelPoint p) {
  return "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
}

class RecordingPainter : public GridPainter {
 public:
  void BeginOverlay() override { calls.push_back("begin"); }
  void SetPen(const OverlayPen& pen) override {
    calls.push_back("pen " + Describe(pen.Colour) + " w" + std::to_string(pen.Width));
  }
  void DrawLine(PixelPoint from, PixelPoint to) override {
    calls.push_back("line " + Describe(from) + "-" + Describe(to));
  }
  void DrawRectangleOutline(PixelPoint topLeft, PixelPoint bottomRight) override {
    calls.push_back("rect " + Describe(topLeft) + "-" + Describe(bottomRight));
  }
  void DrawText(PixelPoint topLeft, const std::string& text, OverlayColour colour) override {
    calls.push_back("text " + Describe(topLeft) + " " + text + " " + Describe(colour));
  }
  void EndOverlay() override { calls.push_back("end"); }

  std::vector<std::string> calls;
};

}  // namespace cz::testing
