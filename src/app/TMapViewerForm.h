#pragma once
// The EFIS map viewer window ("View EFIS map files"): the project's map files around a centre
// position at one tile level, as the EFIS would show them. The picture and its geometry come
// from the core (efismap/MapViewer.h); this window holds the controls.
//
// The two position edits are where the project's viewer position lives while the application
// runs: UpdateInfo writes the project's position into them (at creation and after every
// project opening), GetViewerLatLong reads them back into the project (at every "View" and
// when the application closes, so a typed position is saved without pressing "View").

#include <QDialog>

#include "efismap/MapViewer.h"
#include "geo/TileGrid.h"
#include "imaging/Raster32.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

namespace cz {


class CoordinateEdit;
class ImageView;

class TMapViewerForm : public QDialog {
  Q_OBJECT
 public:
  // project: the open project (folder, viewer position); ui: where a corrupt map file's error
  // is shown.
  TMapViewerForm(ProjectState& project, UserInterface& ui, QWidget* parent = nullptr);

  void UpdateInfo();
  void GetViewerLatLong();
  // "View".
  void Button1Click();

  // The level of the checked "Map resolution" item.
  TileLevel Level() const;
  // The picture shown in Image1 (970 × 586).
  const Raster32& ViewPicture() const { return view_; }

  ImageView* Image1 = nullptr;
  QFrame* Bevel1 = nullptr;
  QLabel* Label1 = nullptr;
  CoordinateEdit* MaskEdit1 = nullptr;  // latitude
  CoordinateEdit* MaskEdit2 = nullptr;  // longitude
  QGroupBox* RadioGroup1 = nullptr;
  QButtonGroup* RadioGroup1Items = nullptr;  // ids are the TileLevels
  QPushButton* Button1 = nullptr;

 private:
  void FormCreate();

  ProjectState& project_;
  UserInterface& ui_;
  MapViewer viewer_;
  Raster32 view_;
};

}  // namespace cz
