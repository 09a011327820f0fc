// The window's coverage edits: drawn polygons become the chart's coverage from their third
// point, edits that break the coverage or come while busy change nothing, accepted ones reach
// the settings file at once.

#include "workspace/CoverageEdits.h"

#include <gtest/gtest.h>

#include "georef/GridLayout.h"
#include "project/CoverageSettings.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::RecordingUserInterface;
using testing::TempFolder;

class CoverageEditsTest : public ::testing::Test {
 protected:
  CoverageEditsTest() {
    state.Source.Path = work / "chart.tif";
    state.Source.Image.Allocate(400, 300);
    state.Source.Image.Fill(PackPixel(10, 20, 30));
    state.Source.Loaded = true;
    GeoReference& geo = state.Source.GeoRef;  // 200 pixels per degree, 47..46 N, 8..10 E
    geo.TopLeft = {47, 8, 0, 0};
    geo.BottomRight = {46, 10, 399, 199};
    geo.GeoReferencingType = 1;
    LayoutReferenceGrid(geo);
  }

  ChartCoverage Stored() const { return LoadCoverage(state.Source.Path); }

  TempFolder work;
  AppState state;
  RecordingUserInterface ui;
};

TEST_F(CoverageEditsTest, PolygonIsADraftUntilItsThirdPointAndStoredFromThen) {
  ASSERT_TRUE(AddPolygonPoint(state, {10, 10}, 5, ui));
  ASSERT_TRUE(AddPolygonPoint(state, {300, 10}, 5, ui));
  EXPECT_TRUE(state.Source.Coverage.Polygon.empty());
  EXPECT_EQ(ShownPolygon(state).size(), 2u);
  EXPECT_FALSE(Stored().Active());

  ASSERT_TRUE(AddPolygonPoint(state, {300, 250}, 5, ui));
  EXPECT_EQ(Stored().Polygon, (std::vector<CoveragePoint>{{10, 10}, {300, 10}, {300, 250}}));
  // A press on an edge inserts there; near a point it finds that point.
  ASSERT_TRUE(AddPolygonPoint(state, {155, 12}, 5, ui));
  EXPECT_EQ(Stored().Polygon[1], (CoveragePoint{155, 12}));
  EXPECT_EQ(PolygonPointNear(ShownPolygon(state), {298, 252}, 5), std::optional<std::size_t>(3));

  // Deleting back to two points takes the polygon out of the stored coverage again.
  ASSERT_TRUE(DeletePolygonPoint(state, 0, ui));
  ASSERT_TRUE(DeletePolygonPoint(state, 0, ui));
  EXPECT_FALSE(Stored().Active());
  EXPECT_EQ(ShownPolygon(state).size(), 2u);
}

TEST_F(CoverageEditsTest, EditsThatBreakTheCoverageOrComeWhileBusyChangeNothing) {
  for (CoveragePoint p : {CoveragePoint{10, 10}, {300, 10}, {300, 250}, {10, 250}}) {
    ASSERT_TRUE(AddPolygonPoint(state, p, 1, ui));
  }
  const ChartCoverage before = Stored();
  EXPECT_FALSE(MovePolygonPoint(state, 1, {10, 300}, ui));  // the edges would cross
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("cross"), std::string::npos);

  CoverageDialogTexts texts = CoverageDialogTextsOf(state);
  texts.UseBox = true;
  texts.North = "N40°00.000", texts.South = "N39°00.000";  // far south of the chart
  EXPECT_FALSE(ApplyCoverageDialog(state, texts, ui));
  EXPECT_NE(ui.messages.back().find("outside the chart"), std::string::npos);
  texts.North = "N46°00.000", texts.South = "N46°30.000";  // out of order
  EXPECT_FALSE(ApplyCoverageDialog(state, texts, ui));

  {
    BusyScope busy(state.Busy, LongOperation::TileCreation);
    EXPECT_FALSE(ClearPolygon(state, ui));
    EXPECT_EQ(ui.LastStatus(), BusyRefusalText(LongOperation::TileCreation));
  }
  EXPECT_EQ(Stored(), before);
  EXPECT_EQ(state.Source.Coverage, before);

  // Before the chart has a usable georeference, a box is taken as typed.
  const GeoReference laidOut = state.Source.GeoRef;
  state.Source.GeoRef = GeoReference{};
  texts.North = "N40°00.000", texts.South = "N39°00.000";
  EXPECT_TRUE(ApplyCoverageDialog(state, texts, ui));
  state.Source.GeoRef = laidOut;

  texts.North = "N46°50.000", texts.South = "N46°10.000", texts.Transparency = true;
  ASSERT_TRUE(ApplyCoverageDialog(state, texts, ui));
  ASSERT_TRUE(Stored().Box.has_value());
  EXPECT_DOUBLE_EQ(Stored().Box->North, 46 + 50.0 / 60);
  EXPECT_TRUE(Stored().Transparency);
  EXPECT_EQ(Stored().Polygon, before.Polygon);
}

// A chart from 178.5° E to 178.5° W: its box is typed and shown as the earth names its edges,
// and kept with the east edge past 180°.
TEST_F(CoverageEditsTest, BoxAcrossTheDateLineIsTypedAndShownOnTheEarth) {
  GeoReference& geo = state.Source.GeoRef;
  geo.TopLeft = {47, 178.5, 0, 0};
  geo.BottomRight = {46, 181.5, 399, 199};
  ASSERT_TRUE(LayoutReferenceGrid(geo).LaidOut());
  CoverageDialogTexts texts = CoverageDialogTextsOf(state);
  EXPECT_EQ(texts.East, "W178°30.000");
  texts.UseBox = true;
  texts.North = "N46°50.000", texts.South = "N46°10.000";
  texts.West = "E179°00.000", texts.East = "W179°00.000";
  ASSERT_TRUE(ApplyCoverageDialog(state, texts, ui));
  EXPECT_EQ(Stored().Box, (LatLonBox{46 + 50.0 / 60, 46 + 10.0 / 60, 179, 181}));
  EXPECT_EQ(CoverageDialogTextsOf(state).East, "W179°00.000");
}

}  // namespace
}  // namespace cz
