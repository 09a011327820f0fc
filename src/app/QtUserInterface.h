#pragma once
// The user-interface port on Qt widgets: the main window's status line, message boxes and
// Yes/No questions, memo lines of the windows that keep one, and event processing inside
// long operations. In a command-line run without a display, message boxes and questions go
// to a display-less port instead (logged, answered No), because nobody could close them.

#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "port/UserInterface.h"

class QLineEdit;
class QTimer;
class QWidget;

namespace cz {

class TProcessViewer;

class QtUserInterface : public UserInterface {
 public:
  // displayless: where messages and questions go when there is no display (may be null).
  QtUserInterface(QWidget* window, QLineEdit* statusLine, UserInterface* displayless);

  // While a refusal is held (ShowRefusal), a status text waits and shows when the hold ends.
  void SetStatusText(const std::string& text) override;
  // The refusal stays in the status line for kRefusalHoldMilliseconds: a running job writes its
  // progress there after every tile, which would replace it before anyone could read it; the
  // job's latest text shows when the hold ends, so nothing it reports is lost.
  void ShowRefusal(const std::string& text) override;
  static constexpr int kRefusalHoldMilliseconds = 3000;
  void ShowMessage(const std::string& text) override;
  void ShowMessageWithCause(const std::string& text, const std::string& cause) override;
  bool Confirm(const std::string& question) override;
  // A QInputDialog with the options in a list that cannot be edited.
  std::optional<std::size_t> Choose(const std::string& question,
                                    const std::vector<std::string>& options,
                                    std::size_t initial) override;
  void AddLogLine(MessageLog log, const std::string& line) override;
  void ClearLog(MessageLog log) override;
  void ProcessEvents() override;
  // Progress goes to the window registered for its task (SetProgressSink; the process
  // window for tile creation, the import and the batch); without a display, to the
  // display-less port's line on standard error.
  void ShowProgress(const ProgressReport& report) override;
  // True once a window's "Cancel" was clicked (RequestCancel) since the job began, or the
  // display-less port says so.
  bool CancelRequested() override;
  void RequestCancel() { cancelRequested_ = true; }
  void ResetCancel() { cancelRequested_ = false; }

  // The general error handler of the main window: every window's handler reports its errors
  // here, so that a cancel is a status line, never a message box.
  void SetErrorReporter(std::function<void(const std::exception&)> reporter);
  void ReportError(const std::exception& error) override;
  void ImportMosaicStarted() override;
  void ImportMosaicReady() override;
  void BeginTileJob() override;
  void ShowTileMade(const Raster32& tile) override;
  void EndTileJob() override;

  // The window that shows a log in its memo registers where its lines go; lines of a log no
  // window registered are dropped (or, without a display, printed by the display-less port).
  void SetLogSink(MessageLog log, std::function<void(const std::string&)> sink);
  // ...and how it empties its memo.
  void SetLogClear(MessageLog log, std::function<void()> clear);
  // The process window of tile creation; without one (display-less runs) nothing is shown.
  // Its "Cancel" asks the running job to stop.
  void SetProcessViewer(TProcessViewer* viewer);
  // Where the progress of a task goes instead of the process window.
  void SetProgressSink(ProgressTask task, std::function<void(const ProgressReport&)> sink);
  // The main window shows the import's mosaics (UserInterface::ImportMosaicStarted, ready:
  // ImportMosaicReady).
  void SetImportMosaicHandler(std::function<void(bool ready)> handler);

 private:
  QWidget* window_;
  QLineEdit* statusLine_;
  QTimer* refusalHold_;
  std::optional<std::string> heldStatus_;
  std::function<void(const std::exception&)> errorReporter_;
  UserInterface* displayless_;
  std::map<MessageLog, std::function<void(const std::string&)>> logSinks_;
  std::map<MessageLog, std::function<void()>> logClears_;
  TProcessViewer* processViewer_ = nullptr;
  std::map<ProgressTask, std::function<void(const ProgressReport&)>> progressSinks_;
  bool cancelRequested_ = false;
  std::function<void(bool)> importMosaicHandler_;
};

}  // namespace cz
