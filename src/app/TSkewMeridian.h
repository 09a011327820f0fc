#pragma once
// The skew dialog "Skew Meridians": a slider from −500 to 500 sets the skew of one edge
// meridian (SetTarget), stored at every change of its position (the grid follows from the
// workspace's GeoReferenceChanged); nothing is saved
// here (the skews reach the settings file when it is next written). It stays on top of the
// other windows, has no OK button and is closed by its frame, keeping the last value. While a
// long operation runs the slider is disabled and a move is refused (GeoReferenceEdits.h).

#include <QDialog>

#include <functional>

#include "georef/ReferenceDialogs.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"
#include "workspace/CommandAvailability.h"

class QLineEdit;
class QScrollBar;

namespace cz {

class TSkewMeridian : public QDialog {
  Q_OBJECT
 public:
  // ui: where a refused move is said (none: nowhere).
  TSkewMeridian(AppState& state, QWidget* parent = nullptr, UserInterface* ui = nullptr);

  void SetTarget(SkewSide side) { dialog_.Target = side; }
  SkewSide Target() const { return dialog_.Target; }
  // On showing: the text and the slider show the target's skew.
  void UpdateSlider();
  void ScrollBar1Change(int position);
  // The slider is usable or not, with the reason as tooltip.
  void SetAvailability(const Availability& availability);

  QScrollBar* ScrollBar1 = nullptr;
  QLineEdit* Edit1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  AppState& state_;
  UserInterface* ui_;
  SkewDialogState dialog_;
};

}  // namespace cz
