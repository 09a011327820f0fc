#pragma once
// The "Grid report" window: every point of the loaded chart's last grid fit or check
// (GridFitCommands.h) as a row of a table that sorts by any column (point, latitude, longitude,
// shift, residual, mark); clicking a row scrolls the chart to the point. Its buttons fit the
// grid to the printed graticule (progress and "Cancel" below), check the grid as it stands,
// and undo the last fit. It follows every georeference change while it shows. A chart
// georeferenced from its control points also gets their table (pixel, fitted pixel,
// residual) with the fit's summary; clicking a row scrolls the chart to the point.

#include <QWidget>

#include <functional>

#include "georef/GeoTiffReference.h"
#include "workspace/AppState.h"
#include "workspace/CommandAvailability.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace cz {

class ProgressPanel;
class QtUserInterface;

class TGridReportForm : public QWidget {
  Q_OBJECT
 public:
  // run: runs a command under the main window's error handler; scrollTo: centres the chart
  // view on a chart pixel.
  TGridReportForm(AppState& state, QtUserInterface& ui,
                  std::function<void(std::function<void()>)> run,
                  std::function<void(ChartPixel)> scrollTo, QWidget* mainWindow);

  // Fills the table and the summary from the state's report.
  void UpdateInfo();
  void SetAvailability(const Availability& availability);
  // The window's "Fit the grid" (also the main window's menu item): shows the window and fits.
  void Fit();

 private:
  void ShowControlPoints();

  AppState& state_;
  QtUserInterface& ui_;
  std::function<void(std::function<void()>)> run_;
  std::function<void(ChartPixel)> scrollTo_;
  ObserverList::Subscription changed_;
  QLabel* summary_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* controlPointSummary_ = nullptr;
  QTableWidget* controlPoints_ = nullptr;
  QPushButton* fit_ = nullptr;
  QPushButton* check_ = nullptr;
  QPushButton* undo_ = nullptr;
  ProgressPanel* progress_ = nullptr;
};

}  // namespace cz
