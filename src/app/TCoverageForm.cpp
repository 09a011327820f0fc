#include "TCoverageForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "CoordinateEdit.h"
#include "workspace/CoverageEdits.h"

namespace cz {

TCoverageForm::TCoverageForm(AppState& state, UserInterface& ui, std::function<void()> changed,
                             QWidget* parent)
    : QDialog(parent), state_(state), ui_(ui), changed_(std::move(changed)) {
  setWindowTitle(QStringLiteral("Coverage"));
  useBox_ = new QCheckBox(QStringLiteral("Map area within the latitude/longitude box"), this);
  useBox_->setObjectName(QStringLiteral("UseBox"));
  north_ = new CoordinateEdit(CoordinateKind::Latitude, this);
  north_->setObjectName(QStringLiteral("North"));
  south_ = new CoordinateEdit(CoordinateKind::Latitude, this);
  south_->setObjectName(QStringLiteral("South"));
  west_ = new CoordinateEdit(CoordinateKind::Longitude, this);
  west_->setObjectName(QStringLiteral("West"));
  east_ = new CoordinateEdit(CoordinateKind::Longitude, this);
  east_->setObjectName(QStringLiteral("East"));
  transparency_ =
      new QCheckBox(QStringLiteral("Transparent pixels of the chart (alpha 0, nodata) are not map"),
                    this);
  transparency_->setObjectName(QStringLiteral("Transparency"));
  polygon_ = new QLabel(this);
  polygon_->setObjectName(QStringLiteral("PolygonPoints"));
  clearPolygon_ = new QPushButton(QStringLiteral("Clear polygon"), this);
  clearPolygon_->setObjectName(QStringLiteral("ClearPolygon"));
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("OK"));
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName(QStringLiteral("Cancel"));

  auto* layout = new QGridLayout(this);
  layout->addWidget(useBox_, 0, 0, 1, 4);
  layout->addWidget(new QLabel(QStringLiteral("North"), this), 1, 1);
  layout->addWidget(north_, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("West"), this), 2, 0);
  layout->addWidget(west_, 2, 1);
  layout->addWidget(new QLabel(QStringLiteral("East"), this), 2, 2);
  layout->addWidget(east_, 2, 3);
  layout->addWidget(new QLabel(QStringLiteral("South"), this), 3, 1);
  layout->addWidget(south_, 3, 2);
  layout->addWidget(transparency_, 4, 0, 1, 4);
  layout->addWidget(polygon_, 5, 0, 1, 3);
  layout->addWidget(clearPolygon_, 5, 3);
  layout->addWidget(cancel_, 6, 2);
  layout->addWidget(ok_, 6, 3);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(useBox_, &QCheckBox::toggled, this, &TCoverageForm::ShowBoxEnabled);
  connect(ok_, &QPushButton::clicked, this, &TCoverageForm::Apply);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(clearPolygon_, &QPushButton::clicked, this, &TCoverageForm::ClearPolygonClick);
}

void TCoverageForm::UpdateInfo() {
  const CoverageDialogTexts texts = CoverageDialogTextsOf(state_);
  useBox_->setChecked(texts.UseBox);
  north_->SetCoordinate(texts.North);
  south_->SetCoordinate(texts.South);
  west_->SetCoordinate(texts.West);
  east_->SetCoordinate(texts.East);
  transparency_->setChecked(texts.Transparency);
  const std::size_t points = ShownPolygon(state_).size();
  polygon_->setText(points == 0 ? QStringLiteral("No polygon drawn")
                                : QStringLiteral("Polygon of %1 points%2")
                                      .arg(points)
                                      .arg(points < 3 ? QStringLiteral(" (not yet used)")
                                                      : QString()));
  clearPolygon_->setEnabled(points > 0 && editable_);
  ShowBoxEnabled();
}

void TCoverageForm::ShowBoxEnabled() {
  for (CoordinateEdit* edit : {north_, south_, west_, east_}) {
    edit->setEnabled(editable_ && useBox_->isChecked());
  }
}

void TCoverageForm::Apply() {
  CoverageDialogTexts texts;
  texts.UseBox = useBox_->isChecked();
  texts.North = north_->Coordinate();
  texts.South = south_->Coordinate();
  texts.West = west_->Coordinate();
  texts.East = east_->Coordinate();
  texts.Transparency = transparency_->isChecked();
  try {
    if (!ApplyCoverageDialog(state_, texts, ui_)) return;  // refused: the reason was shown
  } catch (const std::exception& error) {
    ui_.ReportError(error);
    return;
  }
  if (changed_) changed_();
  accept();
}

void TCoverageForm::ClearPolygonClick() {
  try {
    if (!ClearPolygon(state_, ui_)) return;
  } catch (const std::exception& error) {
    ui_.ReportError(error);
    return;
  }
  if (changed_) changed_();
  UpdateInfo();
}

void TCoverageForm::SetAvailability(const Availability& availability) {
  editable_ = availability.Available;
  const QString reason = QString::fromStdString(availability.Reason);
  for (QWidget* control : std::initializer_list<QWidget*>{useBox_, transparency_, clearPolygon_, ok_}) {
    control->setEnabled(availability.Available);
    control->setToolTip(reason);
  }
  ShowBoxEnabled();
  if (availability.Available) UpdateInfo();
}

void TCoverageForm::showEvent(QShowEvent* event) {
  UpdateInfo();
  QDialog::showEvent(event);
}

}  // namespace cz
