#pragma once
// The chart view of runs without one (the command line, the project batch without a window,
// tests): a loaded source's grid is laid out exactly as the main window lays it out, but
// nothing is drawn.

#include "imaging/SourceView.h"

namespace cz {

class GridLayoutView : public SourceView {
 public:
  void DrawGridFromGeoRef(GeoReference& geoRef, UserInterface& ui) override;
};

}  // namespace cz
