#include "workspace/ChartGeoReferenceCommands.h"

#include <algorithm>
#include <optional>
#include <string>

#include "georef/ChartGeoReference.h"
#include "imaging/TiffNoData.h"
#include "platform/Error.h"

namespace cz {
namespace {

// Applies the chart's georeference and redraws; a refusal goes to a message box.
void ApplyAndRedraw(MapSourceState& source, const ChartProjection& chart, UserInterface& ui,
                    SourceView& view) {
  try {
    ApplyChartGeoReference(source, chart, source.GeoRef);
  } catch (const CartozenError& error) {
    ui.ShowMessage(error.what());
    return;
  }
  view.DrawGridFromGeoRef(source.GeoRef, ui);
  view.EnableGeoReferenceControls();  // the manual grid's controls
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

void OfferChartGeoReference(MapSourceState& source, UserInterface& ui, SourceView& view) {
  const std::optional<ChartProjection> chart =
      ReadOrReport(source.Path, [&ui](const std::string& text) { ui.SetStatusText(text); });
  if (chart && ui.Confirm(kUseChartGeoReferenceQuestion)) ApplyAndRedraw(source, *chart, ui, view);
  if (HasNoDataPixels(source) && ui.Confirm(kUseChartNoDataQuestion)) {
    source.Coverage.Transparency = true;
    SaveMapINI(source);
  }
}

void UseChartGeoReference(MapSourceState& source, UserInterface& ui, SourceView& view) {
  if (!source.Loaded) {
    ui.ShowMessage(kNoMapImageLoadedText);
    return;
  }
  bool refused = false;
  const std::optional<ChartProjection> chart =
      ReadOrReport(source.Path, [&ui, &refused](const std::string& text) {
        ui.ShowMessage(text);
        refused = true;
      });
  if (refused) return;
  if (!chart) {
    ui.ShowMessage(NoGeoReferenceText(source.Path));
    return;
  }
  ApplyAndRedraw(source, *chart, ui, view);
}

}  // namespace cz
