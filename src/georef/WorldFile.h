#pragma once
// World files (".BPW" beside a chart): the pixel size and the position of the upper-left
// pixel of a north-up plate-carrée chart, and the corner references taken from them.
//
// The file holds one decimal number per line in the locale's notation (LocaleNumber.h):
// A (degrees of longitude per pixel), D and B (rotation terms, read and ignored), E (degrees
// of latitude per pixel, negative for north-up charts), C and F (longitude and latitude of
// the upper-left pixel itself, not of its corner). A line that does not convert, or a
// missing line, counts as 0; lines after the sixth are not read.

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

#include "geo/GeoReference.h"
#include "imaging/MapSource.h"
#include "port/UserInterface.h"

namespace cz {

struct WorldFile {
  double A = 0.0;  // x pixel size
  double D = 0.0;  // rotation
  double B = 0.0;  // rotation
  double E = 0.0;  // y pixel size
  double C = 0.0;  // longitude of pixel column 0
  double F = 0.0;  // latitude of pixel row 0
};

// Longer lines than this are not numbers anyway; they count as 0 without being kept.
inline constexpr std::size_t kMaxWorldFileLine = 1024;

// Reads the first six lines of in (ended by LF, CR LF or CR) in the locale's notation, or
// with the given decimal separator. Never throws.
WorldFile ParseWorldFile(std::istream& in);
WorldFile ParseWorldFile(std::istream& in, std::string_view decimalSeparator);

enum class WorldFileCornersResult : std::uint8_t {
  Set,
  ZeroPixelSize,  // A or E is 0: the file cannot place any pixel
  OutOfRange,     // the corner arithmetic leaves the numbers or the 32-bit pixel range
};

// Sets TopLeft and BottomRight to the whole-degree graticule points inside a chart of
// width × height pixels, with a = |A| and e = |E|:
//   TopLeft.Latitude = Floor(F); TopLeft.Longitude = C when whole, else Floor(C) + 1;
//   BottomRight.Longitude = Floor(width × a + C); BottomRight.Latitude = Floor(F − height × e) + 1;
//   TopLeft.X = Trunc((TopLeft.Longitude − C) / a); TopLeft.Y = Trunc((F − TopLeft.Latitude) / e);
//   BottomRight.X = Trunc((BottomRight.Longitude − TopLeft.Longitude) / a) + TopLeft.X;
//   BottomRight.Y = Trunc((TopLeft.Latitude − BottomRight.Latitude) / e) + TopLeft.Y.
// On any result but Set, geoRef is unchanged. The method, the skews and the grid points are
// never touched. Corners that come out of order (a chart under one degree) are still Set;
// the layout then draws no grid.
WorldFileCornersResult CornersFromWorldFile(const WorldFile& world, std::int32_t width,
                                            std::int32_t height, GeoReference& geoRef);

// "Read BPW": reads the world file of the loaded source, named like the chart with the
// extension ".BPW" (found without regard to case), into the source's corner references.
// Returns true when the corners were set; the caller then redraws the grid
// (DrawGridFromGeoRef), which lays it out again. Without a loaded source or without the file
// nothing happens and false is returned. A file giving a zero pixel size or numbers out of
// range is refused with a status-line text naming it, and false. Throws CartozenError
// ("Unable to open file '...'") when the file exists but cannot be read. Writes nothing.
bool ReadBpwFile(MapSourceState& source, UserInterface& ui);

}  // namespace cz
