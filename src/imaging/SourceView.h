#pragma once
// The main view's share of loading a source image. The main window implements it: it owns
// the view's scale, zoom control and scroll bars, and draws the grid over the chart. Command-
// line runs and tests pass their own; the defaults do nothing.

namespace cz {

class SourceView {
 public:
  virtual ~SourceView() = default;

  // Before decoding: the view's scale goes back to 0.25 (the raster has just been emptied).
  virtual void ResetForLoad() {}
  // After a successful decode, before the image counts as loaded: the zoom control at 24
  // (scale 0.25), both scroll bars at 0, the scroll ranges for the new image, then the grid
  // laid out and drawn from the current georeference. May throw; the load then fails.
  virtual void ShowLoadedImage() {}
  // After the loaded flag is set: the georeference controls become usable.
  virtual void EnableGeoReferenceControls() {}
  // After the georeference of the loaded chart changed outside a load (taken from the chart
  // itself): the grid laid out and drawn again.
  virtual void RedrawGrid() {}
};

}  // namespace cz
