#include "georef/GridLayoutView.h"

#include "georef/GridDrawing.h"

namespace cz {

void GridLayoutView::DrawGridFromGeoRef(GeoReference& geoRef, UserInterface& ui) {
  NullGridPainter overlay;
  cz::DrawGridFromGeoRef(geoRef, ViewMapping{}, overlay, ui);
}

}  // namespace cz
