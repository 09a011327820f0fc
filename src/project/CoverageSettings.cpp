#include "project/CoverageSettings.h"

#include <charconv>
#include <climits>
#include <string_view>

#include "geo/GeoCoord.h"
#include "project/IniFile.h"
#include "project/MapSourceSettings.h"

namespace cz {
namespace {

constexpr char kCoverage[] = "Coverage";
constexpr const char* kBoxKeys[4] = {"North", "South", "West", "East"};

std::optional<LatLonBox> ReadBox(const IniFile& ini) {
  double edges[4];
  for (int k = 0; k < 4; ++k) {
    if (!ini.ValueExists(kCoverage, kBoxKeys[k])) return std::nullopt;
    constexpr std::int32_t kUnreadable = INT32_MIN;
    const std::int32_t units = ini.ReadInteger(kCoverage, kBoxKeys[k], kUnreadable);
    if (units == kUnreadable) return std::nullopt;
    edges[k] = GeoCoordToDegrees(units);
  }
  const LatLonBox box{edges[0], edges[1], edges[2], edges[3]};
  if (!(box.North > box.South && box.East > box.West)) return std::nullopt;
  return box;
}

}  // namespace

std::string PolygonText(const std::vector<CoveragePoint>& polygon) {
  std::string text;
  for (const CoveragePoint& p : polygon) {
    if (!text.empty()) text += ' ';
    text += std::to_string(p.X) + ' ' + std::to_string(p.Y);
  }
  return text;
}

std::optional<std::vector<CoveragePoint>> ParsePolygonText(const std::string& text) {
  std::vector<std::int32_t> numbers;
  const char* at = text.data();
  const char* const end = at + text.size();
  while (true) {
    while (at != end && (*at == ' ' || *at == '\t')) ++at;
    if (at == end) break;
    std::int32_t value = 0;
    const auto [next, error] = std::from_chars(at, end, value);
    if (error != std::errc() || (next != end && *next != ' ' && *next != '\t')) {
      return std::nullopt;
    }
    numbers.push_back(value);
    at = next;
  }
  if (numbers.size() % 2 != 0) return std::nullopt;
  std::vector<CoveragePoint> polygon;
  for (std::size_t k = 0; k < numbers.size(); k += 2) polygon.push_back({numbers[k], numbers[k + 1]});
  return polygon;
}

ChartCoverage LoadCoverage(const std::string& imagePath) {
  ChartCoverage coverage;
  if (imagePath.empty()) return coverage;
  const IniFile ini(MapSourceSettingsFile(imagePath), IniFile::Reading::Snapshot);
  if (!ini.SectionExists(kCoverage)) return coverage;
  if (auto polygon = ParsePolygonText(ini.ReadString(kCoverage, "Polygon", ""));
      polygon && polygon->size() >= 3) {
    coverage.Polygon = std::move(*polygon);
  }
  coverage.Box = ReadBox(ini);
  coverage.Transparency = ini.ReadInteger(kCoverage, "Transparency", 0) == 1;
  return coverage;
}

void SaveCoverage(const std::string& imagePath, const ChartCoverage& coverage) {
  if (imagePath.empty()) return;
  IniFile ini(MapSourceSettingsFile(imagePath));
  if (!coverage.Active()) {
    if (ini.SectionExists(kCoverage)) ini.EraseSection(kCoverage);
    return;
  }
  ini.Batch([&] {
    // Rewritten whole, so that no key of an earlier coverage survives.
    ini.EraseSection(kCoverage);
    if (!coverage.Polygon.empty()) ini.WriteString(kCoverage, "Polygon", PolygonText(coverage.Polygon));
    if (coverage.Box) {
      const double edges[4] = {coverage.Box->North, coverage.Box->South, coverage.Box->West,
                               coverage.Box->East};
      for (int k = 0; k < 4; ++k) ini.WriteInteger(kCoverage, kBoxKeys[k], DegreesToGeoCoord(edges[k]));
    }
    if (coverage.Transparency) ini.WriteInteger(kCoverage, "Transparency", 1);
  });
}

}  // namespace cz
