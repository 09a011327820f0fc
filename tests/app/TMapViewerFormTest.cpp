// The map viewer window on a project whose maps were built from a generated chart, driven
// with real clicks and keys.

#include "TMapViewerForm.h"

#include "app/TestMainWindow.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "CoordinateEdit.h"
#include "ImageView.h"
#include "app/AppTestSupport.h"
#include "batch/CommandLine.h"
#include "imaging/SampleChart.h"
#include "platform/ExecutableFolder.h"
#include "project/AppSettings.h"
#include "project/IniFile.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::TempFolder;

// Types text at the start of a coordinate edit, over what it shows.
void TypeOver(CoordinateEdit* edit, const char* keys) {
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClicks(edit, QString::fromUtf8(keys));
}

class TMapViewerFormTest : public ::testing::Test {
 protected:
  // The project "Alps": a 48° N 6° E chart of 2° × 4°, tiles of 0.5° and 1°, its map file.
  static void SetUpTestSuite() {
    testing::Application();
    program = new TempFolder;
    OverrideProgramDataFolder(program->Path() + "/");
    const std::string project = *program / "Alps";
    std::filesystem::create_directories(project + "/Map sources");
    WriteSampleChart({48, 6, 2, 4, 801, 401, {{47, 8}}}, project + "/Map sources/alps.tif");
    AppState built;
    SilentUserInterface silent;
    CommandLineBatch(built, silent,
                     CommandArguments({"/P", project, "/S", "alps.tif", "/X", "48", "6", "2", "4",
                                       "/R", "0.5", "/R", "1", "/M"}));
    ASSERT_TRUE(std::filesystem::exists(project + "/EFIS Maps/E004N50.MAP"));
  }
  static void TearDownTestSuite() {
    OverrideProgramDataFolder("");
    delete program;
  }

  TMapViewerFormTest() {
    project.Folder = *program / "Alps";
    project.Open = true;
    project.ViewerLatitude = 47.0;
    project.ViewerLongitude = 8.5;
  }

  static TempFolder* program;
  ProjectState project;
  testing::RecordingUserInterface ui;
};

TempFolder* TMapViewerFormTest::program = nullptr;

// The picture after "View" is the core's: the view buffer shown at 970 × 586 with the cross,
// and the window paints exactly those pixels.
TEST_F(TMapViewerFormTest, ViewMatchesTheCoresPicturePixelForPixel) {
  TMapViewerForm form(project, ui);
  form.show();
  EXPECT_EQ(form.MaskEdit1->Coordinate(), "N47°00.000");  // the project's position
  EXPECT_EQ(form.Level(), 2);                             // "1 degree per tile"
  TypeOver(form.MaskEdit1, "n4710");                      // N47°10.000
  TypeOver(form.MaskEdit2, "e00740500");                  // E007°40.500
  for (const TileLevel level : {TileLevel{1}, TileLevel{2}}) {
    QTest::mouseClick(form.RadioGroup1Items->button(level), Qt::LeftButton);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    ASSERT_EQ(form.Level(), level);

    MapViewer core;
    const ViewerCentre centre = GetViewerLatLong("N47°10.000", "E007°40.500");
    core.DrawView(project.Folder, centre, level);
    Raster32 expected(kDefaultViewWidth, kDefaultViewHeight);
    ShowView(core.ViewBuffer(), expected);

    const Raster32& shown = form.ViewPicture();
    ASSERT_EQ(shown.Width(), 970);
    ASSERT_EQ(shown.Height(), 586);
    EXPECT_TRUE(std::equal(shown.Pixels(), shown.Pixels() + shown.PixelCount(), expected.Pixels()))
        << "level " << int{level};
    // Not a black picture: the chart's tiles are there.
    const auto black =
        std::count(expected.Pixels(), expected.Pixels() + expected.PixelCount(), 0xFF000000u);
    EXPECT_LT(black, static_cast<std::ptrdiff_t>(expected.PixelCount()) / 2);

    const QImage painted = form.Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(painted.size(), QSize(970, 586));
    for (int y = 0; y < 586; y += 7) {
      for (int x = 0; x < 970; x += 5) {
        ASSERT_EQ(painted.pixel(x, y), shown.At(x, y)) << x << "," << y;
      }
    }
  }
  EXPECT_DOUBLE_EQ(project.ViewerLatitude, 47 + 10 / 60.0);
  EXPECT_DOUBLE_EQ(project.ViewerLongitude, 7 + 40.5 / 60.0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TMapViewerFormTest, CorruptMapFileKeepsThePictureAndSaysWhy) {
  TempFolder copy;
  std::filesystem::create_directories(copy / "EFIS Maps");
  TMapViewerForm form(project, ui);
  QTest::mouseClick(form.Button1, Qt::LeftButton);
  Raster32 before = form.ViewPicture().Clone();

  // The map file cut right after its header: every slot points past the end.
  const std::string map = *program / "Alps/EFIS Maps/E004N50.MAP";
  std::filesystem::copy_file(map, copy / "EFIS Maps/E004N50.MAP");
  std::filesystem::resize_file(copy / "EFIS Maps/E004N50.MAP", 5722);
  project.Folder = copy.Path();
  QTest::mouseClick(form.Button1, Qt::LeftButton);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(std::equal(before.Pixels(), before.Pixels() + before.PixelCount(),
                         form.ViewPicture().Pixels()));
}

// The main window's closing stores what the viewer's edits hold, without "View"; the next
// start shows it again. The menu opens the viewer modally.
TEST(MapViewerInTheMainWindowTest, TypedCentreIsSavedAtClosingAndShownAtTheNextStart) {
  testing::Application();
  TempFolder programFolder;
  TempFolder work;
  OverrideProgramDataFolder(programFolder.Path() + "/");
  work.Write("p.prg", "[General]\r\n");
  WriteAppSettings(work.Path(), "p.prg");
  {
    TestMainWindow window({}, false);
    window.show();
    bool shownModally = false;
    QTimer::singleShot(50, [&] {
      TMapViewerForm* viewer = window.MapViewerForm;
      shownModally = QApplication::activeModalWidget() == viewer;
      TypeOver(viewer->MaskEdit1, "s3352590");
      TypeOver(viewer->MaskEdit2, "w12221450");
      viewer->close();
    });
    testing::ClickMenuItem(window.menuBar(), window.ProjectMenu, window.ViewEfisMapsItem);
    QTRY_VERIFY(!window.MapViewerForm->isVisible());
    EXPECT_TRUE(shownModally);
    EXPECT_TRUE(window.close());
  }
  const IniFile projectFile(work / "p.prg");
  EXPECT_EQ(projectFile.ReadInteger("MapViewer", "Latitude", 0), -6097770);
  EXPECT_EQ(projectFile.ReadInteger("MapViewer", "Longitude", 0), -22024350);
  {
    TestMainWindow window({}, false);
    EXPECT_EQ(window.MapViewerForm->MaskEdit1->Coordinate(), "S33°52.590");
    EXPECT_EQ(window.MapViewerForm->MaskEdit2->Coordinate(), "W122°21.450");
    window.State().Project.Open = false;
  }
  OverrideProgramDataFolder("");
}

}  // namespace
}  // namespace cz
