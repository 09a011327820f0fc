#pragma once
// The skew dialog "Skew Meridians": a slider from −500 to 500 sets the skew of one edge
// meridian (SetTarget), stored and redrawn at every change of its position; nothing is saved
// here (the skews reach the settings file when it is next written). It stays on top of the
// other windows, has no OK button and is closed by its frame, keeping the last value.

#include <QDialog>

#include <functional>

#include "georef/ReferenceDialogs.h"
#include "workspace/AppState.h"

class QLineEdit;
class QScrollBar;

namespace cz {

class TSkewMeridian : public QDialog {
  Q_OBJECT
 public:
  // drawGrid: lays the grid out again and draws it over the chart.
  TSkewMeridian(AppState& state, std::function<void()> drawGrid, QWidget* parent = nullptr);

  void SetTarget(SkewSide side) { dialog_.Target = side; }
  SkewSide Target() const { return dialog_.Target; }
  // On showing: the text and the slider show the target's skew.
  void UpdateSlider();
  void ScrollBar1Change(int position);

  QScrollBar* ScrollBar1 = nullptr;
  QLineEdit* Edit1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  AppState& state_;
  std::function<void()> drawGrid_;
  SkewDialogState dialog_;
};

}  // namespace cz
