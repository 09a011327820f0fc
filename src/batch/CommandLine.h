#pragma once
// The command line: a sequence of switches ("/" and a letter, any case), each followed by its
// own arguments, read once per process into the run state (CommandLineState) by
// CommandLineBatch when the start-up timer fires.
//
//   /P folder     project folder; a bare name is a folder in the program folder  SwitchSet |= 1
//   /S name       source image in the project's "Map Sources" (or the import's tree) |= 2
//   /X lat lon dlat dlon   top-left corner and extents, locale decimal numbers      |= 4
//   /G            in place of /X: the chart's own georeference (GeoTIFF)           |= 4
//   /T fit        with /G, a chart of control points: "1", "2", "3" (polynomial order) or
//                 "spline"; without it, the chart's last choice, else order 1
//   /F            with /X or /G: the grid fitted to the printed graticule before the
//                 tiles are made (GraticuleFit.h); the fit's summary goes to standard error
//   /B n s w e    the chart's coverage box: north, south, west, east, locale decimal
//                 degrees (negative south and west); with /S like /X and /G
//   /A            the chart's coverage from its transparency (alpha 0, a GeoTIFF's nodata);
//                 beside /E: transparent and missing web tiles lie outside the coverage
//   /R degrees    one tile resolution: "0.25", "0.5", "1", "2" or "4" (repeatable) |= 8
//   /D            deletes the "*.GIF" tiles of the project of an earlier /P, at once
//   /M /N         build maps at the end / no processing, stay open
//   /O ext        map-file extension in place of "MAP"
//   /E lat lon z1..z5   EPSG3857 import                                        SwitchSet = 16
//   /C lat lon    cell job: the project batch of the 8 × 8° map cell with that north-west
//                 corner, clipped to it, then its map file (workspace/CellJobs.h)
//   /J            the project's job list: one /C command line per cell its charts reach
//
// Problems are written to the error log ("Error.txt", LogError) with the program's own texts;
// a failing switch ends the reading, and the application closes without running anything.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geo/ChartCoverage.h"
#include "geo/ControlPointFitKind.h"
#include "geo/MapCell.h"

namespace cz {

// The command line's run state, read from the switches.
struct CommandLineState {
  std::uint8_t ArgumentIndex = 0;
  std::uint32_t SwitchSet = 0;       // 1 /P, 2 /S, 4 /X or /G, 8 /R; /E sets it to 16
  bool MakeMaps = false;             // /M
  bool NoProcessing = false;         // /N
  std::string ProjectFolder;         // /P, as resolved
  std::string SourceArgument;        // /S
  std::string MapExtension;          // /O; empty means "MAP"
  float Position[4] = {0, 0, 0, 0};  // /X: top-left latitude, longitude, extents south, east
  bool PositionFromChart = false;    // /G: the chart's own georeference (the later of /X, /G)
  bool FitGrid = false;              // /F
  std::optional<ControlPointFitKind> ControlPointFit;  // /T
  std::optional<LatLonBox> CoverageBox;  // /B
  bool CoverageFromTransparency = false;  // /A
  std::int32_t ResolutionMask = 0;   // /R: bit k = TileLevel k
  std::int32_t ImportLatitude = 0;   // /E: the map cell, whole degrees
  std::int32_t ImportLongitude = 0;
  std::uint8_t ImportZooms[5] = {0, 0, 0, 0, 0};  // /E: EFIS zoom 1..5 -> web zoom 7..11 (0..4)
  bool Active = false;  // a command-line run is in progress (messages are logged, not shown)
  std::optional<MapCell> Cell;  // /C
  bool JobList = false;         // /J
};

// The program's arguments, without the program name: argument 1 is the first switch. Only
// the first 255 can be reached (the run state counts them in a byte); reading past the end
// gives empty text.
class CommandArguments {
 public:
  static constexpr int kMaxArguments = 255;

  explicit CommandArguments(std::vector<std::string> arguments);
  int Count() const { return static_cast<int>(arguments_.size()); }
  std::string At(int index) const;  // 1-based

 private:
  std::vector<std::string> arguments_;
};

// The start-up timer: 100 ms when there are arguments, else 3000 ms (only the splash waits).
int StartUpTimerInterval(int argumentCount);

// Reads the switch at index and its arguments; index ends on the last argument consumed.
// Returns false, after logging why, when the run must stop.
bool ParseSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);

// The switch handlers (index is on the switch; each reads its arguments as described above).
bool ProjectSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool SourceSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool PositionSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool ChartPositionSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool ResolutionSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool CoverageBoxSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool TransparencySwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool DeleteTilesSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool MakeMapsSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool NoProcessingSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool ExtensionSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool ImportSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool ControlPointFitSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);

// After the last switch: whether the switches make sense together (/T only beside /G);
// false, after logging why, when the run must stop.
bool SwitchesAgree(const CommandLineState& run);
bool CellSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);
bool JobListSwitch(CommandLineState& run, const CommandArguments& arguments, int& index);

// The letters of the switches in order (upper case), each switch's arguments passed over
// without acting on them; the walk stops at the first argument that is not a switch, where
// the reading stops too. Lets the program see a cell job (/C, /J) before it starts up.
std::string SwitchLetters(const CommandArguments& arguments);

// A /C or /J command line: it runs as a cell job (workspace/CellJobs.h), not as a run of the
// program's own start-up, switches and closing.
bool IsCellCommand(const CommandArguments& arguments);

// /P: a bare name (no "/" or "\") names a folder in the program folder (ProgramDataFolder(): the
// executable's folder, or the per-user one of an installed copy); anything else is used
// unchanged.
std::string ResolveProjectFolderArgument(const std::string& argument);

// A decimal number as a person types it, in the locale's notation (ParseLocaleDecimal), kept
// in single precision. A value outside the float range is not a number.
bool ParseLocaleFloat(const std::string& text, float& value);

// /R's texts: the level mask bit of "0.25", "0.5", "1", "2" or "4"; 0 for any other text.
std::int32_t ResolutionBit(const std::string& text);

// /E's values: a decimal integer, or 0 for any other text.
std::int32_t IntegerOrZero(const std::string& text);

}  // namespace cz
