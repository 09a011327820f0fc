#include "TForm1.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFrame>
#include <QLineEdit>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>

#include "QtUserInterface.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "project/Project.h"
#include "state/ErrorLog.h"

namespace cz {

TForm1::TForm1(std::vector<std::string> arguments, bool displayless, QWidget* parent)
    : QMainWindow(parent), arguments_(std::move(arguments)), displayless_(displayless) {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  Panel1 = new QFrame(central);
  Panel1->setFixedHeight(41);
  Panel2 = new QFrame(central);
  Panel2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  Panel3 = new QFrame(central);
  Panel3->setFixedHeight(41);
  auto* panel3Layout = new QHBoxLayout(Panel3);
  Edit1 = new QLineEdit(QStringLiteral("No map loaded"), Panel3);
  Edit1->setReadOnly(true);
  panel3Layout->addWidget(Edit1);
  layout->addWidget(Panel1);
  layout->addWidget(Panel2);
  layout->addWidget(Panel3);
  setCentralWidget(central);

  QMenu* projectMenu = menuBar()->addMenu(QStringLiteral("Project"));
  projectMenu->addAction(QStringLiteral("Create a new project or open an existing project"), this,
                         &TForm1::CreateOrOpenProjectClick);

  Timer1 = new QTimer(this);
  Timer1->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

  ui_ = std::make_unique<QtUserInterface>(this, Edit1, displayless_ ? &headless_ : nullptr);
  FormCreate();
}

TForm1::~TForm1() = default;

UserInterface& TForm1::Ui() {
  return *ui_;
}

void TForm1::FormCreate() {
  resize(1024, 768);
  try {
    StartUpProject(state_.Project);
  } catch (const std::exception& error) {
    ReportError(error);
    startUpError_ = error.what();
  }
  UpdateTitle();
  Timer1->setInterval(StartUpTimerInterval(arguments_.Count()));
  Timer1->start();
}

void TForm1::UpdateTitle() {
  setWindowTitle(QString::fromStdString(WindowTitle(state_.Project)));
}

bool TForm1::RunLogged() const {
  return headless_.Logged() || FileExists(ErrorLogPath());
}

void TForm1::ReportError(const std::exception& error, bool duringCommandLine) {
  // A command-line run reports through its log, whether or not a box can also be shown (the
  // display-less port logs what it is shown).
  if (duringCommandLine && !displayless_) LogError(error.what());
  ui_->ShowMessage(error.what());
}

void TForm1::Timer1Timer() {
  Timer1->stop();
  if (arguments_.Count() == 0) return;
  commandLineRan_ = true;
  CommandLineOutcome outcome = CommandLineOutcome::Close;
  try {
    outcome = CommandLineBatch(state_, *ui_, arguments_);
  } catch (const std::exception& error) {
    ReportError(error, true);
    // With a display the error box has been seen and the person carries on; without one
    // the run ends here.
    outcome = CommandLineOutcome::StayOpen;
  }
  // The run began by deleting the log; a start-up failure (the last project could not be
  // reopened) still belongs in it when the run logged nothing else.
  if (!startUpError_.empty() && !FileExists(ErrorLogPath())) LogError(startUpError_);
  UpdateTitle();
  // Without a display nobody could carry on, so even /N closes.
  if (outcome == CommandLineOutcome::Close || displayless_) close();
}

void TForm1::CreateOrOpenProjectClick() {
  QFileDialog dialog(this);
  dialog.setNameFilter(QString::fromUtf8(kProjectFileFilter));
  dialog.setDirectory(QString::fromStdString(ProgramDataFolder()));
  dialog.setDefaultSuffix(QString::fromUtf8(kProjectFileDefaultSuffix));
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  try {
    CreateOrOpenProject(state_, dialog.selectedFiles().first().toStdString(), *ui_);
  } catch (const std::exception& error) {
    ReportError(error);
  }
  UpdateTitle();
}

void TForm1::closeEvent(QCloseEvent* event) {
  try {
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
