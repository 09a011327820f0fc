#include "importer/ImportRun.h"

#include <exception>
#include <new>
#include <string>

#include "georef/GridLayout.h"
#include "importer/WebMercator.h"
#include "platform/Error.h"

namespace cz {

namespace {

// The mosaic is dropped and no map is loaded, so the tile creation that follows reports that
// there is nothing to process; the reason stays visible in the status line.
void DropMosaic(MosaicTarget& target, const std::string& reason) {
  target.Source.Image.Release();
  target.Source.Loaded = false;
  target.Ui.SetStatusText(reason);
}

void MosaicDone(MosaicTarget& target, std::uint8_t levels) {
  target.Source.GeoRef.MapResolution = levels;
  target.MosaicReady(levels);
}

}  // namespace

ImportJob ImportJobOf(const ImportState& import, const std::string& sourceFolder) {
  return ImportJob{import.NorthEdge, import.WestEdge, import.ZoomChoices, sourceFolder,
                   import.CoverageFromTransparency};
}

void BuildCellMosaic(MosaicTarget& target, const std::string& folder, const MosaicArea& area,
                     PngTileDecoder& decoder) {
  MapSourceState& source = target.Source;
  source.Loaded = false;
  source.Path.clear();
  source.Coverage = ChartCoverage{};
  source.Coverage.Transparency = decoder.Alpha() == PngAlpha::Kept;
  try {
    source.Image.Release();
    source.Image = Raster32(area.Width + 20, area.Height + 20);  // all 0: black, alpha 0
    target.Ui.ImportMosaicStarted();
    SetMosaicGeoReference(source.GeoRef, area);
    LoadPNGTiles(source.Image, folder, area, decoder, target.Ui);
    LayoutReferenceGrid(source.GeoRef);
    source.Loaded = true;
    target.Ui.ImportMosaicReady();
    target.Ui.SetStatusText(kImportStatusText);
  } catch (const OperationCancelled&) {
    DropMosaic(target, "");
    throw;
  } catch (const std::bad_alloc&) {
    DropMosaic(target, "Not enough memory for the EPSG3857 mosaic of " +
                           std::to_string(area.Width + 20) + " x " +
                           std::to_string(area.Height + 20) + " pixels");
  } catch (const std::exception& error) {
    DropMosaic(target, error.what());
  }
}

void ImportCellMosaics(const ImportJob& job, MosaicTarget& target) {
  PngTileDecoder decoder(job.CoverageFromTransparency ? PngAlpha::Kept : PngAlpha::Ignored);
  for (int zoom = kFirstImportZoom; zoom < kLastImportZoom; ++zoom) {
    BuildCellMosaic(target, job.SourceFolder, MakeMosaicArea(job.NorthEdge, job.WestEdge, 8, zoom),
                    decoder);
    MosaicDone(target, LevelsForZoom(job.ZoomChoices, zoom));
  }
  const std::uint8_t levels = LevelsForZoom(job.ZoomChoices, kLastImportZoom);
  if (levels == 0) return;
  // Quarters north-west, south-west, north-east, south-east.
  constexpr std::int32_t kLatitudeOffsets[4] = {0, 4, 0, 4};
  constexpr std::int32_t kLongitudeOffsets[4] = {0, 0, 4, 4};
  for (int quarter = 0; quarter < 4; ++quarter) {
    BuildCellMosaic(target, job.SourceFolder,
                    MakeMosaicArea(job.NorthEdge - kLatitudeOffsets[quarter],
                                   job.WestEdge + kLongitudeOffsets[quarter], 4, kLastImportZoom),
                    decoder);
    MosaicDone(target, levels);
  }
}

}  // namespace cz
