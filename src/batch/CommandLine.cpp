#include "batch/CommandLine.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "geo/Antimeridian.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "platform/LocaleNumber.h"
#include "platform/Paths.h"
#include "port/ErrorLog.h"
#include "tiling/TileFiles.h"

namespace cz {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Characters, not bytes: "/é" is a two-character switch (and an unknown one).
std::size_t CharacterCount(std::string_view utf8) {
  std::size_t count = 0;
  for (const char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

// The argument after the current one; index moves onto it.
std::string NextArgument(const CommandArguments& arguments, int& index) {
  ++index;
  return arguments.At(index);
}

// A whole decimal integer, blanks around it allowed; nothing for any other text.
std::optional<std::int32_t> StrictInteger(const std::string& text) {
  std::string_view number = TrimBlanks(text);
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || error != std::errc() || end != number.data() + number.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

CommandArguments::CommandArguments(std::vector<std::string> arguments)
    : arguments_(std::move(arguments)) {
  if (arguments_.size() > static_cast<std::size_t>(kMaxArguments)) arguments_.resize(kMaxArguments);
}

std::string CommandArguments::At(int index) const {
  if (index < 1 || index > Count()) return std::string();
  return arguments_[static_cast<std::size_t>(index - 1)];
}

int StartUpTimerInterval(int argumentCount) {
  return argumentCount > 0 ? 100 : 3000;
}

std::string ResolveProjectFolderArgument(const std::string& argument) {
  if (LastSeparator(argument) == std::string::npos) return ProgramDataFolder() + argument;
  return argument;
}

bool ParseLocaleFloat(const std::string& text, float& value) {
  const std::optional<double> parsed = ParseLocaleDecimal(text);
  // The position is kept in single precision: a number beyond its range is not understood.
  if (!parsed || std::fabs(*parsed) > std::numeric_limits<float>::max()) return false;
  value = static_cast<float>(*parsed);
  return true;
}

std::int32_t ResolutionBit(const std::string& text) {
  if (text == "0.25") return 1;
  if (text == "0.5") return 2;
  if (text == "1") return 4;
  if (text == "2") return 8;
  if (text == "4") return 16;
  return 0;
}

std::int32_t IntegerOrZero(const std::string& text) {
  return StrictInteger(text).value_or(0);
}

bool ProjectSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  run.SwitchSet |= 1;
  run.ProjectFolder = ResolveProjectFolderArgument(NextArgument(arguments, index));
  if (!DirectoryExists(run.ProjectFolder)) {
    LogError("Project folder " + run.ProjectFolder + " not found");
    return false;
  }
  return true;
}

bool SourceSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  run.SwitchSet |= 2;
  run.SourceArgument = NextArgument(arguments, index);
  return true;
}

bool PositionSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  // Each number is kept as soon as it is read; the bit only when all four are.
  for (float& value : run.Position) {
    const std::string argument = NextArgument(arguments, index);
    if (!ParseLocaleFloat(argument, value)) {
      LogError("Cannot understand position: " + argument);
      return false;
    }
  }
  run.SwitchSet |= 4;
  run.PositionFromChart = false;
  return true;
}

bool ChartPositionSwitch(CommandLineState& run, const CommandArguments&, int&) {
  run.SwitchSet |= 4;
  run.PositionFromChart = true;
  return true;
}

bool FitGridSwitch(CommandLineState& run, const CommandArguments&, int&) {
  run.FitGrid = true;
  return true;
}

bool ControlPointFitSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  const std::string argument = NextArgument(arguments, index);
  run.ControlPointFit = ParseControlPointFitKind(argument);
  if (!run.ControlPointFit) {
    LogError("Cannot understand control point fit: " + argument + " (1, 2, 3 or spline)");
    return false;
  }
  return true;
}

bool SwitchesAgree(const CommandLineState& run) {
  if (run.ControlPointFit && !run.PositionFromChart) {
    LogError("/T needs /G: only the chart's own control points are fitted");
    return false;
  }
  return true;
}

bool CoverageBoxSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  float edges[4];  // north, south, west, east
  for (float& value : edges) {
    const std::string argument = NextArgument(arguments, index);
    if (!ParseLocaleFloat(argument, value)) {
      LogError("Cannot understand coverage box: " + argument);
      return false;
    }
  }
  // A box across 180° is given west to east as the earth names them (178, -178) and kept with
  // its east edge east of its west one (geo/Antimeridian.h).
  const bool onEarth = edges[2] >= -180 && edges[2] <= 180 && edges[3] >= -180 && edges[3] <= 180;
  const LatLonBox box{edges[0], edges[1], edges[2],
                      onEarth ? LongitudeEastOf(edges[3], edges[2]) : edges[3]};
  if (!(onEarth && box.North > box.South && box.East > box.West && box.North <= 90 &&
        box.South >= -90)) {
    LogError("Coverage box out of order or off the earth: north " + arguments.At(index - 3) +
             ", south " + arguments.At(index - 2) + ", west " + arguments.At(index - 1) +
             ", east " + arguments.At(index) +
             " (north above south, east of west, latitudes -90 to 90, longitudes -180 to 180)");
    return false;
  }
  run.CoverageBox = box;
  return true;
}

bool TransparencySwitch(CommandLineState& run, const CommandArguments&, int&) {
  run.CoverageFromTransparency = true;
  return true;
}

bool ResolutionSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  const std::string argument = NextArgument(arguments, index);
  const std::int32_t bit = ResolutionBit(argument);
  if (bit == 0) LogError("Cannot understand target resolution: " + argument);
  run.ResolutionMask |= bit;
  // One unreadable resolution among good ones does not stop the run.
  if (run.ResolutionMask == 0) return false;
  run.SwitchSet |= 8;
  return true;
}

bool DeleteTilesSwitch(CommandLineState& run, const CommandArguments&, int&) {
  // Without an earlier /P there is no project: the tiles folder would be built from an empty
  // folder name, so nothing is deleted.
  if (!run.ProjectFolder.empty()) DeleteAllTiles(run.ProjectFolder);
  return true;
}

bool MakeMapsSwitch(CommandLineState& run, const CommandArguments&, int&) {
  run.MakeMaps = true;
  return true;
}

bool NoProcessingSwitch(CommandLineState& run, const CommandArguments&, int&) {
  run.NoProcessing = true;
  return true;
}

bool ExtensionSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  run.MapExtension = NextArgument(arguments, index);
  return true;
}

bool ImportSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  run.ImportLatitude = IntegerOrZero(NextArgument(arguments, index));
  // The six further values are read only while arguments remain; the import is selected only
  // when all seven were there.
  if (index >= arguments.Count()) return true;
  run.ImportLongitude = IntegerOrZero(NextArgument(arguments, index));
  for (std::uint8_t& zoom : run.ImportZooms) {
    if (index >= arguments.Count()) return true;
    zoom = static_cast<std::uint8_t>(IntegerOrZero(NextArgument(arguments, index)));
  }
  run.SwitchSet = 16;
  return true;
}

bool CellSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  const std::string latitude = NextArgument(arguments, index);
  const std::string longitude = NextArgument(arguments, index);
  const std::optional<std::int32_t> north = StrictInteger(latitude);
  const std::optional<std::int32_t> west = StrictInteger(longitude);
  run.Cell = north && west ? MapCellAtCorner(*north, *west) : std::nullopt;
  if (!run.Cell) {
    LogError("Not a map cell corner: /C " + latitude + " " + longitude + " (" + kMapCellCornerRule +
             ")");
    return false;
  }
  return true;
}

bool JobListSwitch(CommandLineState& run, const CommandArguments&, int&) {
  run.JobList = true;
  return true;
}

namespace {

// How many arguments a switch consumes (the most for /E, which may take fewer at the end).
int ArgumentCountOf(char letter) {
  switch (letter) {
    case 'P':
    case 'S':
    case 'R':
    case 'O':
    case 'T':
      return 1;
    case 'C':
      return 2;
    case 'X':
    case 'B':
      return 4;
    case 'E':
      return 7;
    default:
      return 0;
  }
}

}  // namespace

std::string SwitchLetters(const CommandArguments& arguments) {
  std::string letters;
  for (int index = 1; index <= arguments.Count(); ++index) {
    const std::string text = UpperCase(arguments.At(index));
    if (text.size() != 2 || text[0] != '/') break;
    letters += text[1];
    index += ArgumentCountOf(text[1]);
  }
  return letters;
}

bool IsCellCommand(const CommandArguments& arguments) {
  return SwitchLetters(arguments).find_first_of("CJ") != std::string::npos;
}

bool ParseSwitch(CommandLineState& run, const CommandArguments& arguments, int& index) {
  const std::string text = UpperCase(arguments.At(index));
  if (CharacterCount(text) != 2) {
    LogError("Bad command: " + text);
    return false;
  }
  if (text[0] != '/') {
    LogError("Bad command leader character " + text);
    return false;
  }
  switch (text[1]) {
    case 'A':
      return TransparencySwitch(run, arguments, index);
    case 'B':
      return CoverageBoxSwitch(run, arguments, index);
    case 'C':
      return CellSwitch(run, arguments, index);
    case 'D':
      return DeleteTilesSwitch(run, arguments, index);
    case 'E':
      return ImportSwitch(run, arguments, index);
    case 'F':
      return FitGridSwitch(run, arguments, index);
    case 'G':
      return ChartPositionSwitch(run, arguments, index);
    case 'J':
      return JobListSwitch(run, arguments, index);
    case 'M':
      return MakeMapsSwitch(run, arguments, index);
    case 'N':
      return NoProcessingSwitch(run, arguments, index);
    case 'O':
      return ExtensionSwitch(run, arguments, index);
    case 'P':
      return ProjectSwitch(run, arguments, index);
    case 'R':
      return ResolutionSwitch(run, arguments, index);
    case 'S':
      return SourceSwitch(run, arguments, index);
    case 'T':
      return ControlPointFitSwitch(run, arguments, index);
    case 'X':
      return PositionSwitch(run, arguments, index);
    default:
      LogError("Unkown command: " + text);
      return false;
  }
}

}  // namespace cz
