#pragma once
// The drawing surface of the georeference overlay, in view pixels. The app implements it on
// the transparent overlay over the chart view; tests record the calls.
//
// A drawing runs BeginOverlay, then pens, lines, rectangle outlines and texts, then
// EndOverlay. Black is the overlay's transparent colour, so only what is drawn shows over
// the chart; nothing is ever drawn in black.

#include <cstdint>
#include <string>

#include "georef/Segments.h"

namespace cz {

struct OverlayColour {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  friend bool operator==(const OverlayColour&, const OverlayColour&) = default;
};

inline constexpr OverlayColour kNavy{0, 0, 128};
inline constexpr OverlayColour kAqua{0, 255, 255};
inline constexpr OverlayColour kDarkGreen{0, 128, 0};
inline constexpr OverlayColour kLime{0, 255, 0};
inline constexpr OverlayColour kMaroon{128, 0, 0};
inline constexpr OverlayColour kRed{255, 0, 0};

struct OverlayPen {
  OverlayColour Colour;
  std::int32_t Width = 1;  // pixels
  friend bool operator==(const OverlayPen&, const OverlayPen&) = default;
};

class GridPainter {
 public:
  virtual ~GridPainter() = default;

  // Sizes the overlay to the chart view panel, fills it black and makes navy the text colour.
  virtual void BeginOverlay() = 0;
  // The pen of the lines and outlines that follow.
  virtual void SetPen(const OverlayPen& pen) = 0;
  virtual void DrawLine(PixelPoint from, PixelPoint to) = 0;
  // The outline of the rectangle with these corners; the inside is not filled.
  virtual void DrawRectangleOutline(PixelPoint topLeft, PixelPoint bottomRight) = 0;
  // Text with its top-left corner at topLeft, on a transparent background.
  virtual void DrawText(PixelPoint topLeft, const std::string& text, OverlayColour colour) = 0;
  // Makes black transparent and shows the drawing.
  virtual void EndOverlay() = 0;
};

// Draws nothing: for runs without a chart view, where only the layout matters.
class NullGridPainter : public GridPainter {
 public:
  void BeginOverlay() override {}
  void SetPen(const OverlayPen&) override {}
  void DrawLine(PixelPoint, PixelPoint) override {}
  void DrawRectangleOutline(PixelPoint, PixelPoint) override {}
  void DrawText(PixelPoint, const std::string&, OverlayColour) override {}
  void EndOverlay() override {}
};

}  // namespace cz
