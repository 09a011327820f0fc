#pragma once
// The map builder's window ("MakeMaps"): one read-only memo, Memo1, that shows the build's
// log line by line. The build lets events run after each "Adding tile" line, so every line
// appears while the build runs. The window is created once, hidden, and stays open (not
// modal) after a build so the log can be read. Below the memo, a progress bar and "Cancel"
// (ProgressPanel) follow the build; "Cancel" asks the port to stop it.

#include <QWidget>

#include <string>

#include "ProgressPanel.h"

#include "workspace/AppState.h"

class QPlainTextEdit;

namespace cz {

class QtUserInterface;

class TMakeMaps : public QWidget {
  Q_OBJECT
 public:
  explicit TMakeMaps(QWidget* mainWindow);

  // Routes the port's MakeMaps memo (its lines and its clearing) to Memo1.
  void AttachTo(QtUserInterface& ui);

  // The menu's "Create EFIS maps from tiles": refused while a long operation runs (status
  // line); without an open project shows "No project has been opened."; otherwise shows this
  // window and builds the open project's map files into its memo. File errors propagate to
  // the caller's error handler; the memo keeps the lines written before.
  void CreateMaps(AppState& state, UserInterface& ui);

  void AddLine(const std::string& line);
  void Clear();

  QPlainTextEdit* Memo1 = nullptr;
  ProgressPanel* Progress = nullptr;

 private:
  QtUserInterface* ui_ = nullptr;
};

}  // namespace cz
