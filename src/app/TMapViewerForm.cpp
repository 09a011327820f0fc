#include "TMapViewerForm.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>
#include <exception>

#include "QtUserInterface.h"
#include "CoordinateEdit.h"
#include "ImageView.h"

namespace cz {

namespace {

constexpr std::array<const char*, kTileLevelCount> kResolutionItems = {
    "0.25 degrees per tile", "0.5 degrees per tile", "1 degree per tile", "2 degrees per tile",
    "4 degrees per tile"};
constexpr TileLevel kInitialLevel = 2;  // "1 degree per tile"

QImage WrapRaster(Raster32& raster) {
  // Raster32 pixels are 0xAARRGGBB words, which is QImage's 32-bit layout.
  return QImage(reinterpret_cast<uchar*>(raster.Pixels()), raster.Width(), raster.Height(),
                raster.Width() * 4, QImage::Format_RGB32);
}

}  // namespace

TMapViewerForm::TMapViewerForm(ProjectState& project, UserInterface& ui, QWidget* parent)
    : QDialog(parent), project_(project), ui_(ui), view_(kDefaultViewWidth, kDefaultViewHeight) {
  setWindowTitle(QStringLiteral("MapViewerForm"));
  setFixedSize(986, 728);

  Bevel1 = new QFrame(this);
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Bevel1->setLineWidth(2);
  Bevel1->setGeometry(5, 5, kDefaultViewWidth + 6, kDefaultViewHeight + 6);
  Image1 = new ImageView(this);
  Image1->setGeometry(8, 8, kDefaultViewWidth, kDefaultViewHeight);

  Label1 = new QLabel(QStringLiteral("Center position"), this);
  Label1->setGeometry(16, 608, 150, 20);
  MaskEdit1 = new CoordinateEdit(CoordinateKind::Latitude, this);
  MaskEdit1->setGeometry(16, 632, 110, 26);
  MaskEdit2 = new CoordinateEdit(CoordinateKind::Longitude, this);
  MaskEdit2->setGeometry(136, 632, 120, 26);

  RadioGroup1 = new QGroupBox(QStringLiteral("Map resolution"), this);
  RadioGroup1->setGeometry(290, 600, 240, 124);
  auto* items = new QVBoxLayout(RadioGroup1);
  items->setContentsMargins(8, 2, 8, 2);
  items->setSpacing(0);
  RadioGroup1Items = new QButtonGroup(this);
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    auto* item = new QRadioButton(QString::fromUtf8(kResolutionItems[level]), RadioGroup1);
    RadioGroup1Items->addButton(item, level);
    items->addWidget(item);
  }
  RadioGroup1Items->button(kInitialLevel)->setChecked(true);

  Button1 = new QPushButton(QStringLiteral("View"), this);
  Button1->setGeometry(560, 632, 90, 28);
  connect(Button1, &QPushButton::clicked, this, &TMapViewerForm::Button1Click);

  FormCreate();
}

void TMapViewerForm::FormCreate() {
  // The masks are set by the edits themselves; the view starts black like the picture would.
  view_.Clear();
  Image1->SetImage(WrapRaster(view_));
  UpdateInfo();
}

void TMapViewerForm::UpdateInfo() {
  const ViewerCentreText text = cz::UpdateInfo({project_.ViewerLatitude, project_.ViewerLongitude});
  MaskEdit1->SetCoordinate(text.Latitude);
  MaskEdit2->SetCoordinate(text.Longitude);
}

void TMapViewerForm::GetViewerLatLong() {
  const ViewerCentre centre =
      cz::GetViewerLatLong(MaskEdit1->Coordinate(), MaskEdit2->Coordinate());
  project_.ViewerLatitude = centre.Latitude;
  project_.ViewerLongitude = centre.Longitude;
}

TileLevel TMapViewerForm::Level() const {
  const int id = RadioGroup1Items->checkedId();
  return static_cast<TileLevel>(id < 0 ? kInitialLevel : id);
}

void TMapViewerForm::Button1Click() {
  GetViewerLatLong();
  try {
    // With no project open there are no map files to find.
    viewer_.DrawView(project_.Open ? project_.Folder : std::string(),
                     {project_.ViewerLatitude, project_.ViewerLongitude}, Level());
  } catch (const std::exception& error) {
    // A corrupt map file: the picture stays as it was.
    ui_.ReportError(error);
    return;
  }
  ShowView(viewer_.ViewBuffer(), view_);
  Image1->update();
}

}  // namespace cz
