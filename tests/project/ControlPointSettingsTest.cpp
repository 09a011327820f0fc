// The control-point fit in a chart's settings file: every kind reads back as written, an
// unreadable value as none, and none erases the section without touching the rest.
#include <gtest/gtest.h>

#include "project/ControlPointSettings.h"
#include "project/IniFile.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

TEST(ControlPointSettings, KindsReadBackAndNoneErasesOnlyTheSection) {
  testing::TempFolder folder;
  const std::string chart = folder / "chart.tif";
  EXPECT_FALSE(LoadControlPointFit(chart).has_value());
  for (const ControlPointFitKind kind : {ControlPointFitKind::Order1, ControlPointFitKind::Order2,
                                         ControlPointFitKind::Order3, ControlPointFitKind::Spline}) {
    SaveControlPointFit(chart, kind);
    EXPECT_EQ(LoadControlPointFit(chart), kind);
  }
  EXPECT_EQ(IniFile(folder / "chart.INI").ReadString("ControlPoints", "Fit", ""), "spline");
  for (const char* unreadable : {"4", "Spline", "", "order2"}) {
    IniFile(folder / "chart.INI").WriteString("ControlPoints", "Fit", unreadable);
    EXPECT_FALSE(LoadControlPointFit(chart).has_value()) << unreadable;
  }
  IniFile(folder / "chart.INI").WriteInteger("Options", "MapResolution", 4);
  SaveControlPointFit(chart, std::nullopt);
  const IniFile after(folder / "chart.INI");
  EXPECT_FALSE(after.SectionExists("ControlPoints"));
  EXPECT_EQ(after.ReadInteger("Options", "MapResolution", -1), 4);
}

}  // namespace
}  // namespace cz
