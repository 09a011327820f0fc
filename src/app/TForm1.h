#pragma once
// The main window: widgets, their layout and their bindings to the workspace (Workspace.h),
// which main() makes and which owns the program's state. Its handlers gather inputs, call one
// workspace command and show the result; it follows the workspace's events: the busy state
// (controls enabled from CommandAvailability.h, a close waiting for the job), a georeference
// edit (the grid redrawn, the method's buttons shown) and a source replaced (the dialogs of
// the old one closed, MainWindowDialogs.h). It also implements the chart view's share of a
// load and of the command line (SourceView, CommandLineHost).
//
// Start-up (FormCreate): 1024 × 768, the workspace's start-up ("Cartozen2.ini" read and the
// last project reopened), the title set, and the one-shot Timer1 armed: 100 ms when there are
// command-line arguments, 3000 ms otherwise (a command-line run without a display never
// creates this window: workspace/WindowlessRun.h). The first showing shows the splash
// (FormShow); Timer1Timer hides it, runs the command line and closes the window when the run
// is over. Closing saves the source's settings file, the project file and "Cartozen2.ini"; a
// failed save shows its message and keeps the window open (except without a display, where
// nobody could retry: the message is logged and the window closes).
//
// Layout: Panel1 on top (BitBtn1 "Top Left", the zoom bar ScrollBar1 with its labels,
// BitBtn4 "Meridian skew"); Panel2 below it holds the chart view Image321 with its overlay
// Image1, ScrollBarHorizontal and Panel3 (BitBtn3 "Meridian skew", the status line Edit1,
// BitBtn5 "Read BPW", BitBtn2 "Bottom Right"); ScrollBarVertical on the right edge. Every
// control, menu item and secondary window carries its name as object name, so that tests find
// them (QObject::findChild); the widgets themselves are private.
//
// The main window's dialogs (MainWindowDialogs) are its own part and bind its buttons; the
// reference dialog takes presses on the chart through SetReferencePickHandler.
//
// Every handler connected to a menu item, button or the chart runs under the general error
// handler (ReportError): an error it throws is shown in a message box (or, in a display-less
// command-line run, logged, and the run ends).

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/CommandLine.h"
#include "georef/GridPicking.h"
#include "port/HeadlessUserInterface.h"
#include "georef/OverlayAddingPainter.h"
#include "workspace/AppState.h"
#include "workspace/CommandLineRun.h"
#include "workspace/ObserverList.h"
#include "workspace/SourceLoading.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class QTimer;

namespace cz {

class ChartView;
class MainWindowDialogs;
class QtGridPainter;
class TMakeMaps;
class TProcessViewer;
class TSplashScreen;
class QtUserInterface;
class TForm2;
class TCoverageForm;
class TGridReportForm;
class TMapViewerForm;
class Workspace;

class TForm1 : public QMainWindow, public CommandLineHost {
  Q_OBJECT
 public:
  // workspace: made by main(), it outlives the window. displayless: there is no display
  // (messages and questions are logged instead of shown).
  TForm1(Workspace& workspace, bool displayless, QWidget* parent = nullptr);
  ~TForm1() override;

  UserInterface& Ui();
  QtUserInterface& QtUi() { return *ui_; }

  // Once the command line has run (Workspace::CommandLineRan), whether it logged a problem
  // (the process exits with status 1).
  bool RunLogged() const;

  // Sets the caption from the project state.
  void UpdateTitle();

  // Under the Lambert method all five buttons show, under the manual grid only "Top Left"
  // and "Bottom Right"; which are enabled is UpdateAvailability's.
  void EnableStuff();
  // Enables the menu items, the five buttons, the zoom bar and the dialogs' controls from the
  // workspace's rules (CommandAvailability.h), the reason of a disabled one as its tooltip.
  // Run when the busy state changes and after a load.
  void UpdateAvailability();
  // The scroll ranges from the view's scale: the integer part of (scaled size − Panel2's
  // size) when the scaled chart is larger than Panel2, else Panel2's size.
  void SetScrollBarScale();
  // Lays the current source's grid out and draws it over the chart view.
  void RedrawGrid();
  // A raster just loaded or being filled (an import mosaic): zoom bar at 24 (scale 0.25),
  // both scroll bars at 0, the scroll ranges set; the view repaints.
  void ShowNewRaster();
  // While isShowing() answers true, a press on the chart is a pick for the reference dialog:
  // takePick runs after AppState::Picks holds it, and no grid point is picked up or dropped.
  void SetReferencePickHandler(std::function<bool()> isShowing, std::function<void()> takePick);

  // The general error handler: shows the error's text in a box, a cancelled job's on the
  // status line (without a display it logs either); during a command-line run it is logged in
  // any case.
  void ReportError(const std::exception& error, bool duringCommandLine = false);
  // An error that reached the event loop: reported; a display-less run ends.
  void HandleUncaughtError(const std::exception& error);

  // Handlers.
  void FormShow();
  void Timer1Timer();
  void FormResize();
  void Panel1Resize();
  void Panel3Resize();
  void ScrollBar1Change();
  void ScrollBarHorizontalChange();
  void ScrollBarVerticalChange();
  void Image1MouseDown(QPoint position, bool secondaryButton = false);
  void CoverageClick();     // the "Coverage" dialog
  void FitGridClick();      // fits the grid, the "Grid report" window showing it
  void GridReportClick();   // the "Grid report" window
  // Scrolls the chart view so that the chart pixel lies in its middle, as far as it can.
  void ScrollChartTo(ChartPixel pixel);
  void PolygonToolClick();  // the polygon tool on or off
  void CreateOrOpenProjectClick();
  void LoadSourceMapClick();
  void UseChartGeoReferenceClick();
  void DeleteAllTilesClick();
  void ProcessSourceMapClick();
  void CreateEfisMapsClick();
  void ImportEpsg3857Click();  // the import window, modal
  void ViewEfisMapsClick();    // the map viewer, modal

  // The file dialogs: the project file (OpenDialog2) and the source image (OpenDialog1).
  // Tests replace them.
  std::function<std::optional<std::string>()> ChooseProjectFile;
  ChooseSourceImage ChooseSourceFile;

  // SourceView: the main view's share of loading a source.
  void ResetForLoad() override;
  void ShowLoadedImage() override;
  void DrawGridFromGeoRef(GeoReference& geoRef, UserInterface& ui) override;
  void EnableGeoReferenceControls() override;
  // CommandLineHost: /M shows the map-builder window while it builds, as the menu does.
  void CreateMaps(AppState& state, UserInterface& ui) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class MainWindowDialogs;  // the main window's own dialogs bind its buttons

  void CreateControls();
  void CreateMenus();
  // The windows that live as long as the main window, in this order: TGeoRefForm,
  // TSkewMeridian, TProcessViewer, TMakeMaps, TProjectOptions, TMapViewerForm, TSplashScreen,
  // TProjectViewerForm, TBatchForm, TForm2.
  void CreateSecondaryWindows();
  void FormCreate();
  // The busy state changed: controls follow, and a close waiting for the job happens now.
  void BusyChanged();
  // A georeference edit: the method's buttons and the grid follow.
  void GeoReferenceChanged();
  // Lays out and draws the grid and, over it, the coverage; coverageChanged: the coverage or
  // the georeference may have changed since the last drawing.
  void DrawOverlay(GeoReference& geoRef, UserInterface& ui, bool coverageChanged);
  // Runs a handler under the general error handler.
  void Guarded(const std::function<void()>& handler);
  // Connects a menu item, button or signal to a handler run under the general error handler.
  template <typename Sender, typename Signal>
  void ConnectGuarded(Sender* sender, Signal signal, void (TForm1::*handler)());

  Workspace& workspace_;
  AppState& state_;  // the workspace's
  bool displayless_;
  bool splashShown_ = false;
  HeadlessUserInterface headless_;
  std::unique_ptr<QtUserInterface> ui_;
  std::unique_ptr<QtGridPainter> gridPainter_;
  std::unique_ptr<OverlayAddingPainter> overlayPainter_;  // the grid painter, coverage and markers added
  CoverageOverlay coverageOverlay_;
  std::unique_ptr<MainWindowDialogs> dialogs_;  // the dialogs it opens, and their wiring
  std::function<bool()> referenceDialogShowing_;
  std::function<void()> referenceDialogTakePick_;
  ObserverList::Subscription busyChanged_;
  ObserverList::Subscription geoReferenceChanged_;
  ObserverList::Subscription sourceReplaced_;  // hides the Coverage dialog

  QFrame* Panel1 = nullptr;
  QPushButton* BitBtn1 = nullptr;    // "Top Left"
  QLabel* Label1 = nullptr;          // "Map zoom"
  QLabel* Label2 = nullptr;          // "+"
  QLabel* Label3 = nullptr;          // "_"
  QScrollBar* ScrollBar1 = nullptr;  // zoom, 0..100
  QPushButton* BitBtn4 = nullptr;    // "Meridian skew" (right meridian)
  QFrame* Panel2 = nullptr;
  ChartView* Image321 = nullptr;  // the chart view with its overlay Image1
  QScrollBar* ScrollBarHorizontal = nullptr;
  QFrame* Panel3 = nullptr;
  QPushButton* BitBtn3 = nullptr;  // "Meridian skew" (left meridian)
  QLineEdit* Edit1 = nullptr;      // the status line
  QPushButton* BitBtn5 = nullptr;  // "Read BPW"
  QPushButton* BitBtn2 = nullptr;  // "Bottom Right"
  QScrollBar* ScrollBarVertical = nullptr;
  QTimer* Timer1 = nullptr;

  // The secondary windows, created once in the listed order (CreateSecondaryWindows).
  TProcessViewer* ProcessViewer = nullptr;
  TMakeMaps* MakeMaps = nullptr;
  TMapViewerForm* MapViewerForm = nullptr;  // keeps the project's viewer position in its edits
  TSplashScreen* SplashScreen = nullptr;
  TForm2* Form2 = nullptr;  // "Import EPSG3857 tiles"
  TCoverageForm* CoverageForm = nullptr;  // "Coverage"
  TGridReportForm* GridReportForm = nullptr;  // "Grid report"

  QMenu* ProjectMenu = nullptr;  // "Project"
  QAction* CreateOrOpenProjectItem = nullptr;
  QAction* LoadSourceMapItem = nullptr;
  QAction* UseChartGeoReferenceItem = nullptr;  // the loaded GeoTIFF's own georeference
  QAction* MapOptionsItem = nullptr;
  QAction* FitGridItem = nullptr;     // "Fit the grid to the printed graticule"
  QAction* GridReportItem = nullptr;  // "Grid report..."
  QMenu* CoverageMenu = nullptr;
  QAction* CoverageItem = nullptr;     // the "Coverage" dialog
  QAction* PolygonToolItem = nullptr;  // checkable: presses on the chart draw the polygon
  QAction* DeleteAllTilesItem = nullptr;
  QAction* ProcessSourceMapItem = nullptr;
  QAction* CreateEfisMapsItem = nullptr;
  QAction* ImportEpsg3857Item = nullptr;
  QAction* ViewEfisMapsItem = nullptr;
  QMenu* BatchMenu = nullptr;  // "Batch"
  QAction* ViewEditProjectItem = nullptr;
  QAction* ExecuteBatchItem = nullptr;
};

}  // namespace cz
