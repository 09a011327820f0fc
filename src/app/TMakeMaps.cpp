#include "TMakeMaps.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "QtUserInterface.h"
#include "batch/ProjectMessages.h"
#include "workspace/BusyState.h"
#include "workspace/MapCommands.h"

namespace cz {

TMakeMaps::TMakeMaps(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
  setWindowTitle(QStringLiteral("MakeMaps"));
  resize(480, 360);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setReadOnly(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Memo1);
  Progress = new ProgressPanel(this, [this] {
    if (ui_) ui_->RequestCancel();
  });
  layout->addWidget(Progress);
}

void TMakeMaps::AttachTo(QtUserInterface& ui) {
  ui.SetLogSink(MessageLog::MapBuilding, [this](const std::string& line) { AddLine(line); });
  ui.SetLogClear(MessageLog::MapBuilding, [this] { Clear(); });
  ui.SetProgressSink(ProgressTask::MapBuilding,
                     [this](const ProgressReport& report) { Progress->Show(report); });
  ui_ = &ui;
}

void TMakeMaps::CreateMaps(AppState& state, UserInterface& ui) {
  // Checked before the window comes up, so a refused build leaves the running one's log alone.
  if (RefuseIfBusy(state.Busy, ui)) return;
  if (!state.Project.Open) {
    ui.ShowMessage(kNoProjectOpenedText);
    return;
  }
  show();
  raise();
  Progress->Reset();
  if (ui_) ui_->ResetCancel();
  cz::CreateMaps(state, ui);
}

void TMakeMaps::AddLine(const std::string& line) {
  Memo1->appendPlainText(QString::fromStdString(line));
}

void TMakeMaps::Clear() {
  Memo1->clear();
}

}  // namespace cz
