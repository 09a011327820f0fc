#pragma once
// The main view's share of loading a source image. The main window implements it: it owns
// the view's scale, zoom control and scroll bars, and draws the grid over the chart. Runs
// without a chart view use GridLayoutView (georef/GridLayoutView.h), which lays the grid out
// without drawing it.
//
// Every load lays the new source's grid out (DrawGridFromGeoRef has no default), so that no
// caller can create tiles of a new chart with the grid the previous chart left behind.

namespace cz {

struct GeoReference;
class UserInterface;

class SourceView {
 public:
  virtual ~SourceView() = default;

  // Before decoding: the view's scale goes back to 0.25 (the raster has just been emptied).
  virtual void ResetForLoad() {}
  // After a successful decode, before the image counts as loaded: the zoom control at 24
  // (scale 0.25), both scroll bars at 0 and the scroll ranges for the new image. May throw;
  // the load then fails.
  virtual void ShowLoadedImage() {}
  // Right after ShowLoadedImage: lays the reference grid out from geoRef and draws it over
  // the chart view; a refused layout puts its reason in the status line. May throw; the load
  // then fails.
  virtual void DrawGridFromGeoRef(GeoReference& geoRef, UserInterface& ui) = 0;
  // After the loaded flag is set: the georeference controls become usable.
  virtual void EnableGeoReferenceControls() {}
};

}  // namespace cz
