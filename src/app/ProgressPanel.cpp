#include "ProgressPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <climits>

#include "port/ProgressLine.h"

namespace cz {

ProgressPanel::ProgressPanel(QWidget* parent, std::function<void()> cancel) : QWidget(parent) {
  Bar = new QProgressBar(this);
  Bar->setRange(0, 1);
  Bar->setValue(0);
  Text = new QLabel(this);
  CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 2, 8, 2);
  layout->addWidget(Bar, 1);
  layout->addWidget(Text, 2);
  layout->addWidget(CancelButton);
  connect(CancelButton, &QPushButton::clicked, this, [this, cancel] {
    CancelButton->setEnabled(false);  // asked once; the job stops after the work in flight
    if (cancel) cancel();
  });
  setFixedHeight(kHeight);
}

void ProgressPanel::Show(const ProgressReport& report) {
  // QProgressBar counts in int; counts beyond that are scaled down together.
  const std::int64_t planned = std::max<std::int64_t>(report.Planned, 1);
  const std::int64_t scale = planned / INT_MAX + 1;
  Bar->setRange(0, static_cast<int>(planned / scale));
  Bar->setValue(static_cast<int>(std::clamp<std::int64_t>(report.Done, 0, planned) / scale));
  Text->setText(QString::fromStdString(ProgressText(report)));
  if (report.Ended) CancelButton->setEnabled(false);  // nothing left to cancel
}

void ProgressPanel::Reset() {
  Bar->setRange(0, 1);
  Bar->setValue(0);
  Text->clear();
  CancelButton->setEnabled(true);
}

}  // namespace cz
