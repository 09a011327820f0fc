#pragma once
// The project viewer "Project Viewer/Editor": the project's map sources, one full path a line,
// and "Delete", which removes the selected one from the project without asking (the chart and
// its settings file stay on disk). The logic is ProjectViewer's.

#include <QDialog>

#include "batch/ProjectViewer.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

class QListWidget;
class QPushButton;

namespace cz {


class TProjectViewerForm : public QDialog {
  Q_OBJECT
 public:
  TProjectViewerForm(AppState& state, UserInterface& ui, QWidget* parent = nullptr);

  void Button1Click();  // "Delete"

  QListWidget* ListBox1 = nullptr;
  QPushButton* Button1 = nullptr;  // "Delete"
  QPushButton* BitBtn1 = nullptr;  // OK

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowEntries();

  AppState& state_;
  UserInterface& ui_;
  ProjectViewer viewer_;
};

}  // namespace cz
