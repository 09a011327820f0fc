#pragma once
// The main window. It owns the application's state (open project, current source, command
// line run state) and hands it to the core operations; its handlers only gather inputs, call
// one operation and show the result.
//
// Start-up (FormCreate): 1024 × 768, "Cartozen2.ini" read and the last project reopened, the
// title set, and the one-shot Timer1 armed: 100 ms when there are command-line arguments,
// 3000 ms otherwise. Timer1Timer runs the command line and closes the window when the run is
// over. Closing saves the source's settings file, the project file and "Cartozen2.ini"; a
// failed save shows its message and keeps the window open (except without a display, where
// nobody could retry: the message is logged and the window closes).

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

#include "batch/CommandLine.h"
#include "state/AppState.h"
#include "state/HeadlessUserInterface.h"

class QFrame;
class QLineEdit;
class QTimer;

namespace cz {

class QtUserInterface;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // arguments: the command line without the program name. displayless: there is no display
  // (messages and questions are logged instead of shown).
  TForm1(std::vector<std::string> arguments, bool displayless, QWidget* parent = nullptr);
  ~TForm1() override;

  AppState& State() { return state_; }
  UserInterface& Ui();

  // True once the command line has run; RunLogged() then tells whether it logged a problem
  // (the process exits with status 1).
  bool CommandLineRan() const { return commandLineRan_; }
  bool RunLogged() const;

  // Sets the caption from the project state.
  void UpdateTitle();

  // Handlers.
  void Timer1Timer();
  void CreateOrOpenProjectClick();

  QTimer* Timer1 = nullptr;
  QFrame* Panel1 = nullptr;
  QFrame* Panel2 = nullptr;
  QFrame* Panel3 = nullptr;
  QLineEdit* Edit1 = nullptr;  // the status line

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  // The general error handler: shows (or, without a display, logs) the error's text; during a
  // command-line run it is logged in any case.
  void ReportError(const std::exception& error, bool duringCommandLine = false);

  AppState state_;
  CommandArguments arguments_;
  bool displayless_;
  bool commandLineRan_ = false;
  std::string startUpError_;  // what the start-up could not do, for the command line's log
  HeadlessUserInterface headless_;
  std::unique_ptr<QtUserInterface> ui_;
};

}  // namespace cz
