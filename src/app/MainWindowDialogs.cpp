#include "MainWindowDialogs.h"

#include <QAction>
#include <QFrame>
#include <QPushButton>

#include "QtUserInterface.h"
#include "TBatchForm.h"
#include "TForm1.h"
#include "TGeoRefForm.h"
#include "TProjectOptions.h"
#include "TProjectViewerForm.h"
#include "TSkewMeridian.h"
#include "workspace/CommandAvailability.h"
#include "workspace/GeoReferenceEdits.h"

namespace cz {

namespace {

// Runs a handler under the main window's general error handler.
template <typename Handler>
void Guarded(TForm1& window, Handler handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    window.ReportError(error);
  }
}

template <typename Sender, typename Signal, typename Handler>
void ConnectGuarded(TForm1& window, Sender* sender, Signal signal, Handler handler) {
  QObject::connect(sender, signal, &window, [&window, handler] { Guarded(window, handler); });
}

}  // namespace

MainWindowDialogs::MainWindowDialogs(TForm1& window) : window_(window) {
  // The grid follows their edits through AppState::GeoReferenceChanged (TForm1).
  AppState& state = window.state_;
  GeoRefForm = new TGeoRefForm(state, state.Picks, window.QtUi(), &window);
  SkewMeridian = new TSkewMeridian(state, &window, &window.QtUi());
  ProjectOptions = new TProjectOptions(state, window.QtUi(), &window);
  ProjectViewerForm = new TProjectViewerForm(state, window.QtUi(), &window);
  BatchForm = new TBatchForm(state, window.QtUi(), window, &window);

  ConnectGuarded(window, window.BitBtn1, &QPushButton::clicked, [this] { BitBtn1Click(); });
  ConnectGuarded(window, window.BitBtn2, &QPushButton::clicked, [this] { BitBtn2Click(); });
  ConnectGuarded(window, window.BitBtn3, &QPushButton::clicked, [this] { BitBtn3Click(); });
  ConnectGuarded(window, window.BitBtn4, &QPushButton::clicked, [this] { BitBtn4Click(); });
  ConnectGuarded(window, window.BitBtn5, &QPushButton::clicked, [this] { BitBtn5Click(); });
  ConnectGuarded(window, window.MapOptionsItem, &QAction::triggered,
                 [this] { ProjectOptions->exec(); });
  ConnectGuarded(window, window.ViewEditProjectItem, &QAction::triggered,
                 [this] { ProjectViewerForm->exec(); });
  ConnectGuarded(window, window.ExecuteBatchItem, &QAction::triggered,
                 [this] { BatchForm->exec(); });
  sourceReplaced_ = state.SourceReplaced.Subscribe([this] {
    GeoRefForm->Discard();
    SkewMeridian->hide();
  });
  window.SetReferencePickHandler([this] { return GeoRefForm->isVisible(); },
                                 [this] { GeoRefForm->UpdateInfo(); });
}

void MainWindowDialogs::OpenReferenceDialog(ReferenceCorner corner) {
  QPushButton* button = corner == ReferenceCorner::TopLeft ? window_.BitBtn1 : window_.BitBtn2;
  GeoRefForm->ChooseCorner(corner);
  GeoRefForm->adjustSize();
  // Placed on the screen beside the button: the button's panel and the button's own place
  // give the position, taken where the main window stands now.
  const QPoint panel = button->parentWidget()->mapToGlobal(QPoint(0, 0));
  const DialogPlacement place =
      PlaceReferenceDialog(corner, panel.x() + button->x(), panel.y(), button->y(),
                           GeoRefForm->frameGeometry().height());
  GeoRefForm->move(place.Left, place.Top);
  // Already showing, it is not shown again: it takes the newly chosen reference here.
  if (GeoRefForm->isVisible()) GeoRefForm->UpdateInfo();
  GeoRefForm->show();
  GeoRefForm->raise();
  GeoRefForm->activateWindow();
}

void MainWindowDialogs::OpenSkewDialog(SkewSide side) {
  QPushButton* button = side == SkewSide::Left ? window_.BitBtn3 : window_.BitBtn4;
  SkewMeridian->SetTarget(side);
  const QPoint panel = button->parentWidget()->mapToGlobal(QPoint(0, 0));
  const DialogPlacement place =
      PlaceSkewDialog(side, panel.x(), panel.y(), button->x(), button->y());
  SkewMeridian->move(place.Left, place.Top);
  // Showing it again for the other meridian shows that one's skew.
  if (SkewMeridian->isVisible()) SkewMeridian->UpdateSlider();
  SkewMeridian->show();
  SkewMeridian->raise();
}

void MainWindowDialogs::BitBtn1Click() {
  OpenReferenceDialog(ReferenceCorner::TopLeft);
}
void MainWindowDialogs::BitBtn2Click() {
  OpenReferenceDialog(ReferenceCorner::BottomRight);
}
void MainWindowDialogs::BitBtn3Click() {
  OpenSkewDialog(SkewSide::Left);
}
void MainWindowDialogs::BitBtn4Click() {
  OpenSkewDialog(SkewSide::Right);
}

void MainWindowDialogs::BitBtn5Click() {
  ReadBpw(window_.state_, window_.QtUi());
}

void MainWindowDialogs::UpdateAvailability() {
  const AppState& state = window_.state_;
  GeoRefForm->SetAvailability(AvailabilityOf(state, Command::EditReference));
  SkewMeridian->SetAvailability(AvailabilityOf(state, Command::MoveSkew));
}

}  // namespace cz
