#include "workspace/ChartGeoReferenceCommands.h"

#include <algorithm>
#include <optional>
#include <string>

#include "georef/ChartGeoReference.h"
#include "georef/WidenedGrid.h"
#include "imaging/TiffNoData.h"
#include "platform/Error.h"

namespace cz {
namespace {

// Applies the chart's georeference and redraws; a refusal goes to a message box.
std::optional<ControlPointReport> ApplyAndRedraw(MapSourceState& source,
                                                 const ChartProjection& chart, UserInterface& ui,
                                                 SourceView& view) {
  try {
    ApplyChartGeoReference(source, chart, source.GeoRef);
  } catch (const CartozenError& error) {
    ui.ShowMessage(error.what());
    return std::nullopt;
  }
  view.DrawGridFromGeoRef(source.GeoRef, ui);
  view.EnableGeoReferenceControls();  // the manual grid's controls
  if (!chart.ControlPoints()) return std::nullopt;
  ui.SetStatusText(ControlPointSummary(*chart.ControlPoints()));
  return *chart.ControlPoints();
}

// A chart of control points, read with its last fit, is read again with the fit the person
// chooses; nothing for Cancel or a refusal of that fit (in a message box).
std::optional<ChartProjection> WithChosenFit(std::optional<ChartProjection> chart,
                                             const std::string& path, UserInterface& ui) {
  if (!chart || !chart->FitKind()) return chart;
  const std::optional<std::size_t> chosen = ui.Choose(
      kChooseControlPointFitQuestion, ControlPointFitOptions(), std::size_t(*chart->FitKind()));
  if (!chosen || *chosen > std::size_t(ControlPointFitKind::Spline)) return std::nullopt;
  const auto kind = static_cast<ControlPointFitKind>(*chosen);
  if (kind == *chart->FitKind()) return chart;
  try {
    return ReadChartGeoReference(path, kind);
  } catch (const CartozenError& error) {
    ui.ShowMessage(error.what());
    return std::nullopt;
  }
}

// The chart's georeference, or nothing; a refusal is handed to report.
template <typename Report>
std::optional<ChartProjection> ReadOrReport(const std::string& path, Report report) {
  try {
    return ReadChartGeoReference(path);
  } catch (const CartozenError& error) {
    report(error.what());
    return std::nullopt;
  }
}

// Whether the loaded chart has pixels its nodata value made transparent: only then is there a
// mask to offer (a layout that loads without the value has none).
bool HasNoDataPixels(const MapSourceState& source) {
  if (source.Coverage.Transparency || !ReadTiffNoData(source.Path)) return false;
  const std::uint32_t* pixels = source.Image.Pixels();
  return std::any_of(pixels, pixels + source.Image.PixelCount(),
                     [](std::uint32_t pixel) { return AlphaOf(pixel) == 0; });
}

}  // namespace

std::vector<std::string> ControlPointFitOptions() {
  return {"Polynomial of order 1 (affine)", "Polynomial of order 2", "Polynomial of order 3",
          "Thin-plate spline (through every point)"};
}

std::optional<ControlPointReport> OfferChartGeoReference(MapSourceState& source, UserInterface& ui,
                                                         SourceView& view) {
  std::optional<ControlPointReport> report;
  std::optional<ChartProjection> chart =
      ReadOrReport(source.Path, [&ui](const std::string& text) { ui.SetStatusText(text); });
  if (chart && ui.Confirm(kUseChartGeoReferenceQuestion)) {
    chart = WithChosenFit(std::move(chart), source.Path, ui);
    if (chart) report = ApplyAndRedraw(source, *chart, ui, view);
  }
  if (HasNoDataPixels(source) && ui.Confirm(kUseChartNoDataQuestion)) {
    source.Coverage.Transparency = true;
    SaveMapINI(source);
  }
  return report;
}

std::optional<ControlPointReport> UseChartGeoReference(MapSourceState& source, UserInterface& ui,
                                                       SourceView& view) {
  if (!source.Loaded) {
    ui.ShowMessage(kNoMapImageLoadedText);
    return std::nullopt;
  }
  bool refused = false;
  std::optional<ChartProjection> chart =
      ReadOrReport(source.Path, [&ui, &refused](const std::string& text) {
        ui.ShowMessage(text);
        refused = true;
      });
  if (refused) return std::nullopt;
  if (!chart) {
    ui.ShowMessage(NoGeoReferenceText(source.Path));
    return std::nullopt;
  }
  const std::optional<ChartProjection> fitted = WithChosenFit(std::move(chart), source.Path, ui);
  if (!fitted) return std::nullopt;
  return ApplyAndRedraw(source, *fitted, ui, view);
}

std::optional<ControlPointReport> ControlPointReportOf(const MapSourceState& source) {
  if (!source.Loaded || source.GeoRef.Method() != GeoReferencingMethod::ManualGrid) {
    return std::nullopt;
  }
  try {
    const std::optional<ChartProjection> chart = ReadChartGeoReference(source.Path);
    if (chart && chart->ControlPoints() && GridIsChartProjection(source.GeoRef, *chart)) {
      return *chart->ControlPoints();
    }
  } catch (const CartozenError&) {
    // A georeference that cannot be used has no report; the grid stands on its own.
  }
  return std::nullopt;
}

}  // namespace cz
