#pragma once
// A progress bar with a line of text and a "Cancel" button, for the windows of long jobs
// (the process window, the map builder's window). The text is the command line's progress
// text (ProgressLine.h); "Cancel" calls what the owner gave, which asks the running job to
// stop between units of work.

#include <QWidget>

#include <functional>

#include "port/UserInterface.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace cz {

class ProgressPanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 32;

  ProgressPanel(QWidget* parent, std::function<void()> cancel);

  void Show(const ProgressReport& report);
  // A new job: the bar empties and "Cancel" is enabled again.
  void Reset();

  QProgressBar* Bar = nullptr;
  QLabel* Text = nullptr;
  QPushButton* CancelButton = nullptr;
};

}  // namespace cz
