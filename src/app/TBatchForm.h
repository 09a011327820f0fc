#pragma once
// The batch window "BatchForm": "Run batch" creates the tiles of every source of the project
// (RunBatch), logging each step in the memo; "Cancel" stops the run before its next source.
// The run lets window events through between its steps, which is how the Cancel click is seen;
// a second "Run batch" click during a run is refused by RunBatch. Each showing clears the log.

#include <QDialog>

#include "imaging/SourceView.h"
#include "workspace/AppState.h"

class QPlainTextEdit;
class QPushButton;

namespace cz {

class QtUserInterface;

class TBatchForm : public QDialog {
  Q_OBJECT
 public:
  // Registers the memo as where ui's batch lines go. view: the main window's chart view, which
  // shows each source as it is loaded.
  TBatchForm(AppState& state, QtUserInterface& ui, SourceView& view, QWidget* parent = nullptr);

  void Button1Click();  // "Run batch"
  void Button2Click();  // "Cancel"

  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  AppState& state_;
  QtUserInterface& ui_;
  SourceView& view_;
};

}  // namespace cz
