#include "TSkewMeridian.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

#include "workspace/GeoReferenceEdits.h"

namespace cz {

TSkewMeridian::TSkewMeridian(AppState& state, QWidget* parent, UserInterface* ui)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), state_(state), ui_(ui) {
  setWindowTitle(QStringLiteral("Skew Meridians"));
  ScrollBar1 = new QScrollBar(Qt::Horizontal, this);
  ScrollBar1->setRange(kSkewSliderMinimum, kSkewSliderMaximum);
  ScrollBar1->setMinimumWidth(300);
  // A scroll bar inverts its keys by default (Right moves the view, so the value falls); a
  // slider that sets a number should rise with Right.
  ScrollBar1->setInvertedControls(false);
  // Scroll bars take no focus by default; this one is the dialog's only control, and the arrow
  // keys should move it rather than the read-only text beside it.
  ScrollBar1->setFocusPolicy(Qt::StrongFocus);
  Edit1 = new QLineEdit(this);
  Edit1->setReadOnly(true);
  Edit1->setMaximumWidth(60);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(ScrollBar1);
  layout->addWidget(Edit1);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(ScrollBar1, &QScrollBar::valueChanged, this, &TSkewMeridian::ScrollBar1Change);
}

void TSkewMeridian::UpdateSlider() {
  const std::int32_t skew = SkewOf(state_.Source.GeoRef, dialog_.Target);
  Edit1->setText(QString::number(skew));
  // Only moving the slider by hand stores a value; showing a skew beyond its range leaves it.
  const QSignalBlocker blocker(ScrollBar1);
  ScrollBar1->setValue(SkewSliderPosition(skew));
}

void TSkewMeridian::ScrollBar1Change(int position) {
  SilentUserInterface silent;
  if (!MoveSkew(state_, dialog_, position, ui_ ? *ui_ : silent)) {
    UpdateSlider();  // back to the skew in use
    return;
  }
  Edit1->setText(QString::number(position));
}

void TSkewMeridian::SetAvailability(const Availability& availability) {
  ScrollBar1->setEnabled(availability.Available);
  ScrollBar1->setToolTip(QString::fromStdString(availability.Reason));
}

void TSkewMeridian::showEvent(QShowEvent* event) {
  UpdateSlider();
  QDialog::showEvent(event);
  ScrollBar1->setFocus();
}

}  // namespace cz
