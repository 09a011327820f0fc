#pragma once
// What the import window holds between showings: the chosen map cell, whether the tile tree's
// folder exists, and which web zoom serves each EFIS level. The folder itself is the project's
// EPSG3857 source folder (ProjectState::Epsg3857SourceFolder), which the project file keeps.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "importer/CellPicker.h"
#include "project/Project.h"

namespace cz {

inline constexpr int kEfisZoomCount = 5;  // EFIS zoom 1..5 serve TileLevel 0..4

struct ImportState {
  std::int32_t NorthEdge = 0;  // the chosen cell's north-west corner, whole degrees
  std::int32_t WestEdge = 0;
  bool CellChosen = false;
  bool FolderValid = false;
  // Item index per radio group: 0..4 mean web zoom 7..11. Group k + 1 serves TileLevel k; the
  // defaults give 0.25° tiles from zoom 7 up to 4° tiles from zoom 11. An index outside 0..4
  // (possible from the command line) chooses no zoom at all.
  std::array<std::uint8_t, kEfisZoomCount> ZoomChoices = {0, 1, 2, 3, 4};
  // Transparent pixels and missing web tiles lie outside the mosaics' coverage, so tiles keep
  // what charts left there; off, they are black over it as they always were.
  bool CoverageFromTransparency = false;
};

inline constexpr char kImportTransparencyCaption[] =
    "Keep what charts left under transparent or missing tiles";

// The radio groups' captions and item texts, in order.
extern const std::array<const char*, kEfisZoomCount> kEfisZoomCaptions;
extern const std::array<const char*, kEfisZoomCount> kWebZoomItems;

// The level mask (bit k = TileLevel k) of the radio groups that chose web zoom `zoom`.
std::uint8_t LevelsForZoom(const std::array<std::uint8_t, kEfisZoomCount>& choices, int zoom);

// The picker (Image1MouseDown): the cell under world-map pixel (x, y) becomes the chosen cell.
// Returns what the window shows: the cell's name and the frame to draw.
PickedCell ChooseCellAt(ImportState& state, std::int32_t x, std::int32_t y);

// Sets the tile tree's folder: it becomes the project's EPSG3857 source folder, and the
// folder is valid when it exists (an empty text never is).
void SetImportSourceFolder(ImportState& state, ProjectState& project, const std::string& folder);

// Why a cell cannot be imported, or nothing when it can. Web-mercator tiles end at 85.0511°
// N and S and the projection has no value at the poles, so cells whose mosaics or grid points
// would reach a pole (the top row, north edge 90, and the bottom row, north edge −86) are
// refused; so are west edges outside −180..172, whose tiles would fall off the tile grid.
std::optional<std::string> CheckImportCell(std::int32_t northEdge, std::int32_t westEdge);

}  // namespace cz
