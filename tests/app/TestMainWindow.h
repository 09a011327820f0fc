#pragma once
// The main window as main() makes it, on a workspace of its own, with its controls found by
// their object names (the window keeps them private). Tests use it where they would use
// TForm1: its handlers are TForm1's, its controls carry TForm1's names.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <string>
#include <type_traits>
#include <vector>

#include "ChartView.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TMakeMaps.h"
#include "TMapViewerForm.h"
#include "TProcessViewer.h"
#include "TSplashScreen.h"
#include "workspace/Workspace.h"

namespace cz {

// Built before the window, which holds references into it.
struct OwnWorkspace {
  explicit OwnWorkspace(std::vector<std::string> arguments) : workspace(std::move(arguments)) {}
  Workspace workspace;
};

class TestMainWindow : public OwnWorkspace, public TForm1 {
 public:
  explicit TestMainWindow(std::vector<std::string> arguments = {}, bool displayless = false)
      : OwnWorkspace(std::move(arguments)), TForm1(workspace, displayless) {}

  AppState& State() { return workspace.State(); }
  const GridPickState& PickState() { return workspace.State().Picks; }
  bool CommandLineRan() const { return workspace.CommandLineRan(); }

  // The main window's own control of that name (its dialogs have controls named alike).
  template <typename Control>
  Control* Find(const char* name) {
    for (Control* control : findChildren<Control*>(QLatin1String(name))) {
      if constexpr (std::is_base_of_v<QWidget, Control>) {
        // Its own windows (menus, secondary windows) count; controls inside them do not.
        if (control->window() != this && !control->isWindow()) continue;
      }
      return control;
    }
    return nullptr;
  }

  QFrame* Panel1 = Find<QFrame>("Panel1");
  QPushButton* BitBtn1 = Find<QPushButton>("BitBtn1");
  QScrollBar* ScrollBar1 = Find<QScrollBar>("ScrollBar1");
  QPushButton* BitBtn4 = Find<QPushButton>("BitBtn4");
  QFrame* Panel2 = Find<QFrame>("Panel2");
  ChartView* Image321 = Find<ChartView>("Image321");
  QScrollBar* ScrollBarHorizontal = Find<QScrollBar>("ScrollBarHorizontal");
  QFrame* Panel3 = Find<QFrame>("Panel3");
  QPushButton* BitBtn3 = Find<QPushButton>("BitBtn3");
  QLineEdit* Edit1 = Find<QLineEdit>("Edit1");
  QPushButton* BitBtn5 = Find<QPushButton>("BitBtn5");
  QPushButton* BitBtn2 = Find<QPushButton>("BitBtn2");
  QScrollBar* ScrollBarVertical = Find<QScrollBar>("ScrollBarVertical");
  QTimer* Timer1 = Find<QTimer>("Timer1");

  TProcessViewer* ProcessViewer = Find<TProcessViewer>("ProcessViewer");
  TMakeMaps* MakeMaps = Find<TMakeMaps>("MakeMaps");
  TMapViewerForm* MapViewerForm = Find<TMapViewerForm>("MapViewerForm");
  TSplashScreen* SplashScreen = Find<TSplashScreen>("SplashScreen");
  TForm2* Form2 = Find<TForm2>("Form2");

  QMenu* ProjectMenu = Find<QMenu>("ProjectMenu");
  QAction* CreateOrOpenProjectItem = Find<QAction>("CreateOrOpenProjectItem");
  QAction* LoadSourceMapItem = Find<QAction>("LoadSourceMapItem");
  QAction* UseChartGeoReferenceItem = Find<QAction>("UseChartGeoReferenceItem");
  QAction* MapOptionsItem = Find<QAction>("MapOptionsItem");
  QAction* FitGridItem = Find<QAction>("FitGridItem");
  QAction* GridReportItem = Find<QAction>("GridReportItem");
  QMenu* CoverageMenu = Find<QMenu>("CoverageMenu");
  QAction* CoverageItem = Find<QAction>("CoverageItem");
  QAction* PolygonToolItem = Find<QAction>("PolygonToolItem");
  QAction* DeleteAllTilesItem = Find<QAction>("DeleteAllTilesItem");
  QAction* ProcessSourceMapItem = Find<QAction>("ProcessSourceMapItem");
  QAction* CreateEfisMapsItem = Find<QAction>("CreateEfisMapsItem");
  QAction* ImportEpsg3857Item = Find<QAction>("ImportEpsg3857Item");
  QAction* ViewEfisMapsItem = Find<QAction>("ViewEfisMapsItem");
  QMenu* BatchMenu = Find<QMenu>("BatchMenu");
  QAction* ViewEditProjectItem = Find<QAction>("ViewEditProjectItem");
  QAction* ExecuteBatchItem = Find<QAction>("ExecuteBatchItem");
};

}  // namespace cz
