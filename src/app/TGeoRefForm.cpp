#include "TGeoRefForm.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "CoordinateEdit.h"
#include "workspace/GeoReferenceEdits.h"

namespace cz {

TGeoRefForm::TGeoRefForm(AppState& state, GridPickState& pick, UserInterface& ui, QWidget* parent)
    : QDialog(parent), state_(state), pick_(pick), ui_(ui) {
  setWindowTitle(QStringLiteral("Geographic reference"));
  Label1 = new QLabel(QStringLiteral("Map source pixel coordinate"), this);
  Edit1 = new QLineEdit(this);
  Edit1->setReadOnly(true);
  Label3 = new QLabel(QString::fromUtf8(ReferenceCaption(ReferenceCorner::TopLeft)), this);
  Label2 = new QLabel(QStringLiteral("is at geographic location"), this);
  MaskEdit1 = new CoordinateEdit(CoordinateKind::Latitude, this);
  MaskEdit2 = new CoordinateEdit(CoordinateKind::Longitude, this);
  Label4 = new QLabel(QStringLiteral("Please click on a map location where you can identify a "
                                     "geographic coodinate and then enter that coordinate"),
                      this);
  Label4->setWordWrap(true);
  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setDefault(true);
  Button1 = new QPushButton(QStringLiteral(" = Image Corner"), this);

  auto* layout = new QGridLayout(this);
  layout->addWidget(Label1, 0, 0, 1, 2);
  layout->addWidget(Edit1, 1, 0, 1, 2);
  layout->addWidget(Label3, 2, 0, 1, 2);
  layout->addWidget(Label2, 3, 0, 1, 2);
  layout->addWidget(MaskEdit1, 4, 0);
  layout->addWidget(MaskEdit2, 4, 1);
  layout->addWidget(Label4, 5, 0, 1, 2);
  layout->addWidget(Button1, 6, 0);
  layout->addWidget(BitBtn1, 6, 1);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(MaskEdit1, &QLineEdit::textChanged, this,
          [this] { EditReferenceLatitude(state_, dialog_, MaskEdit1->Coordinate(), ui_); });
  connect(MaskEdit2, &QLineEdit::textChanged, this,
          [this] { EditReferenceLongitude(state_, dialog_, MaskEdit2->Coordinate(), ui_); });
  connect(BitBtn1, &QPushButton::clicked, this, &TGeoRefForm::BitBtn1Click);
  connect(Button1, &QPushButton::clicked, this, &TGeoRefForm::Button1Click);
}

void TGeoRefForm::ChooseCorner(ReferenceCorner corner) {
  Label3->setText(QString::fromUtf8(ReferenceCaption(corner)));
  ChooseReference(dialog_, corner, state_.Source.GeoRef, pick_);
}

void TGeoRefForm::UpdateInfo() {
  const ReferenceDialogTexts texts = ShowReferenceDialog(state_, dialog_, pick_);
  Edit1->setText(QString::fromStdString(texts.Pixel));
  if (!dialog_.Edited || texts.Latitude.empty()) return;
  // Setting the edits raises their change handlers, which store what the mask kept of the
  // texts: the reference then holds exactly what the dialog shows.
  MaskEdit1->SetCoordinate(texts.Latitude);
  MaskEdit2->SetCoordinate(texts.Longitude);
}

void TGeoRefForm::Button1Click() {
  std::string text;
  if (SetReferenceToImageCorner(state_, dialog_, pick_, text, ui_)) {
    Edit1->setText(QString::fromStdString(text));
  }
}

void TGeoRefForm::Accept() {
  try {
    AcceptReferenceEdit(state_, dialog_, pick_, MaskEdit1->Coordinate(), MaskEdit2->Coordinate(),
                        ui_);
  } catch (const std::exception& error) {
    ui_.ReportError(error);
  }
}

void TGeoRefForm::SetAvailability(const Availability& availability) {
  const QString reason = QString::fromStdString(availability.Reason);
  for (QWidget* control : {static_cast<QWidget*>(MaskEdit1), static_cast<QWidget*>(MaskEdit2),
                           static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(Button1)}) {
    control->setEnabled(availability.Available);
    control->setToolTip(reason);
  }
}

void TGeoRefForm::Discard() {
  // hide(), not reject(): closing by the frame accepts, and that would write the old
  // source's reference into the new one.
  hide();
}

void TGeoRefForm::BitBtn1Click() {
  Accept();
  hide();
}

bool TGeoRefForm::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) UpdateInfo();
  return QDialog::event(event);
}

void TGeoRefForm::showEvent(QShowEvent* event) {
  // Activation does not always reach a window shown beside a busy main window (or under the
  // offscreen platform); showing it counts as activating it. UpdateInfo twice changes nothing.
  UpdateInfo();
  QDialog::showEvent(event);
}

void TGeoRefForm::reject() {
  // Closing by the frame (QDialog turns it into reject) and Escape both do what OK does, so
  // that no way of closing the dialog leaves the settings file behind the reference.
  Accept();
  QDialog::reject();
}

}  // namespace cz
