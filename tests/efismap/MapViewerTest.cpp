#include "efismap/MapViewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "MapFileBuilder.h"
#include "efismap/EfisMapFile.h"
#include "efismap/MapTileGif.h"
#include "platform/BinaryFile.h"
#include "platform/Error.h"
#include "support/DrawnPixels.h"
#include "support/GifTestFiles.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::CountDrawn;
using testing::TempFolder;

// --- Position texts ---------------------------------------------------------------------

struct TypedCentre {
  const char* latitude;
  const char* longitude;
  double expectedLatitude;
  double expectedLongitude;
  bool shownAsTyped = false;  // UpdateInfo writes the centre back as these texts
};

class TypedCentres : public ::testing::TestWithParam<TypedCentre> {};

TEST_P(TypedCentres, AreNormalisedForTheView) {
  const ViewerCentre centre = GetViewerLatLong(GetParam().latitude, GetParam().longitude);
  EXPECT_DOUBLE_EQ(centre.Latitude, GetParam().expectedLatitude);
  EXPECT_DOUBLE_EQ(centre.Longitude, GetParam().expectedLongitude);
  if (GetParam().shownAsTyped) {
    const ViewerCentreText text = UpdateInfo(centre);
    EXPECT_EQ(text.Latitude, GetParam().latitude);
    EXPECT_EQ(text.Longitude, GetParam().longitude);
  }
}

INSTANTIATE_TEST_SUITE_P(
    MapViewer, TypedCentres,
    ::testing::Values(TypedCentre{"N47°00.000", "E008°30.000", 47.0, 8.5, true},
                      TypedCentre{"N95°00.000", "E180°00.000", 90.0, -180.0},
                      TypedCentre{"S99°59.999", "W180°00.000", -90.0, -180.0},
                      TypedCentre{"S33°52.590", "W122°22.050", -6097770 / 180000.0,
                                  -22026150 / 180000.0, true},
                      TypedCentre{"n47°00.000", "e008°30.000", 0.0, 0.0}));

// --- The walk ---------------------------------------------------------------------------

TEST(MapViewer, CentreAt47North8Point5EastOnLevel2) {
  const std::vector<TilePlacement> plan = PlanView({47.0, 8.5}, 2);
  const std::uint16_t w = TileWidthAt(8460000, 2);
  ASSERT_EQ(w, 413);
  // d = 0.5, e = 0: the centre tile's north edge runs through the centre.
  ASSERT_FALSE(plan.empty());
  EXPECT_EQ(plan[0].Latitude, 8460000);
  EXPECT_EQ(plan[0].Longitude, 1530000);
  EXPECT_EQ(plan[0].X, 640 - 206);
  EXPECT_EQ(plan[0].Y, 640);
  EXPECT_EQ(plan[0].Width, w);
  const MapCellPoint cell = MapCellOfPoint(plan[0].Latitude, plan[0].Longitude, 2);
  EXPECT_EQ(cell.name, "E004N50.MAP");
  EXPECT_EQ(cell.column, 4);
  EXPECT_EQ(cell.row, 3);

  // The centre row: centre, west while the last X > 0, then east while it is < 1279.
  const std::vector<std::int32_t> rowX = {434, 21, -392, 847, 1260, 1673};
  for (std::size_t k = 0; k < rowX.size(); ++k) {
    EXPECT_EQ(plan[k].X, rowX[k]) << k;
    EXPECT_EQ(plan[k].Y, 640);
  }
  // Then the rows north (Y 40, −560) and south (Y 1240, 1840), each with its own pitch.
  std::vector<std::int32_t> rowsY;
  for (const TilePlacement& p : plan) {
    if (rowsY.empty() || rowsY.back() != p.Y) rowsY.push_back(p.Y);
    EXPECT_EQ(p.Width, TileWidthAt(p.Latitude, 2));
    EXPECT_EQ(p.Latitude, 8460000 - (p.Y - 640) / 600 * 180000);
  }
  EXPECT_EQ(rowsY, (std::vector<std::int32_t>{640, 40, -560, 1240, 1840}));
}

TEST(MapViewer, CentreOnATileCornerPutsTheTilesTopLeftPixelOnTheCentre) {
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    const std::vector<TilePlacement> plan = PlanView({50.0, 8.0}, level);
    EXPECT_EQ(plan[0].X, 640) << int(level);
    EXPECT_EQ(plan[0].Y, 640) << int(level);
  }
}

TEST(MapViewer, EveryRowReachesAcrossTheWholeBuffer) {
  // Whatever the pitch, each row's origins run from column 0 or less to 1279 or more, and
  // the rows' from row 0 or less to 1279 or more.
  for (const ViewerCentre centre : {ViewerCentre{47.3, 8.7}, ViewerCentre{-12.34, 100.1},
                                    ViewerCentre{84.0, 0.0}, ViewerCentre{0.1, -179.9}}) {
    for (TileLevel level = 0; level < kTileLevelCount; ++level) {
      std::map<std::int32_t, std::pair<std::int32_t, std::int32_t>> rows;  // Y → min, max X
      for (const TilePlacement& p : PlanView(centre, level)) {
        auto [row, isNew] = rows.try_emplace(p.Y, p.X, p.X);
        row->second.first = std::min(row->second.first, p.X);
        row->second.second = std::max(row->second.second, p.X);
      }
      for (const auto& [y, range] : rows) {
        EXPECT_LE(range.first, 0) << int(level) << " row " << y;
        EXPECT_GE(range.second, 1279) << int(level) << " row " << y;
      }
      EXPECT_LE(rows.begin()->first, 0) << int(level);
      EXPECT_GE(rows.rbegin()->first, 1279) << int(level);
    }
  }
}

TEST(MapViewer, PositionsBeyondTheAntimeridianWrapRound) {
  const std::vector<TilePlacement> plan = PlanView({47.0, 179.5}, 2);
  bool wrapped = false;
  for (const TilePlacement& p : plan) {
    ASSERT_GE(p.Longitude, -k180Degrees);
    ASSERT_LT(p.Longitude, k180Degrees);
    if (p.Y == 640 && p.X == plan[0].X + p.Width) {
      EXPECT_EQ(p.Longitude, DegreesToGeoCoord(-179.5));
      EXPECT_EQ(MapCellOfPoint(p.Latitude, p.Longitude, 2).name, "W180N50.MAP");
      wrapped = true;
    }
  }
  EXPECT_TRUE(wrapped);
}

TEST(MapViewer, RowsBeyondThePolesAreNotVisited) {
  for (const ViewerCentre centre : {ViewerCentre{89.5, 10.0}, ViewerCentre{90.0, 10.0},
                                    ViewerCentre{-89.5, 10.0}, ViewerCentre{-90.0, 10.0}}) {
    for (TileLevel level = 0; level < kTileLevelCount; ++level) {
      for (const TilePlacement& p : PlanView(centre, level)) {
        ASSERT_LE(p.Latitude, k90Degrees);
        ASSERT_GT(p.Latitude, -k90Degrees);
      }
    }
  }
  // At 90° N the centre row is the top row of the earth; there is none above it.
  const std::vector<TilePlacement> north = PlanView({90.0, 10.0}, 4);
  EXPECT_EQ(north[0].Latitude, k90Degrees);
  EXPECT_EQ(north[0].Width, 20);
  for (const TilePlacement& p : north) EXPECT_GE(p.Y, 640);
  // At 90° S not even the centre row exists.
  for (const TilePlacement& p : PlanView({-90.0, 10.0}, 4)) EXPECT_LT(p.Y, 640);
}

// --- Drawing from map files -------------------------------------------------------------

// A project folder with an "EFIS Maps" sub-folder.
class ViewerProject {
 public:
  std::string Folder() const { return temp_.Path(); }
  void Write(const std::string& name, const std::string& bytes) { temp_.Write(name, bytes); }
  std::string AddMap(const std::string& name, const testing::MapTiles& tiles) {
    return testing::WriteMapFile(temp_, "EFIS Maps/" + name, tiles);
  }

 private:
  TempFolder temp_;
};

// A tile image whose pixel (x, y) has colour index (x + y) mod 200 in a 200-colour palette.
testing::IndexedImage TileImage(int width) {
  testing::IndexedImage image;
  image.width = width;
  image.height = 600;
  for (int i = 0; i < 200; ++i) image.colours.push_back(testing::TestColour(i));
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < width; ++x)
      image.indices.push_back(static_cast<std::uint8_t>((x + y) % 200));
  }
  return image;
}

std::uint32_t TilePixel(const testing::IndexedImage& image, int x, int y) {
  return testing::ViewPixel(image.colours[image.At(x, y)]);
}

class MapViewerDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    // The level-2 tile under 47° N 8.5° E, one pixel wider than its pitch as tiles are.
    image_ = TileImage(414);
    gif_ = testing::EncodeWithGiflib(image_);
  }

  ViewerProject project_;
  testing::IndexedImage image_;
  std::string gif_;
  MapViewer viewer_;
};

TEST_F(MapViewerDrawing, CentreTileIsDrawnAtItsOrigin) {
  project_.AddMap("e004n50.map", {{2, 28, gif_}});  // names match without regard to case
  viewer_.DrawView(project_.Folder(), {47.0, 8.5}, 2);
  const Raster32& buffer = viewer_.ViewBuffer();
  // Origin (434, 640): rows 640..1239, columns 434..847 (the last one is the pixel that
  // overlaps the next tile, which has no map here).
  for (int y = 640; y < 1240; y += 37) {
    for (int x = 434; x <= 847; ++x)
      ASSERT_EQ(buffer.At(x, y), TilePixel(image_, x - 434, y - 640));
  }
  EXPECT_EQ(buffer.At(640, 640), TilePixel(image_, 206, 0));
  EXPECT_EQ(CountDrawn(buffer), 414u * 600u);
}

TEST_F(MapViewerDrawing, NeighbourToTheEastWinsTheSharedColumn) {
  const std::string eastGif = testing::EncodeWithGiflib(testing::ChartLikeImage(414, 600, 16, 3));
  project_.AddMap("E004N50.MAP", {{2, 28, gif_}, {2, 29, eastGif}});
  viewer_.DrawView(project_.Folder(), {47.0, 8.5}, 2);
  int width = 0, height = 0;
  const std::vector<std::uint32_t> eastPixels = testing::DecodeWithGiflib(eastGif, &width, &height);
  EXPECT_EQ(viewer_.ViewBuffer().At(847, 640), eastPixels[0]);
  EXPECT_EQ(viewer_.ViewBuffer().At(846, 640), TilePixel(image_, 412, 0));
}

TEST_F(MapViewerDrawing, MissingLevelOtherExtensionAndNoProjectStayBlack) {
  project_.AddMap("E004N50.MAP", {{1, 0, gif_}, {3, 5, gif_}});
  project_.AddMap("E012N50.EFS", {{2, 0, gif_}});
  viewer_.DrawView(project_.Folder(), {47.0, 8.5}, 2);
  EXPECT_EQ(CountDrawn(viewer_.ViewBuffer()), 0u);
  viewer_.DrawView(project_.Folder(), {49.9, 12.1}, 2);  // E012N50's area, .EFS is not read
  EXPECT_EQ(CountDrawn(viewer_.ViewBuffer()), 0u);
  viewer_.DrawView("", {47.0, 8.5}, 2);
  EXPECT_EQ(CountDrawn(viewer_.ViewBuffer()), 0u);
}

TEST_F(MapViewerDrawing, CorruptMapGivesAReadErrorAndKeepsThePreviousPicture) {
  const std::string path = project_.AddMap("E004N50.MAP", {{2, 28, gif_}});
  viewer_.DrawView(project_.Folder(), {47.0, 8.5}, 2);
  const Raster32 before = viewer_.ViewBuffer().Clone();
  // Slot 28 of level 2 now points far past the end of the file.
  std::string bytes = testing::ReadFileBytes(path);
  const std::size_t slot = 5386 + 4 * 28;
  bytes[slot + 3] = 0x10;
  project_.Write("EFIS Maps/E004N50.MAP", bytes);
  try {
    viewer_.DrawView(project_.Folder(), {47.0, 8.5}, 2);
    FAIL() << "a corrupt map was drawn";
  } catch (const CartozenError& error) {
    EXPECT_NE(std::string(error.what()).find("E004N50.MAP"), std::string::npos) << error.what();
  }
  EXPECT_EQ(std::memcmp(viewer_.ViewBuffer().Pixels(), before.Pixels(), before.PixelCount() * 4),
            0);
}

TEST_F(MapViewerDrawing, MapShorterThanItsDirectoryIsAReadError) {
  project_.Write("EFIS Maps/E004N50.MAP", "VDKRMAP");
  EXPECT_THROW(viewer_.DrawView(project_.Folder(), {47.0, 8.5}, 2), CartozenError);
}

// --- Reading a tile from its record -------------------------------------------------------

struct RecordSizeCase {
  const char* name;
  std::int64_t sizeChange;  // added to the record's true data size
  bool cutFile;             // the file ends inside the GIF data
  GifTileOutcome outcome;
};

class RecordSizes : public ::testing::TestWithParam<RecordSizeCase> {};

TEST_P(RecordSizes, BoundTheDecoderAndSetThePositionAfter) {
  const RecordSizeCase& c = GetParam();
  TempFolder temp;
  const std::string gif = testing::EncodeWithGiflib(TileImage(50));
  std::string bytes(100, 'x');
  std::string record(5, '\0');
  const auto size =
      static_cast<std::uint32_t>(static_cast<std::int64_t>(gif.size()) + c.sizeChange);
  for (int k = 0; k < 4; ++k) record[k] = static_cast<char>(size >> (8 * k));
  record[4] = 1;
  bytes += record + gif + "trailing bytes";
  if (c.cutFile) bytes.resize(100 + 5 + gif.size() / 2);
  BinaryFile map(temp.Write("cell.MAP", bytes), BinaryFile::Mode::Read);
  const TileRecord tile = ReadTileRecord(map, 100);
  Raster32 view(kViewBufferSide, kViewBufferSide);
  GifTileReader reader;
  std::vector<std::uint8_t> chunk;
  EXPECT_EQ(ReadGifTile(map, tile, 0, 0, 50, view, reader, chunk), c.outcome);
  const std::uint64_t end = std::min<std::uint64_t>(bytes.size(), 105 + std::uint64_t{size});
  if (c.outcome == GifTileOutcome::kDrawn) {
    EXPECT_EQ(map.Position(), 105 + gif.size() - 1);  // past the block terminator
  } else {
    EXPECT_EQ(map.Position(), end);
  }
}

INSTANTIATE_TEST_SUITE_P(
    MapViewer, RecordSizes,
    ::testing::Values(RecordSizeCase{"Exact", 0, false, GifTileOutcome::kDrawn},
                      RecordSizeCase{"LargerThanTheFile", 1 << 30, false, GifTileOutcome::kDrawn},
                      RecordSizeCase{"TooSmall", -100, false, GifTileOutcome::kTruncated},
                      RecordSizeCase{"FileEndsInTheTile", 0, true, GifTileOutcome::kTruncated}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The shown picture ------------------------------------------------------------------

TEST(MapViewer, ShowViewCopiesTheMiddleOfTheBufferIntoTheDefaultView) {
  Raster32 buffer(kViewBufferSide, kViewBufferSide);
  for (int y = 0; y < kViewBufferSide; ++y) {
    for (int x = 0; x < kViewBufferSide; ++x)
      buffer.At(x, y) = static_cast<std::uint32_t>(y * 2048 + x);
  }
  Raster32 view(kDefaultViewWidth, kDefaultViewHeight);
  ShowView(buffer, view);
  auto shown = [&](int bx, int by) { return buffer.At(bx, by) | 0xFF000000u; };
  // cx = 485, cy = 293: buffer columns 155..1124 and rows 347..932 are shown.
  EXPECT_EQ(view.At(0, 0), shown(155, 347));
  EXPECT_EQ(view.At(969, 585), shown(1124, 932));
  EXPECT_EQ(view.At(969, 0), shown(1124, 347));
  EXPECT_EQ(view.At(100, 400), shown(255, 747));
  // The cross: black line over a white stroke five pixels wide with round ends.
  const int cx = 485, cy = 293;
  EXPECT_EQ(view.At(cx, cy), 0xFF000000u);
  EXPECT_EQ(view.At(cx + 10, cy), 0xFF000000u);
  EXPECT_EQ(view.At(cx, cy - 10), 0xFF000000u);
  EXPECT_EQ(view.At(cx + 5, cy + 2), 0xFFFFFFFFu);
  EXPECT_EQ(view.At(cx - 2, cy - 7), 0xFFFFFFFFu);
  EXPECT_EQ(view.At(cx + 12, cy), 0xFFFFFFFFu);
  EXPECT_EQ(view.At(cx + 12, cy + 2), shown(640 + 12, 640 + 2));
  EXPECT_EQ(view.At(cx + 13, cy), shown(640 + 13, 640));
  EXPECT_EQ(view.At(cx + 5, cy + 3), shown(640 + 5, 640 + 3));
}

struct ViewSize {
  int width;
  int height;
};

class ViewSizes : public ::testing::TestWithParam<ViewSize> {};

TEST_P(ViewSizes, BufferCentreLandsOnTheViewCentreAndNothingLeavesEither) {
  Raster32 buffer(kViewBufferSide, kViewBufferSide);
  buffer.Fill(0x123456);
  Raster32 view(GetParam().width, GetParam().height);
  ShowView(buffer, view);
  const int cx = GetParam().width / 2, cy = GetParam().height / 2;
  int black = 0;
  for (int y = 0; y < view.Height(); ++y) {
    for (int x = 0; x < view.Width(); ++x) {
      const bool onBuffer = x - cx >= -640 && x - cx < 640 && y - cy >= -640 && y - cy < 640;
      const std::uint32_t p = view.At(x, y);
      const bool cross = std::abs(x - cx) <= 13 && std::abs(y - cy) <= 13;
      if (!cross) {
        ASSERT_EQ(p, onBuffer ? 0xFF123456u : 0xFF000000u) << x << "," << y;
      }
      black += p == 0xFF000000u;
    }
  }
  EXPECT_GT(black, 0);
}

INSTANTIATE_TEST_SUITE_P(MapViewer, ViewSizes,
                         ::testing::Values(ViewSize{970, 586}, ViewSize{1, 1}, ViewSize{31, 30},
                                           ViewSize{1280, 1280}, ViewSize{1500, 1400},
                                           ViewSize{2000, 20}));

}  // namespace
}  // namespace cz
