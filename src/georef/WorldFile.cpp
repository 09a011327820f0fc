#include "georef/WorldFile.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <optional>

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/LocaleNumber.h"
#include "platform/Paths.h"

namespace cz {

namespace {

// One line without its end; false at the end of the input. A line longer than
// kMaxWorldFileLine is consumed whole and returned as "?", which does not convert.
bool ReadBoundedLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  if (buffer == nullptr) return false;
  bool any = false;
  bool tooLong = false;
  for (;;) {
    const int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) break;
    any = true;
    if (c == '\n') break;
    if (c == '\r') {
      if (buffer->sgetc() == '\n') buffer->sbumpc();
      break;
    }
    if (line.size() < kMaxWorldFileLine) {
      line += static_cast<char>(c);
    } else {
      tooLong = true;
    }
  }
  if (tooLong) line.assign(1, '?');
  return any;
}

// The whole degree within double range as a pixel count, or nothing when it is not an int32.
std::optional<std::int32_t> PixelCount(double whole) {
  if (!(whole >= std::numeric_limits<std::int32_t>::min() &&
        whole <= std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(whole);
}

}  // namespace

WorldFile ParseWorldFile(std::istream& in) {
  return ParseWorldFile(in, LocaleDecimalSeparator());
}

WorldFile ParseWorldFile(std::istream& in, std::string_view decimalSeparator) {
  double values[6] = {0, 0, 0, 0, 0, 0};
  std::string line;
  for (double& value : values) {
    if (!ReadBoundedLine(in, line)) break;
    value = ParseDecimal(line, decimalSeparator).value_or(0.0);
  }
  return {values[0], values[1], values[2], values[3], values[4], values[5]};
}

WorldFileCornersResult CornersFromWorldFile(const WorldFile& world, std::int32_t width,
                                            std::int32_t height, GeoReference& geoRef) {
  const double a = std::fabs(world.A);
  const double e = std::fabs(world.E);
  const double c = world.C;
  const double f = world.F;
  if (a == 0.0 || e == 0.0) return WorldFileCornersResult::ZeroPixelSize;

  const double topLat = std::floor(f);
  const double topLon = c == std::floor(c) ? c : std::floor(c) + 1.0;
  const double bottomLon = std::floor(width * a + c);
  const double bottomLat = std::floor(f - height * e) + 1.0;
  const double topX = std::trunc((topLon - c) / a);
  const double topY = std::trunc((f - topLat) / e);
  const double bottomX = std::trunc((bottomLon - topLon) / a) + topX;
  const double bottomY = std::trunc((topLat - bottomLat) / e) + topY;

  // NaN fails every comparison, so it lands here too.
  const auto tlX = PixelCount(topX), tlY = PixelCount(topY);
  const auto brX = PixelCount(bottomX), brY = PixelCount(bottomY);
  if (!std::isfinite(topLat) || !std::isfinite(topLon) || !std::isfinite(bottomLon) ||
      !std::isfinite(bottomLat) || !tlX || !tlY || !brX || !brY) {
    return WorldFileCornersResult::OutOfRange;
  }
  geoRef.TopLeft = {topLat, topLon, *tlX, *tlY};
  geoRef.BottomRight = {bottomLat, bottomLon, *brX, *brY};
  return WorldFileCornersResult::Set;
}

bool ReadBpwFile(MapSourceState& source, UserInterface& ui) {
  if (!source.Loaded || source.Image.Empty()) return false;
  const std::string path = ChangeFileExt(source.Path, ".BPW");
  if (!FileExists(path)) return false;
  std::ifstream in(ResolvePath(path), std::ios::binary);
  if (!in) throw CartozenError("Unable to open file '" + path + "'");
  const WorldFile world = ParseWorldFile(in);
  switch (CornersFromWorldFile(world, source.Image.Width(), source.Image.Height(), source.GeoRef)) {
    case WorldFileCornersResult::Set:
      return true;
    case WorldFileCornersResult::ZeroPixelSize:
      ui.SetStatusText("World file '" + path + "' gives a pixel size of 0; corners not changed");
      return false;
    case WorldFileCornersResult::OutOfRange:
      ui.SetStatusText("World file '" + path +
                       "' gives positions out of range; corners not changed");
      return false;
  }
  return false;
}

}  // namespace cz
