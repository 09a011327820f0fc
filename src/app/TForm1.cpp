#include "TForm1.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "ChartView.h"
#include "FileDialogs.h"
#include "MainWindowDialogs.h"
#include "QtGridPainter.h"
#include "QtUserInterface.h"
#include "TCoverageForm.h"
#include "TGridReportForm.h"
#include "TForm2.h"
#include "TMakeMaps.h"
#include "TMapViewerForm.h"
#include "TProcessViewer.h"
#include "TSplashScreen.h"
#include "georef/GridDrawing.h"
#include "platform/Error.h"
#include "port/CancelSignals.h"
#include "port/ErrorLog.h"
#include "project/Project.h"
#include "workspace/BusyState.h"
#include "workspace/ChartGeoReferenceCommands.h"
#include "workspace/CommandAvailability.h"
#include "workspace/CoverageEdits.h"
#include "workspace/GeoReferenceEdits.h"
#include "workspace/MapCommands.h"
#include "workspace/ProjectBatch.h"
#include "workspace/ProjectCommands.h"
#include "workspace/Workspace.h"

namespace cz {

namespace {

constexpr int kPanelHeight = 41;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 8;
constexpr int kEdgeGap = 20;  // BitBtn4 and BitBtn2 keep this far from their panel's right edge
constexpr int kSpacing = 8;
constexpr int kZoomBarWidth = 200;
constexpr int kLoadZoomPosition = 24;  // scale 0.25
constexpr double kInitialScale = 0.2;

// Gives a control its name as object name, for the tests that find it.
template <typename Control>
Control* Named(Control* control, const char* name) {
  control->setObjectName(QLatin1String(name));
  return control;
}

QPushButton* MakeButton(const char* caption, const char* name, QWidget* parent) {
  auto* button = Named(new QPushButton(QString::fromUtf8(caption), parent), name);
  button->setGeometry(kSpacing, kButtonTop, kButtonWidth, kButtonHeight);
  button->setEnabled(false);
  return button;
}

QFrame* MakePanel(const char* name, QWidget* parent) {
  auto* panel = Named(new QFrame(parent), name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setFixedHeight(kPanelHeight);
  return panel;
}

}  // namespace

TForm1::TForm1(Workspace& workspace, bool displayless, QWidget* parent)
    : QMainWindow(parent),
      workspace_(workspace),
      state_(workspace.State()),
      displayless_(displayless) {
  CreateControls();
  CreateMenus();
  Timer1 = Named(new QTimer(this), "Timer1");
  Timer1->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }); });

  ui_ = std::make_unique<QtUserInterface>(this, Edit1, displayless_ ? &headless_ : nullptr);
  ui_->SetErrorReporter([this](const std::exception& error) { ReportError(error); });
  ui_->SetImportMosaicHandler([this](bool finished) {
    if (!finished) return ShowNewRaster();
    EnableStuff();
    RedrawGrid();
  });
  gridPainter_ = std::make_unique<QtGridPainter>(*Image321);
  overlayPainter_ = std::make_unique<OverlayAddingPainter>(*gridPainter_);
  ChooseProjectFile = [this] { return ChooseProjectFileInDialog(this); };
  ChooseSourceFile = [this](const std::string& folder, const std::string& filter) {
    return ChooseSourceImageInDialog(this, folder, filter);
  };
  dialogs_ = std::make_unique<MainWindowDialogs>(*this);
  FormCreate();
  CreateSecondaryWindows();
  busyChanged_ = state_.Busy.Changed.Subscribe([this] { BusyChanged(); });
  geoReferenceChanged_ = state_.GeoReferenceChanged.Subscribe([this] { GeoReferenceChanged(); });
  sourceReplaced_ = state_.SourceReplaced.Subscribe([this] {
    CoverageForm->hide();
    GridReportForm->hide();
  });
  UpdateAvailability();
}

TForm1::~TForm1() = default;

template <typename Sender, typename Signal>
void TForm1::ConnectGuarded(Sender* sender, Signal signal, void (TForm1::*handler)()) {
  connect(sender, signal, this,
          [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
}

void TForm1::CreateControls() {
  setWindowTitle(QStringLiteral("VDK Avionics - Cartozen 2"));
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  Panel1 = MakePanel("Panel1", central);
  BitBtn1 = MakeButton("Top Left", "BitBtn1", Panel1);
  BitBtn1->setProperty("hint",
                       QStringLiteral("Click this button to define the geographic coordinate for "
                                      "the top left corner of the usable map part"));
  BitBtn1->setToolTip(BitBtn1->property("hint").toString());
  Label1 = Named(new QLabel(QStringLiteral("Map zoom"), Panel1), "Label1");
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label3 = Named(new QLabel(QStringLiteral("_"), Panel1), "Label3");
  Label2 = Named(new QLabel(QStringLiteral("+"), Panel1), "Label2");
  ScrollBar1 = Named(new QScrollBar(Qt::Horizontal, Panel1), "ScrollBar1");
  ScrollBar1->setRange(0, 100);
  ScrollBar1->setValue(static_cast<int>(kInitialScale * 100) - 1);
  ScrollBar1->setEnabled(false);
  BitBtn4 = MakeButton("Meridian skew", "BitBtn4", Panel1);

  auto* row = new QHBoxLayout;
  row->setSpacing(0);
  Panel2 = Named(new QFrame(central), "Panel2");
  auto* panel2Layout = new QVBoxLayout(Panel2);
  panel2Layout->setContentsMargins(0, 0, 0, 0);
  panel2Layout->setSpacing(0);
  Image321 = Named(new ChartView(Panel2), "Image321");
  Image321->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  Image321->SetChart(&state_.Source.Image);
  Image321->SetMapping({kInitialScale, 0, 0});
  ScrollBarHorizontal = Named(new QScrollBar(Qt::Horizontal, Panel2), "ScrollBarHorizontal");
  Panel3 = MakePanel("Panel3", Panel2);
  BitBtn3 = MakeButton("Meridian skew", "BitBtn3", Panel3);
  Edit1 = Named(new QLineEdit(QStringLiteral("No map loaded"), Panel3), "Edit1");
  Edit1->setReadOnly(true);
  BitBtn5 = MakeButton("Read BPW", "BitBtn5", Panel3);
  BitBtn2 = MakeButton("Bottom Right", "BitBtn2", Panel3);
  BitBtn2->setProperty("hint",
                       QStringLiteral("Click this button to define the geographic coordinate for "
                                      "the bottom right corner of the usable map part"));
  BitBtn2->setToolTip(BitBtn2->property("hint").toString());
  panel2Layout->addWidget(Image321);
  panel2Layout->addWidget(ScrollBarHorizontal);
  panel2Layout->addWidget(Panel3);
  ScrollBarVertical = Named(new QScrollBar(Qt::Vertical, central), "ScrollBarVertical");
  row->addWidget(Panel2);
  row->addWidget(ScrollBarVertical);

  layout->addWidget(Panel1);
  layout->addLayout(row);
  setCentralWidget(central);

  Panel1->installEventFilter(this);
  Panel3->installEventFilter(this);
  Image321->installEventFilter(this);
  ConnectGuarded(ScrollBar1, &QScrollBar::valueChanged, &TForm1::ScrollBar1Change);
  ConnectGuarded(ScrollBarHorizontal, &QScrollBar::valueChanged,
                 &TForm1::ScrollBarHorizontalChange);
  ConnectGuarded(ScrollBarVertical, &QScrollBar::valueChanged, &TForm1::ScrollBarVerticalChange);
  ConnectGuarded(Image321, &ChartView::Resized, &TForm1::FormResize);
  connect(Image321, &ChartView::PressedWithButton, this, [this](QPoint position, bool secondary) {
    Guarded([this, position, secondary] { Image1MouseDown(position, secondary); });
  });
}

void TForm1::CreateMenus() {
  ProjectMenu = Named(menuBar()->addMenu(QStringLiteral("Project")), "ProjectMenu");
  CreateOrOpenProjectItem = Named(
      ProjectMenu->addAction(QStringLiteral("Create a new project or open an existing project")),
      "CreateOrOpenProjectItem");
  ProjectMenu->addSeparator();
  LoadSourceMapItem = Named(
      ProjectMenu->addAction(QStringLiteral("Load a source map for geo-referencing or processing")),
      "LoadSourceMapItem");
  UseChartGeoReferenceItem =
      Named(ProjectMenu->addAction(QStringLiteral("Use the chart's own georeference (GeoTIFF)")),
            "UseChartGeoReferenceItem");
  FitGridItem = Named(
      ProjectMenu->addAction(QStringLiteral("Fit the grid to the printed graticule")),
      "FitGridItem");
  GridReportItem =
      Named(ProjectMenu->addAction(QStringLiteral("Grid report...")), "GridReportItem");
  MapOptionsItem =
      Named(ProjectMenu->addAction(QStringLiteral("Map processing Options")), "MapOptionsItem");
  DeleteAllTilesItem = Named(
      ProjectMenu->addAction(QStringLiteral("Delete all tiles in tiles folder of this project")),
      "DeleteAllTilesItem");
  ProcessSourceMapItem =
      Named(ProjectMenu->addAction(QStringLiteral("Process source map (create tiles)")),
            "ProcessSourceMapItem");
  CreateEfisMapsItem = Named(ProjectMenu->addAction(QStringLiteral("Create EFIS maps from tiles")),
                             "CreateEfisMapsItem");
  ProjectMenu->addSeparator();
  ImportEpsg3857Item =
      Named(ProjectMenu->addAction(QStringLiteral("Import EPSG3857 tiles to VDK MAP tile")),
            "ImportEpsg3857Item");
  ProjectMenu->addSeparator();
  ViewEfisMapsItem =
      Named(ProjectMenu->addAction(QStringLiteral("View EFIS map files")), "ViewEfisMapsItem");

  CoverageMenu = Named(menuBar()->addMenu(QStringLiteral("Coverage")), "CoverageMenu");
  CoverageItem = Named(CoverageMenu->addAction(QStringLiteral("Map area of the chart...")),
                       "CoverageItem");
  PolygonToolItem =
      Named(CoverageMenu->addAction(QStringLiteral("Draw the map area's polygon on the chart")),
            "PolygonToolItem");
  PolygonToolItem->setCheckable(true);

  BatchMenu = Named(menuBar()->addMenu(QStringLiteral("Batch")), "BatchMenu");
  ViewEditProjectItem =
      Named(BatchMenu->addAction(QStringLiteral("View/Edit project")), "ViewEditProjectItem");
  ExecuteBatchItem =
      Named(BatchMenu->addAction(QStringLiteral("Execute batch")), "ExecuteBatchItem");

  ConnectGuarded(CreateOrOpenProjectItem, &QAction::triggered, &TForm1::CreateOrOpenProjectClick);
  ConnectGuarded(LoadSourceMapItem, &QAction::triggered, &TForm1::LoadSourceMapClick);
  ConnectGuarded(UseChartGeoReferenceItem, &QAction::triggered, &TForm1::UseChartGeoReferenceClick);
  ConnectGuarded(DeleteAllTilesItem, &QAction::triggered, &TForm1::DeleteAllTilesClick);
  ConnectGuarded(ProcessSourceMapItem, &QAction::triggered, &TForm1::ProcessSourceMapClick);
  ConnectGuarded(CreateEfisMapsItem, &QAction::triggered, &TForm1::CreateEfisMapsClick);
  ConnectGuarded(ImportEpsg3857Item, &QAction::triggered, &TForm1::ImportEpsg3857Click);
  ConnectGuarded(ViewEfisMapsItem, &QAction::triggered, &TForm1::ViewEfisMapsClick);
  ConnectGuarded(CoverageItem, &QAction::triggered, &TForm1::CoverageClick);
  ConnectGuarded(FitGridItem, &QAction::triggered, &TForm1::FitGridClick);
  ConnectGuarded(GridReportItem, &QAction::triggered, &TForm1::GridReportClick);
  ConnectGuarded(PolygonToolItem, &QAction::triggered, &TForm1::PolygonToolClick);
}

void TForm1::CreateSecondaryWindows() {
  ProcessViewer = Named(new TProcessViewer(this), "ProcessViewer");
  MakeMaps = Named(new TMakeMaps(this), "MakeMaps");
  // After the project is read: the viewer shows its position, the import window its
  // remembered folder.
  MapViewerForm = Named(new TMapViewerForm(state_.Project, *ui_, this), "MapViewerForm");
  SplashScreen = Named(new TSplashScreen(this), "SplashScreen");
  CoverageForm = Named(new TCoverageForm(state_, *ui_,
                                         [this] { DrawOverlay(state_.Source.GeoRef, *ui_, true); },
                                         this),
                       "CoverageForm");
  GridReportForm = Named(
      new TGridReportForm(
          state_, *ui_, [this](std::function<void()> command) { Guarded(command); },
          [this](ChartPixel pixel) { ScrollChartTo(pixel); }, this),
      "GridReportForm");
  Form2 = Named(new TForm2(
                    ImportWindow(), state_, *ui_, [this] { ProcessSourceMapClick(); }, this),
                "Form2");
  // Without a display the tiles are not shown, and the map builder's lines go to standard
  // output through the display-less port.
  if (!displayless_) {
    ui_->SetProcessViewer(ProcessViewer);
    MakeMaps->AttachTo(*ui_);
  }
}

UserInterface& TForm1::Ui() {
  return *ui_;
}

void TForm1::FormCreate() {
  resize(1024, 768);
  workspace_.StartUp(*ui_);
  UpdateTitle();
  Timer1->setInterval(StartUpTimerInterval(workspace_.Arguments().Count()));
  Timer1->start();
}

void TForm1::UpdateTitle() {
  setWindowTitle(QString::fromStdString(WindowTitle(state_.Project)));
}

bool TForm1::RunLogged() const {
  return CommandLineRunLogged(headless_.Logged());
}

void TForm1::ReportError(const std::exception& error, bool duringCommandLine) {
  // A command-line run reports through its log, whether or not a box can also be shown (the
  // display-less port logs what it is shown).
  if (duringCommandLine && !displayless_) LogError(error.what());
  // A job the person cancelled needs no box to confirm it: the status line says so.
  if (!displayless_ && dynamic_cast<const OperationCancelled*>(&error) != nullptr) {
    ui_->SetStatusText(error.what());
    return;
  }
  ui_->ShowMessage(error.what());
}

void TForm1::HandleUncaughtError(const std::exception& error) {
  ReportError(error, state_.CommandLine.Active);
  // Without a display nobody can carry on.
  if (displayless_) close();
}

void TForm1::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    HandleUncaughtError(error);
  }
}

void TForm1::FormShow() {
  if (splashShown_) return;
  splashShown_ = true;
  // Showing a splash window lets pending events run. The start-up timer must not fire in
  // there: its command-line run would close the main window before the splash is up, the
  // splash would then stay open, and the program would never end. It is armed again after.
  const bool armed = Timer1->isActive();
  Timer1->stop();
  SplashScreen->ShowCentred();
  if (armed) Timer1->start();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TForm1::Timer1Timer() {
  Timer1->stop();
  SplashScreen->hide();
  if (workspace_.Arguments().Count() == 0) return;
  CommandLineOutcome outcome = CommandLineOutcome::Close;
  try {
    outcome = workspace_.RunCommandLine(*ui_, *this);
  } catch (const std::exception& error) {
    ReportError(error, true);
    // With a display the person has seen what happened and carries on; without one the run
    // ends here, and a signal (Ctrl+C, kill) asks the program to end, display or not.
    outcome = CancelOnSignals::SignalReceived() ? CommandLineOutcome::Close
                                                : CommandLineOutcome::StayOpen;
  }
  workspace_.LogStartUpFailure();
  // The run may have opened another project: closing must not store the old one's position.
  MapViewerForm->UpdateInfo();
  UpdateTitle();
  // The run may have given the loaded chart a georeference of the other method after the
  // load showed its buttons (/X writes a manual grid): the buttons follow the method in use.
  EnableStuff();
  // Without a display nobody could carry on, so even /N closes.
  if (outcome == CommandLineOutcome::Close || displayless_) close();
}

void TForm1::EnableStuff() {
  UpdateAvailability();
  const bool lambert = state_.Source.GeoRef.Method() == GeoReferencingMethod::SemiAutomaticLambert;
  BitBtn1->setVisible(true);
  BitBtn2->setVisible(true);
  // The skew buttons and "Read BPW" belong to the semi-automatic method.
  BitBtn3->setVisible(lambert);
  BitBtn4->setVisible(lambert);
  BitBtn5->setVisible(lambert);
}

void TForm1::UpdateAvailability() {
  const auto bind = [this](auto* control, Command command) {
    const Availability availability = AvailabilityOf(state_, command);
    control->setEnabled(availability.Available);
    control->setStatusTip(QString::fromStdString(availability.Reason));
    return availability;
  };
  const std::pair<QAction*, Command> items[] = {
      {CreateOrOpenProjectItem, Command::CreateOrOpenProject},
      {LoadSourceMapItem, Command::LoadSource},
      {UseChartGeoReferenceItem, Command::UseChartGeoReference},
      {MapOptionsItem, Command::MapOptions},
      {CoverageItem, Command::EditCoverage},
      {FitGridItem, Command::FitGrid},
      {PolygonToolItem, Command::EditCoverage},
      {DeleteAllTilesItem, Command::DeleteAllTiles},
      {ProcessSourceMapItem, Command::ProcessSource},
      {CreateEfisMapsItem, Command::CreateEfisMaps},
      {ImportEpsg3857Item, Command::Import},
      {ViewEfisMapsItem, Command::ViewEfisMaps},
      {ViewEditProjectItem, Command::ViewEditProject},
      {ExecuteBatchItem, Command::ExecuteBatch},
  };
  for (const auto& [item, command] : items) {
    item->setToolTip(QString::fromStdString(bind(item, command).Reason));
  }
  const std::pair<QWidget*, Command> controls[] = {
      {BitBtn1, Command::ReferenceDialog}, {BitBtn2, Command::ReferenceDialog},
      {BitBtn3, Command::SkewDialog},      {BitBtn4, Command::SkewDialog},
      {BitBtn5, Command::ReadBpw},         {ScrollBar1, Command::Zoom},
  };
  for (const auto& [control, command] : controls) {
    const Availability availability = bind(control, command);
    // The corner buttons keep their own hint while usable.
    if (control == BitBtn1 || control == BitBtn2) {
      control->setToolTip(availability.Available ? control->property("hint").toString()
                                                 : QString::fromStdString(availability.Reason));
    } else {
      control->setToolTip(QString::fromStdString(availability.Reason));
    }
  }
  if (dialogs_) dialogs_->UpdateAvailability();
  if (CoverageForm) CoverageForm->SetAvailability(AvailabilityOf(state_, Command::EditCoverage));
  if (GridReportForm) GridReportForm->SetAvailability(AvailabilityOf(state_, Command::FitGrid));
}

void TForm1::BusyChanged() {
  UpdateAvailability();
  if (TakeDueClose(state_)) {
    // After the job's own end (its error report, its last redraw) has run.
    QTimer::singleShot(0, this, [this] { close(); });
  }
}

void TForm1::GeoReferenceChanged() {
  EnableStuff();
  DrawOverlay(state_.Source.GeoRef, *ui_, true);
}

void TForm1::SetScrollBarScale() {
  const double scale = Image321->Mapping().Scale;
  const auto range = [](double scaled, int panel) {
    return panel < scaled ? static_cast<int>(scaled - panel) : panel;
  };
  ScrollBarHorizontal->setMaximum(range(state_.Source.Image.Width() * scale, Panel2->width()));
  ScrollBarVertical->setMaximum(range(state_.Source.Image.Height() * scale, Panel2->height()));
}

void TForm1::RedrawGrid() {
  DrawOverlay(state_.Source.GeoRef, *ui_, false);
}

void TForm1::DrawOverlay(GeoReference& geoRef, UserInterface& ui, bool coverageChanged) {
  if (coverageChanged) coverageOverlay_ = CoverageOverlayOf(state_);
  overlayPainter_->Set(&coverageOverlay_, state_.GridFit.Report ? &*state_.GridFit.Report : nullptr,
                       Image321->Mapping());
  cz::DrawGridFromGeoRef(geoRef, Image321->Mapping(), *overlayPainter_, ui);
}

void TForm1::CoverageClick() {
  if (RefuseGeoReferenceEditIfBusy(state_.Busy, *ui_)) return;
  if (!state_.Source.Loaded) {
    ui_->ShowRefusal(kNoMapLoadedText);
    return;
  }
  CoverageForm->show();
  CoverageForm->raise();
}

void TForm1::FitGridClick() {
  GridReportForm->Fit();
}

void TForm1::GridReportClick() {
  GridReportForm->UpdateInfo();
  GridReportForm->show();
  GridReportForm->raise();
}

void TForm1::ScrollChartTo(ChartPixel pixel) {
  const double scale = Image321->Mapping().EffectiveScale();
  // The scroll bars keep their values within their ranges.
  ScrollBarHorizontal->setValue(static_cast<int>(std::lround(pixel.X * scale - Image321->width() / 2.0)));
  ScrollBarVertical->setValue(static_cast<int>(std::lround(pixel.Y * scale - Image321->height() / 2.0)));
}

void TForm1::PolygonToolClick() {
  state_.PolygonToolActive = PolygonToolItem->isChecked();
  state_.MovingPolygonPoint.reset();
  ui_->SetStatusText(state_.PolygonToolActive
                         ? "Coverage polygon: click to add a point, click a point to pick it up "
                           "and again to drop it, right-click a point to delete it"
                         : "");
}

void TForm1::ShowNewRaster() {
  {
    const QSignalBlocker zoom(ScrollBar1);
    const QSignalBlocker horizontal(ScrollBarHorizontal);
    const QSignalBlocker vertical(ScrollBarVertical);
    ScrollBar1->setValue(kLoadZoomPosition);
    ScrollBarHorizontal->setValue(0);
    ScrollBarVertical->setValue(0);
    Image321->SetMapping({(kLoadZoomPosition + 1) / 100.0, 0, 0});
    SetScrollBarScale();
  }
  Image321->update();
}

void TForm1::SetReferencePickHandler(std::function<bool()> isShowing,
                                     std::function<void()> takePick) {
  referenceDialogShowing_ = std::move(isShowing);
  referenceDialogTakePick_ = std::move(takePick);
}

void TForm1::FormResize() {
  RedrawGrid();
}

void TForm1::Panel1Resize() {
  BitBtn4->move(Panel1->width() - BitBtn4->width() - kEdgeGap, kButtonTop);
  // The zoom bar stays in the middle of the panel, its caption above it.
  const int left = (Panel1->width() - kZoomBarWidth) / 2;
  ScrollBar1->setGeometry(left, 20, kZoomBarWidth, 16);
  Label1->setGeometry(left, 2, kZoomBarWidth, 16);
  Label3->setGeometry(left - 14, 18, 12, 16);
  Label2->setGeometry(left + kZoomBarWidth + 4, 20, 12, 16);
}

void TForm1::Panel3Resize() {
  BitBtn2->move(Panel3->width() - BitBtn2->width() - kEdgeGap, kButtonTop);
  BitBtn5->move(BitBtn2->x() - kSpacing - BitBtn5->width(), kButtonTop);
  // The status line fills the space between the left button and "Read BPW".
  const int left = BitBtn3->x() + BitBtn3->width() + kSpacing;
  Edit1->setGeometry(left, kButtonTop, std::max(50, BitBtn5->x() - kSpacing - left), kButtonHeight);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    if (watched == Panel1) Panel1Resize();
    if (watched == Panel3) Panel3Resize();
  }
  // The wheel over the chart scrolls it as the scroll bars do: vertically, or horizontally
  // with Shift held.
  if (event->type() == QEvent::Wheel && watched == Image321) {
    const bool sideways = static_cast<QWheelEvent*>(event)->modifiers() & Qt::ShiftModifier;
    QCoreApplication::sendEvent(sideways ? ScrollBarHorizontal : ScrollBarVertical, event);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::ScrollBar1Change() {
  ViewMapping mapping = Image321->Mapping();
  mapping.Scale = (ScrollBar1->value() + 1) / 100.0;
  Image321->SetMapping(mapping);
  SetScrollBarScale();
  RedrawGrid();
}

void TForm1::ScrollBarHorizontalChange() {
  ViewMapping mapping = Image321->Mapping();
  mapping.HorizontalOffset = -ScrollBarHorizontal->value();
  Image321->SetMapping(mapping);
  RedrawGrid();
}

void TForm1::ScrollBarVerticalChange() {
  ViewMapping mapping = Image321->Mapping();
  mapping.VerticalOffset = -ScrollBarVertical->value();
  Image321->SetMapping(mapping);
  RedrawGrid();
}

void TForm1::Image1MouseDown(QPoint position, bool secondaryButton) {
  if (state_.PolygonToolActive) {
    const PolygonPress press = PressWithPolygonTool(state_, Image321->Mapping(), position.x(),
                                                    position.y(), secondaryButton, *ui_);
    if (press != PolygonPress::Refused && press != PolygonPress::Missed) {
      DrawOverlay(state_.Source.GeoRef, *ui_, true);
      if (CoverageForm->isVisible()) CoverageForm->UpdateInfo();
    }
    return;
  }
  const bool dialogShowing = referenceDialogShowing_ && referenceDialogShowing_();
  const std::optional<OverlayPressResult> result =
      PressOnChart(state_, Image321->Mapping(), position.x(), position.y(), dialogShowing, *ui_);
  if (!result) return;
  if (*result == OverlayPressResult::ReferenceDialog && referenceDialogTakePick_) {
    referenceDialogTakePick_();
  }
  // A drop has been drawn as a georeference change; any other press shows its pick.
  if (*result != OverlayPressResult::Dropped) RedrawGrid();
}

void TForm1::CreateOrOpenProjectClick() {
  if (RefuseIfBusy(state_.Busy, *ui_)) return;
  const std::optional<std::string> chosen = ChooseProjectFile();
  if (!chosen) return;
  try {
    if (CreateOrOpenProject(state_, *chosen, *ui_)) MapViewerForm->UpdateInfo();
  } catch (...) {
    UpdateTitle();
    throw;
  }
  UpdateTitle();
}

void TForm1::LoadSourceMapClick() {
  LoadSourceMap(state_, *ui_, *this, ChooseSourceFile);
}

void TForm1::UseChartGeoReferenceClick() {
  UseChartGeoReference(state_, *ui_, *this);
}

void TForm1::DeleteAllTilesClick() {
  // Refuses without a project (the folder left from the last run would lose its tiles).
  DeleteAllTilesCommand(state_, *ui_);
}

void TForm1::ProcessSourceMapClick() {
  ProcessSourceMap(state_, *ui_);
}

void TForm1::CreateEfisMapsClick() {
  MakeMaps->CreateMaps(state_, *ui_);
}

void TForm1::ImportEpsg3857Click() {
  Form2->exec();
}

void TForm1::ViewEfisMapsClick() {
  MapViewerForm->exec();
}

void TForm1::ResetForLoad() {
  ViewMapping mapping = Image321->Mapping();
  mapping.Scale = (kLoadZoomPosition + 1) / 100.0;
  Image321->SetMapping(mapping);
}

void TForm1::ShowLoadedImage() {
  ShowNewRaster();
}

void TForm1::DrawGridFromGeoRef(GeoReference& geoRef, UserInterface& ui) {
  // Called by a load and by the chart's own georeference taken: both may change what the
  // coverage shows.
  DrawOverlay(geoRef, ui, true);
}

void TForm1::EnableGeoReferenceControls() {
  EnableStuff();
}

void TForm1::CreateMaps(AppState& state, UserInterface& ui) {
  if (displayless_) return CommandLineHost::CreateMaps(state, ui);
  MakeMaps->CreateMaps(state, ui);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (CloseNeedsStopQuestion(state_, displayless_)) {
    // The job runs inside this event's caller: it can only stop at its next step, so the
    // window closes when the busy state ends (BusyChanged).
    event->ignore();
    if (state_.CloseAfterJob || !ui_->Confirm(kStopJobAndCloseQuestion)) return;
    RequestJobStop(state_);
    ui_->RequestCancel();
    ui_->SetStatusText("Stopping the running job, then closing...");
    return;
  }
  try {
    // What the viewer's edits hold is stored, even when "View" was not pressed.
    if (state_.Project.Open) MapViewerForm->GetViewerLatLong();
    CloseApplication(state_);
  } catch (const std::exception& error) {
    ReportError(error);
    if (!displayless_) {
      event->ignore();
      return;
    }
  }
  event->accept();
}

}  // namespace cz
