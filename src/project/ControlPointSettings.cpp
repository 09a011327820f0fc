#include "project/ControlPointSettings.h"

#include "project/IniFile.h"
#include "project/MapSourceSettings.h"

namespace cz {
namespace {

constexpr char kControlPoints[] = "ControlPoints";
constexpr char kFit[] = "Fit";

}  // namespace

std::optional<ControlPointFitKind> LoadControlPointFit(const std::string& imagePath) {
  if (imagePath.empty()) return std::nullopt;
  const IniFile ini(MapSourceSettingsFile(imagePath));
  return ParseControlPointFitKind(ini.ReadString(kControlPoints, kFit, ""));
}

void SaveControlPointFit(const std::string& imagePath, std::optional<ControlPointFitKind> fit) {
  if (imagePath.empty()) return;
  IniFile ini(MapSourceSettingsFile(imagePath));
  if (!fit) {
    if (ini.SectionExists(kControlPoints)) ini.EraseSection(kControlPoints);
    return;
  }
  ini.WriteString(kControlPoints, kFit, ControlPointFitKindText(*fit));
}

}  // namespace cz
