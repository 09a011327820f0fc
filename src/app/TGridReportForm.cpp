#include "TGridReportForm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

#include "ProgressPanel.h"
#include "QtUserInterface.h"
#include "geo/Antimeridian.h"
#include "workspace/GridFitCommands.h"

namespace cz {
namespace {

enum Column { kPoint, kLatitude, kLongitude, kShiftX, kShiftY, kResidual, kMark, kColumns };
enum ControlPointColumn {
  kControlPoint,
  kPixelX,
  kPixelY,
  kFittedX,
  kFittedY,
  kControlResidual,
  kControlColumns
};

// A cell that sorts by a rank of its own rather than its text: the points in grid order, the
// marks worst first.
class RankedItem : public QTableWidgetItem {
 public:
  RankedItem(const QString& text, double rank) : QTableWidgetItem(text), rank_(rank) {}
  bool operator<(const QTableWidgetItem& other) const override {
    const auto* ranked = dynamic_cast<const RankedItem*>(&other);
    return ranked ? rank_ < ranked->rank_ : QTableWidgetItem::operator<(other);
  }

 private:
  double rank_;
};

QTableWidgetItem* MarkItem(const ReportedPoint& p) {
  if (!p.Located) return new RankedItem(QStringLiteral("not found"), -1);
  return new RankedItem(QString::fromLatin1(MarkName(p.Mark)),
                        p.Mark == PointMark::Flagged ? 0 : p.Mark == PointMark::Doubtful ? 1 : 2);
}

// A cell that sorts by its number, shown with one decimal (or as many as asked).
QTableWidgetItem* NumberItem(double value, int decimals = 1) {
  const double unit = std::pow(10.0, decimals);
  auto* item = new QTableWidgetItem;
  item->setData(Qt::DisplayRole, std::round(value * unit) / unit);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

}  // namespace

TGridReportForm::TGridReportForm(AppState& state, QtUserInterface& ui,
                                 std::function<void(std::function<void()>)> run,
                                 std::function<void(ChartPixel)> scrollTo, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window),
      state_(state),
      ui_(ui),
      run_(std::move(run)),
      scrollTo_(std::move(scrollTo)) {
  setWindowTitle(QStringLiteral("Grid report"));
  resize(560, 420);
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("Summary"));
  summary_->setWordWrap(true);
  table_ = new QTableWidget(0, kColumns, this);
  table_->setObjectName(QStringLiteral("Points"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Point"), QStringLiteral("Latitude"),
                                     QStringLiteral("Longitude"), QStringLiteral("Shift X"),
                                     QStringLiteral("Shift Y"), QStringLiteral("Residual"),
                                     QStringLiteral("Mark")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  controlPointSummary_ = new QLabel(this);
  controlPointSummary_->setObjectName(QStringLiteral("ControlPointSummary"));
  controlPointSummary_->setWordWrap(true);
  controlPoints_ = new QTableWidget(0, kControlColumns, this);
  controlPoints_->setObjectName(QStringLiteral("ControlPoints"));
  controlPoints_->setHorizontalHeaderLabels(
      {QStringLiteral("Control point"), QStringLiteral("Pixel X"), QStringLiteral("Pixel Y"),
       QStringLiteral("Fitted X"), QStringLiteral("Fitted Y"), QStringLiteral("Residual")});
  controlPoints_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  controlPoints_->setSelectionBehavior(QAbstractItemView::SelectRows);
  controlPoints_->setSelectionMode(QAbstractItemView::SingleSelection);
  controlPoints_->verticalHeader()->hide();
  controlPoints_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  fit_ = new QPushButton(QStringLiteral("Fit to the printed graticule"), this);
  fit_->setObjectName(QStringLiteral("Fit"));
  check_ = new QPushButton(QStringLiteral("Check the grid as it stands"), this);
  check_->setObjectName(QStringLiteral("Check"));
  undo_ = new QPushButton(QStringLiteral("Undo the fit"), this);
  undo_->setObjectName(QStringLiteral("Undo"));
  progress_ = new ProgressPanel(this, [this] { ui_.RequestCancel(); });
  progress_->setObjectName(QStringLiteral("Progress"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(fit_);
  buttons->addWidget(check_);
  buttons->addWidget(undo_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(table_);
  layout->addWidget(controlPointSummary_);
  layout->addWidget(controlPoints_);
  layout->addLayout(buttons);
  layout->addWidget(progress_);

  ui_.SetProgressSink(ProgressTask::GridFit,
                      [this](const ProgressReport& report) { progress_->Show(report); });
  connect(fit_, &QPushButton::clicked, this, [this] { run_([this] { Fit(); }); });
  connect(check_, &QPushButton::clicked, this,
          [this] { run_([this] { CheckGridCommand(state_, ui_); }); });
  connect(undo_, &QPushButton::clicked, this,
          [this] { run_([this] { UndoGridFitCommand(state_, ui_); }); });
  // The point a row shows, wherever sorting has put the row.
  connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) {
    const QTableWidgetItem* point = table_->item(row, kPoint);
    if (!point || !state_.GridFit.Report) return;
    const auto index = point->data(Qt::UserRole).toULongLong();
    if (index < state_.GridFit.Report->Points.size()) {
      scrollTo_(state_.GridFit.Report->Points[index].Found);
    }
  });
  connect(controlPoints_, &QTableWidget::cellClicked, this, [this](int row, int) {
    const QTableWidgetItem* point = controlPoints_->item(row, kControlPoint);
    if (!point || !state_.GridFit.ControlPoints) return;
    const auto index = point->data(Qt::UserRole).toULongLong();
    const std::vector<ControlPointResidual>& points = state_.GridFit.ControlPoints->Points;
    if (index < points.size()) scrollTo_({points[index].PixelX, points[index].PixelY});
  });
  changed_ = state_.GeoReferenceChanged.Subscribe([this] {
    if (isVisible()) UpdateInfo();
  });
}

void TGridReportForm::Fit() {
  show();
  raise();
  progress_->Reset();
  ui_.ResetCancel();
  FitGridCommand(state_, ui_);
  UpdateInfo();
}

void TGridReportForm::UpdateInfo() {
  const std::optional<GridReport>& report = state_.GridFit.Report;
  SetAvailability(AvailabilityOf(state_, Command::FitGrid));
  table_->setSortingEnabled(false);
  table_->setRowCount(report ? static_cast<int>(report->Points.size()) : 0);
  ShowControlPoints();
  if (!report) {
    summary_->setText(QStringLiteral("No grid report yet: fit the grid or check it."));
    return;
  }
  summary_->setText(QString::fromStdString(state_.GridFit.Summary));
  const GeoReference& geo = state_.Source.GeoRef;
  for (std::size_t k = 0; k < report->Points.size(); ++k) {
    const ReportedPoint& p = report->Points[k];
    const int row = static_cast<int>(k);
    auto* point = new RankedItem(QString::fromStdString(p.Name()), row);
    point->setData(Qt::UserRole, static_cast<qulonglong>(k));
    table_->setItem(row, kPoint, point);
    table_->setItem(row, kLatitude, NumberItem(geo.GridTopLatitude - p.Row));
    table_->setItem(row, kLongitude,
                    NumberItem(LongitudeOnEarth(geo.GridLeftLongitude + p.Column)));
    table_->setItem(row, kShiftX, NumberItem(p.ShiftX()));
    table_->setItem(row, kShiftY, NumberItem(p.ShiftY()));
    // A point not found has no residual of its own to show.
    table_->setItem(row, kResidual,
                    p.Located ? NumberItem(p.Residual) : new RankedItem(QString(), -1));
    table_->setItem(row, kMark, MarkItem(p));
  }
  table_->setSortingEnabled(true);
  table_->sortItems(kPoint, Qt::AscendingOrder);
}

void TGridReportForm::ShowControlPoints() {
  const std::optional<ControlPointReport>& report = state_.GridFit.ControlPoints;
  controlPointSummary_->setVisible(report.has_value());
  controlPoints_->setVisible(report.has_value());
  controlPoints_->setSortingEnabled(false);
  controlPoints_->setRowCount(report ? static_cast<int>(report->Points.size()) : 0);
  if (!report) return;
  controlPointSummary_->setText(QString::fromStdString(ControlPointSummary(*report)));
  for (std::size_t k = 0; k < report->Points.size(); ++k) {
    const ControlPointResidual& p = report->Points[k];
    const int row = static_cast<int>(k);
    auto* point = new RankedItem(QString::number(k + 1), row);
    point->setData(Qt::UserRole, static_cast<qulonglong>(k));
    controlPoints_->setItem(row, kControlPoint, point);
    controlPoints_->setItem(row, kPixelX, NumberItem(p.PixelX));
    controlPoints_->setItem(row, kPixelY, NumberItem(p.PixelY));
    controlPoints_->setItem(row, kFittedX, NumberItem(p.FittedX));
    controlPoints_->setItem(row, kFittedY, NumberItem(p.FittedY));
    controlPoints_->setItem(row, kControlResidual, NumberItem(p.Residual, 2));
  }
  controlPoints_->setSortingEnabled(true);
  controlPoints_->sortItems(kControlPoint, Qt::AscendingOrder);
}

void TGridReportForm::SetAvailability(const Availability& availability) {
  const QString reason = QString::fromStdString(availability.Reason);
  for (QPushButton* button : {fit_, check_, undo_}) {
    button->setEnabled(availability.Available);
    button->setToolTip(reason);
  }
  undo_->setEnabled(availability.Available && state_.GridFit.Before.has_value());
}

}  // namespace cz
