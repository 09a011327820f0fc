#pragma once
// The "Coverage" dialog: the part of the loaded chart that is map. A latitude/longitude box
// (usually the neat line) in masked edits like the reference dialog's, the chart's own
// transparency as a check box, and the polygon drawn on the chart (its point count, and a
// button that clears it; the points themselves are drawn with the main window's polygon tool).
//
// OK applies the box and the transparency (CoverageEdits.h): a coverage the chart cannot use
// is refused with its reason and the dialog stays open; an accepted one is stored at once and
// the dialog closes. Cancel and the frame change nothing. While a long operation runs its
// controls are disabled, with the reason as tooltip. Another source replaced: it hides.

#include <QDialog>

#include <functional>

#include "port/UserInterface.h"
#include "workspace/AppState.h"
#include "workspace/CommandAvailability.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace cz {

class CoordinateEdit;

class TCoverageForm : public QDialog {
  Q_OBJECT
 public:
  // changed: the coverage changed (the main window redraws its overlay).
  TCoverageForm(AppState& state, UserInterface& ui, std::function<void()> changed,
                QWidget* parent = nullptr);

  // Fills the controls from the loaded chart's coverage.
  void UpdateInfo();
  void SetAvailability(const Availability& availability);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Apply();
  void ClearPolygonClick();
  void ShowBoxEnabled();

  AppState& state_;
  UserInterface& ui_;
  std::function<void()> changed_;
  bool editable_ = true;  // no long operation runs
  QCheckBox* useBox_ = nullptr;
  CoordinateEdit* north_ = nullptr;
  CoordinateEdit* south_ = nullptr;
  CoordinateEdit* west_ = nullptr;
  CoordinateEdit* east_ = nullptr;
  QCheckBox* transparency_ = nullptr;
  QLabel* polygon_ = nullptr;
  QPushButton* clearPolygon_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace cz
