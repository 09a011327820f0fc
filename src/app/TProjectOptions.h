#pragma once
// The "Map Options" dialog: the processing options of the current source (method, tile
// resolutions, colour reduction, dithering) and the three "DX" buttons that copy one of them
// into the settings file of every source of the project. The logic is MapOptions'.

#include <QDialog>

#include <array>
#include <functional>

#include "batch/MapOptions.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPushButton;

namespace cz {

class TProjectOptions : public QDialog {
  Q_OBJECT
 public:
  // Another georeferencing method chosen is a georeference edit: the main window follows it
  // (AppState::GeoReferenceChanged).
  TProjectOptions(AppState& state, UserInterface& ui, QWidget* parent = nullptr);

  // CheckBoxes[k] is the check box of TileLevel k ("0.25 degrees per tile ..." first).
  std::array<QCheckBox*, kTileLevelCount> CheckBoxes{};
  QGroupBox* RadioGroup1 = nullptr;  // "Georeferencing method"
  QGroupBox* RadioGroup2 = nullptr;  // "Color reduction when creating tiles"
  QGroupBox* RadioGroup3 = nullptr;  // "Dithering options"
  QButtonGroup* GeoReferencingItems = nullptr;
  QButtonGroup* ColorReductionItems = nullptr;
  QButtonGroup* DitheringItems = nullptr;
  QPushButton* ResolutionDX = nullptr;
  QPushButton* ColorReductionDX = nullptr;
  QPushButton* DitheringDX = nullptr;
  QPushButton* BitBtn1 = nullptr;  // OK

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Distribute(DistributedOption option);

  AppState& state_;
  UserInterface& ui_;
  MapOptions options_;
};

}  // namespace cz
