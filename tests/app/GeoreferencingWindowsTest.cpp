// The reference and skew dialogs driven by typed keys and mouse clicks.

#include <gtest/gtest.h>

#include <functional>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "AppTestSupport.h"
#include "CoordinateEdit.h"
#include "TGeoRefForm.h"
#include "TSkewMeridian.h"
#include "geo/GeoCoord.h"
#include "project/MapSourceSettings.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

GeoCoord Units(double degrees) {
  return DegreesToGeoCoord(degrees);
}

// Types text at the start of the edit, as a person does after clicking into it.
void TypeFromStart(QLineEdit* edit, const char* keys) {
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClicks(edit, keys);
}

class GeoRefFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.Source.Path = folder / "chart.bmp";
    state.Source.Image = Raster32(40, 30);
    state.Source.Loaded = true;
    state.Source.GeoRef.TopLeft = {51.123456, 4.0, 3, 4};
  }

  QApplication& application = testing::Application();  // before any widget
  testing::TempFolder folder;
  AppState state;
  GridPickState pick;
  testing::RecordingUserInterface ui;
  int redraws = 0;  // the main window redraws at every georeference change
  ObserverList::Subscription redraw = state.GeoReferenceChanged.Subscribe([this] { ++redraws; });
  TGeoRefForm form{state, pick, ui};
};

TEST_F(GeoRefFormTest, ShowsTheReferenceRoundedAndTakesTypedCoordinates) {
  form.ChooseCorner(ReferenceCorner::TopLeft);
  form.show();
  EXPECT_EQ(form.windowTitle().toStdString(), "Geographic reference");
  EXPECT_EQ(form.Label3->text().toStdString(), "For the top/left reference");
  EXPECT_EQ(form.Edit1->text().toStdString(), "X: 3, Y: 4");
  EXPECT_EQ(form.MaskEdit1->Coordinate(), "N51°07.407");
  EXPECT_EQ(form.MaskEdit2->Coordinate(), "E004°00.000");
  EXPECT_EQ(Units(state.Source.GeoRef.TopLeft.Latitude), 9202221);

  // Lower case becomes upper case, the literals are stepped over, letters in digit places
  // are refused.
  TypeFromStart(form.MaskEdit1, "n9x500000");
  EXPECT_EQ(form.MaskEdit1->Coordinate(), "N95°00.000");
  EXPECT_EQ(state.Source.GeoRef.TopLeft.Latitude, 90.0);
  TypeFromStart(form.MaskEdit2, "e18000000");
  EXPECT_EQ(form.MaskEdit2->Coordinate(), "E180°00.000");
  EXPECT_EQ(state.Source.GeoRef.TopLeft.Longitude, -180.0);

  // Erased digits show as "_" and count 0.
  QTest::keyClick(form.MaskEdit1, Qt::Key_End);
  QTest::keyClick(form.MaskEdit1, Qt::Key_Backspace);
  QTest::keyClick(form.MaskEdit1, Qt::Key_Home);
  QTest::keyClicks(form.MaskEdit1, "s1");
  EXPECT_EQ(form.MaskEdit1->Coordinate(), "S15°00.00_");
  EXPECT_EQ(Units(state.Source.GeoRef.TopLeft.Latitude), -15 * kUnitsPerDegree);
}

TEST_F(GeoRefFormTest, OkTheFrameAndEscapeAllSaveAndRedraw) {
  form.ChooseCorner(ReferenceCorner::BottomRight);
  const std::function<void()> closings[] = {
      [&] { QTest::mouseClick(form.BitBtn1, Qt::LeftButton); }, [&] { form.close(); },
      [&] { QTest::keyClick(&form, Qt::Key_Escape); }};
  for (const auto& closeIt : closings) {
    form.show();
    ++pick.PickX;  // a chart click reaches the showing dialog
    form.UpdateInfo();
    closeIt();
    EXPECT_FALSE(form.isVisible());
    MapSourceState saved;
    saved.Path = state.Source.Path;
    LoadMapINI(saved);
    EXPECT_EQ(saved.GeoRef.BottomRight.X, pick.PickX);
  }
  EXPECT_EQ(redraws, 3);

  form.show();
  QTest::mouseClick(form.Button1, Qt::LeftButton);
  EXPECT_EQ(form.Edit1->text().toStdString(), "X: 39, Y: 29");
}

TEST_F(GeoRefFormTest, UnwritableSettingsAreReportedAndTheDialogStillCloses) {
  state.Source.Path = folder / "missing folder/chart.bmp";
  form.ChooseCorner(ReferenceCorner::TopLeft);
  form.show();
  QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("Unable to write to"), std::string::npos);
}

TEST(SkewMeridianTest, SliderStoresEveryPositionAndRedraws) {
  testing::Application();
  AppState state;
  state.Source.GeoRef.SkewRight = 12;
  state.Source.GeoRef.SkewLeft = 900;  // beyond the slider, from an edited settings file
  int redraws = 0;
  const auto redraw = state.GeoReferenceChanged.Subscribe([&] { ++redraws; });
  TSkewMeridian skew(state);
  EXPECT_EQ(skew.windowTitle().toStdString(), "Skew Meridians");
  EXPECT_TRUE(skew.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  skew.SetTarget(SkewSide::Left);
  skew.show();
  EXPECT_EQ(skew.Edit1->text().toStdString(), "900");
  EXPECT_EQ(skew.ScrollBar1->value(), 500);
  EXPECT_EQ(state.Source.GeoRef.SkewLeft, 900);
  skew.hide();

  skew.SetTarget(SkewSide::Right);
  skew.show();
  EXPECT_EQ(skew.ScrollBar1->value(), 12);
  ASSERT_EQ(skew.focusWidget(), skew.ScrollBar1);  // the arrow keys move the slider
  QTest::keyClick(skew.focusWidget(), Qt::Key_Right);
  EXPECT_EQ(state.Source.GeoRef.SkewRight, 13);
  EXPECT_EQ(skew.Edit1->text().toStdString(), "13");
  EXPECT_EQ(redraws, 1);
  // A click in the trough left of the handle pages down.
  QTest::mouseClick(skew.ScrollBar1, Qt::LeftButton, {}, QPoint(40, skew.ScrollBar1->height() / 2));
  EXPECT_LT(state.Source.GeoRef.SkewRight, 13);
  EXPECT_EQ(skew.Edit1->text().toInt(), state.Source.GeoRef.SkewRight);
  EXPECT_EQ(redraws, 2);
  skew.close();
  EXPECT_EQ(state.Source.GeoRef.SkewLeft, 900);
  EXPECT_EQ(skew.ScrollBar1->value(), state.Source.GeoRef.SkewRight);
}

}  // namespace
}  // namespace cz
