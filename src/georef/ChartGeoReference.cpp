#include "georef/ChartGeoReference.h"

#include <utility>

#include "georef/ChartGrid.h"
#include "imaging/MapSource.h"
#include "platform/Paths.h"
#include "project/ControlPointSettings.h"

namespace cz {

std::string NoGeoReferenceText(const std::string& path) {
  return "No georeference in " + ExtractFileName(path);
}

std::optional<ChartProjection> ReadChartGeoReference(const std::string& path,
                                                     std::optional<ControlPointFitKind> fit) {
  const std::string ext = UpperCase(ExtractFileExt(path));
  if (ext != ".TIF" && ext != ".TIFF") return std::nullopt;
  if (!fit) fit = LoadControlPointFit(path);
  return ReadGeoTiffReference(path, fit.value_or(ControlPointFitKind::Order1));
}

void ApplyChartGeoReference(MapSourceState& source, const ChartProjection& chart,
                            const GeoReference& options) {
  GeoReference geo = GridFromChartProjection(chart, source.Path, source.Coverage.Active());
  geo.MapResolution = options.MapResolution;
  geo.ColorReduction = options.ColorReduction;
  geo.Dithering = options.Dithering;
  std::swap(source.GeoRef, geo);
  try {
    SaveMapINI(source);
    SaveControlPointFit(source.Path, chart.FitKind());
  } catch (...) {
    std::swap(source.GeoRef, geo);
    throw;
  }
}

}  // namespace cz
