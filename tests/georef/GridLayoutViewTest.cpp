#include "georef/GridLayoutView.h"

#include <gtest/gtest.h>

#include <string>

#include "imaging/ChartSamples.h"
#include "imaging/MapSource.h"
#include "imaging/SourceImage.h"
#include "port/UserInterface.h"
#include "support/TempFolder.h"

namespace cz::testing {
namespace {

// Without a chart view the load still lays the new source's grid out, so tile creation never
// sees the grid a previous chart left.
TEST(VisualizeFileInImage, LaysTheNewSourcesGridOut) {
  TempFolder folder;
  MapSourceState source;
  source.Path = folder.Write(
      "chart.bmp", BuildBmp(BmpLayout{9, 7, 24, 0, {}, {}, 40}, std::string(7 * 28, '\x40')));
  source.GeoRef.NLon = source.GeoRef.NLat = 9;  // left by an earlier chart
  source.GeoRef.TopLeft = {48.0, 6.0, 0, 0};
  source.GeoRef.BottomRight = {46.0, 10.0, 8, 6};
  SilentUserInterface ui;
  GridLayoutView view;
  VisualizeFileInImage(source, ui, view);
  ASSERT_TRUE(source.Loaded);
  EXPECT_EQ(source.GeoRef.NLon, 4);
  EXPECT_EQ(source.GeoRef.NLat, 2);
  EXPECT_EQ(source.GeoRef.Grid[4][2].X, 8);
}

}  // namespace
}  // namespace cz::testing
