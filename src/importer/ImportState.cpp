#include "importer/ImportState.h"

#include "importer/WebMercator.h"
#include "platform/FileSystem.h"

namespace cz {

const std::array<const char*, kEfisZoomCount> kEfisZoomCaptions = {
    "EFIS zoom  1 (lowest)", "EFIS zoom  2", "EFIS zoom  3", "EFIS zoom  4",
    "EFIS zoom  5 (highest)"};

const std::array<const char*, kEfisZoomCount> kWebZoomItems = {
    "Use EPSG3857 zoom level 7", "Use EPSG3857 zoom level 8", "Use EPSG3857 zoom level 9",
    "Use EPSG3857 zoom level 10", "Use EPSG3857 zoom level 11"};

std::uint8_t LevelsForZoom(const std::array<std::uint8_t, kEfisZoomCount>& choices, int zoom) {
  std::uint8_t levels = 0;
  for (int k = 0; k < kEfisZoomCount; ++k) {
    const bool chosen = choices[k] < kWebZoomItems.size() && choices[k] + kFirstImportZoom == zoom;
    if (chosen) levels |= static_cast<std::uint8_t>(1u << k);
  }
  return levels;
}

PickedCell ChooseCellAt(ImportState& state, std::int32_t x, std::int32_t y) {
  PickedCell cell = PickCell(x, y);
  state.NorthEdge = cell.NorthEdge;
  state.WestEdge = cell.WestEdge;
  state.CellChosen = true;
  return cell;
}

void SetImportSourceFolder(ImportState& state, ProjectState& project, const std::string& folder) {
  project.Epsg3857SourceFolder = folder;
  state.FolderValid = !folder.empty() && DirectoryExists(folder);
}

std::optional<std::string> CheckImportCell(std::int32_t northEdge, std::int32_t westEdge) {
  // The deepest latitude used is the last grid row of an 8-degree mosaic: north edge − 9.
  if (northEdge >= 90 || northEdge - 9 <= -90) {
    return "Cannot import " + CellNameWithoutExtension(westEdge, northEdge) +
           ": the cell reaches the pole, and EPSG3857 tiles end at 85.0511 degrees north and "
           "south. Choose a cell with its north edge between 82 N and 78 S.";
  }
  if (westEdge < -180 || westEdge > 172) {
    return "Cannot import " + CellNameWithoutExtension(westEdge, northEdge) +
           ": the west edge must lie between 180 W and 172 E.";
  }
  return std::nullopt;
}

}  // namespace cz
