#pragma once
// The reference dialog "Geographic reference": gives the chart pixel last clicked the latitude
// and longitude typed for it, for the top-left or the bottom-right corner reference. Non-modal:
// the chart stays clickable while it shows, and each click reaches UpdateInfo through the main
// window. The logic is ReferenceDialogs'; this window shows its texts.
//
// OK and closing by the frame both take the pick and the texts and save the settings file (the
// grid follows from the workspace's GeoReferenceChanged); a settings file that cannot be written is
// reported (the general error handler) and the dialog still closes (the reference stays in memory
// and is saved with the next save). While a long operation runs its controls are disabled and every
// edit is refused (GeoReferenceEdits.h).

#include <QDialog>

#include <functional>

#include "georef/GridPicking.h"
#include "georef/ReferenceDialogs.h"
#include "workspace/AppState.h"
#include "workspace/CommandAvailability.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace cz {

class CoordinateEdit;

class TGeoRefForm : public QDialog {
  Q_OBJECT
 public:
  TGeoRefForm(AppState& state, GridPickState& pick, UserInterface& ui, QWidget* parent = nullptr);

  // A corner button: the dialog edits that reference from now on (the caller places and
  // shows the dialog).
  void ChooseCorner(ReferenceCorner corner);
  // On activation and on every chart click while showing.
  void UpdateInfo();
  // The edits, " = Image Corner" and OK are usable or not, with the reason as tooltip.
  void SetAvailability(const Availability& availability);
  // Another source replaced the one this dialog edits: it hides and writes nothing.
  void Discard();

  void BitBtn1Click();  // OK
  void Button1Click();  // " = Image Corner"

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label2 = nullptr;
  CoordinateEdit* MaskEdit1 = nullptr;  // latitude
  CoordinateEdit* MaskEdit2 = nullptr;  // longitude
  QLabel* Label4 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* Button1 = nullptr;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void Accept();

  AppState& state_;
  GridPickState& pick_;
  UserInterface& ui_;
  ReferenceDialogState dialog_;
};

}  // namespace cz
