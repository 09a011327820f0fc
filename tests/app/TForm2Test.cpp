// The import window, driven with real clicks: picking a cell on the world map, choosing the
// folder and the zooms, and "Process" on a generated web-mercator tile tree.

#include "TForm2.h"

#include "app/TestMainWindow.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <set>

#include "ChartView.h"
#include "ImageView.h"
#include "app/AppTestSupport.h"
#include "geo/TileGrid.h"
#include "imaging/GifImageDecoder.h"
#include "importer/CellMosaic.h"
#include "importer/PngTestFiles.h"
#include "importer/WebMercator.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/TileFiles.h"

namespace cz {
namespace {

using testing::TempFolder;

constexpr std::uint32_t kTreeColour = 0x2080C0;

// Every web tile of zoom that covers the cell, in one colour.
void WriteTileTree(const std::string& folder, std::int32_t north, std::int32_t west, int zoom) {
  const MosaicArea area = MakeMosaicArea(north, west, 8, zoom);
  const std::int32_t x0 = WebMercatorX(west, zoom), y0 = WebMercatorY(north, zoom);
  const std::string png = testing::EncodeRgbPng(256, 256, [](int, int) { return kTreeColour; });
  for (std::int32_t c = WebTileOf(x0).Tile; c <= WebTileOf(x0 + area.Width - 1).Tile; ++c) {
    for (std::int32_t r = WebTileOf(y0).Tile; r <= WebTileOf(y0 + area.Height - 1).Tile; ++r) {
      const std::string path = WebTilePath(folder, zoom, c, r);
      ForceDirectories(path.substr(0, path.rfind('/')));
      AtomicWriteFile(path, png);
    }
  }
}

class TForm2Test : public ::testing::Test {
 protected:
  TForm2Test() {
    testing::Application();
    app.Project.Folder = work / "project";
    app.Project.Open = true;
    ForceDirectories(TilesFolder(app.Project.Folder));
  }

  void ChooseFolder(TForm2& form, const std::string& folder) {
    form.ChooseFolder = [folder](const QString&) { return QString::fromStdString(folder); };
    QTest::mouseClick(form.Button1, Qt::LeftButton);
  }

  TempFolder work;
  AppState app;
  ImportState import;
  testing::RecordingUserInterface ui;
};

struct PickCase {
  QPoint click;
  const char* name;
  std::int32_t north, west;
};

class TForm2PickTest : public TForm2Test, public ::testing::WithParamInterface<PickCase> {};

TEST_P(TForm2PickTest, ClickOnTheWorldMapChoosesTheCellAndFramesIt) {
  const PickCase& pick = GetParam();
  TForm2 form(import, app, ui);
  form.show();
  EXPECT_FALSE(import.CellChosen);
  // The frame lies over the map; a click on it picks as on the map.
  QTest::mouseClick(form.Image2, Qt::LeftButton, {}, pick.click);
  EXPECT_EQ(form.Edit1->text().toStdString(), pick.name);
  EXPECT_TRUE(import.CellChosen);
  EXPECT_EQ(import.NorthEdge, pick.north);
  EXPECT_EQ(import.WestEdge, pick.west);
  const PickedCell cell = PickCell(pick.click.x(), pick.click.y());
  const QImage& frame = form.Image2->Image();
  EXPECT_EQ(frame.pixelColor(cell.Frame.Left, cell.Frame.Top + 5), QColor(Qt::yellow));
  EXPECT_EQ(frame.pixelColor(cell.Frame.Left + 5, cell.Frame.Top + 3).alpha(), 0);
  // Both sides show, also at 180°.
  EXPECT_EQ(frame.pixelColor(std::min(cell.Frame.Right, kWorldMapWidth - 1), cell.Frame.Top + 5),
            QColor(Qt::yellow));
}

INSTANTIATE_TEST_SUITE_P(Cells, TForm2PickTest,
                         ::testing::Values(PickCase{{330, 70}, "E004N58", 58, 4},
                                           PickCase{{320, 70}, "W004N58", 58, -4},
                                           PickCase{{635, 315}, "E172S86", -86, 172},
                                           PickCase{{635, 70}, "E172N58", 58, 172},
                                           PickCase{{2, 70}, "W180N58", 58, -180}));

// The radio groups show the shared choices, the edit the remembered folder; the map has the
// white cell grid at round(14.22222 k).
TEST_F(TForm2Test, ShowsRememberedChoicesAndTheCellGrid) {
  app.Project.Epsg3857SourceFolder = work.Path();
  import.ZoomChoices = {4, 3, 2, 1, 9};  // 9: a command line's choice of no zoom
  TForm2 form(import, app, ui);
  form.show();
  EXPECT_EQ(form.Edit2->text().toStdString(), work.Path());
  EXPECT_TRUE(import.FolderValid);
  EXPECT_EQ(form.RadioGroupItems[0]->checkedId(), 4);
  EXPECT_EQ(form.RadioGroupItems[3]->checkedId(), 1);
  EXPECT_EQ(form.RadioGroupItems[4]->checkedId(), -1);
  const QImage& map = form.Image1->Image();
  EXPECT_EQ(map.pixelColor(327, 14), QColor(Qt::white));
  EXPECT_NE(map.pixelColor(20, 20), QColor(Qt::white));
}

// The transparency check box shows the shared choice and a click changes it.
TEST_F(TForm2Test, TransparencyCheckBoxIsTheImportsChoice) {
  import.CoverageFromTransparency = true;
  TForm2 form(import, app, ui);
  form.show();
  EXPECT_TRUE(form.CheckBox1->isChecked());
  QTest::mouseClick(form.CheckBox1, Qt::LeftButton);
  EXPECT_FALSE(import.CoverageFromTransparency);
  form.hide();
  import.CoverageFromTransparency = true;  // as the command line's /A leaves it
  form.show();
  EXPECT_TRUE(form.CheckBox1->isChecked());
}

TEST_F(TForm2Test, PolarCellAndMissingFolderAreRefused) {
  TForm2 form(import, app, ui);
  form.show();
  QTest::mouseClick(form.Image1, Qt::LeftButton, {}, QPoint(100, 5));  // W124N90
  QTest::mouseClick(form.Button2, Qt::LeftButton);
  EXPECT_TRUE(ui.messages.empty());  // no folder yet: nothing at all
  ChooseFolder(form, work / "tree");
  EXPECT_FALSE(import.FolderValid);
  ForceDirectories(work / "tree");
  ChooseFolder(form, work / "tree");
  QTest::mouseClick(form.Button2, Qt::LeftButton);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("W124N90"), std::string::npos);
  EXPECT_TRUE(app.Source.Image.Empty());
}

// A tree of zooms 7 and 8 for E004N58, EFIS zoom 1 from zoom 7 and the others from zoom 8,
// imported through the main window's import window: each mosaic shows in the main view while
// it fills, the last stays loaded with the main window's controls enabled, and every tile of
// the cell exists at every level in the tree's colour.
TEST_F(TForm2Test, ProcessImportsAGeneratedTreeThroughTheMainWindow) {
  OverrideProgramDataFolder(work / "program/");
  const std::string tree = work / "tree";
  WriteTileTree(tree, 58, 4, 7);
  WriteTileTree(tree, 58, 4, 8);
  TestMainWindow window({}, false);
  window.show();
  AppState& state = window.State();
  state.Project.Folder = app.Project.Folder;
  state.Project.Open = true;
  TForm2& form = *window.Form2;
  form.show();
  QTest::mouseClick(form.Image1, Qt::LeftButton, {}, QPoint(330, 70));
  ChooseFolder(form, tree);
  EXPECT_EQ(state.Project.Epsg3857SourceFolder, tree);
  QTest::mouseClick(form.RadioGroupItems[0]->button(0), Qt::LeftButton);
  for (int k = 1; k < kEfisZoomCount; ++k) {
    QTest::mouseClick(form.RadioGroupItems[k]->button(1), Qt::LeftButton);
  }
  const ImportState& import = window.ImportWindow();
  EXPECT_EQ(LevelsForZoom(import.ZoomChoices, 7), 0b00001);
  EXPECT_EQ(LevelsForZoom(import.ZoomChoices, 8), 0b11110);

  // While a PNG is read, the main view shows the mosaic being filled, at scale 0.25 from its
  // top-left corner.
  int filling = 0;
  QObject::connect(form.Edit3, &QLineEdit::textChanged, [&] {
    ++filling;
    EXPECT_FALSE(state.Source.Loaded);
    EXPECT_EQ(window.Image321->Mapping().Scale, 0.25);
    EXPECT_EQ(window.ScrollBar1->value(), 24);
    EXPECT_EQ(window.ScrollBarHorizontal->value(), 0);
    EXPECT_EQ(window.ScrollBarVertical->value(), 0);
  });
  QTest::mouseClick(form.Button2, Qt::LeftButton);
  EXPECT_GT(filling, 4);
  EXPECT_NE(form.Edit3->text().toStdString().find(tree + "/8/"), std::string::npos);
  EXPECT_TRUE(form.Button2->isEnabled());
  // The last mosaic (zoom 10, no files) stays loaded, georeferenced and laid out.
  EXPECT_TRUE(state.Source.Loaded);
  EXPECT_EQ(state.Source.GeoRef.TopLeft.Latitude, 58.0);
  EXPECT_EQ(state.Source.GeoRef.NLat, 8);
  EXPECT_TRUE(window.BitBtn1->isEnabled());
  EXPECT_TRUE(window.ScrollBar1->isEnabled());
  EXPECT_EQ(window.Edit1->text().toStdString(), "EPGS3857 import");

  std::set<std::string> expected;
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    const std::int32_t n = TilesPerCellSide(level);
    const std::int32_t c0 = (4 + 180) * kOneDegree / TileStep(level);
    const std::int32_t r0 = (90 - 58) * kOneDegree / TileStep(level);
    for (std::int32_t r = r0; r < r0 + n; ++r) {
      for (std::int32_t c = c0; c < c0 + n; ++c) {
        expected.insert(std::to_string(level) + "_" + std::to_string(TilePositionOf(level, c, r)) +
                        ".GIF");
      }
    }
    // The middle of the cell's north-west tile shows the tree's colour.
    const std::string path =
        TileFileName(state.Project.Folder, level, TilePositionOf(level, c0, r0));
    const Raster32 tile = DecodeGifImage(ReadWholeFile(path), path);
    EXPECT_EQ(tile.At(tile.Width() / 2, 300) & 0xFFFFFF, kTreeColour) << int{level};
  }
  const std::vector<std::string> listed = ListFiles(TilesFolder(state.Project.Folder), "*");
  EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), expected);
  window.State().Project.Open = false;  // nothing to save
  OverrideProgramDataFolder("");
}

}  // namespace
}  // namespace cz
