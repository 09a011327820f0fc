#pragma once
// The user-interface port of a command-line run without a display: nobody can read a message
// box or answer a question, so a message is written to standard error and to the error log
// ("Error.txt"), and a confirmation is logged the same way and answered No. Memo lines (the
// map builder's and the batch's progress) go to standard output; the status line is dropped.
// Progress is one updating line on standard error when that is a terminal (ProgressLine.h).
//
// Logged() tells whether anything was logged, so the program can exit with status 1.

#include <string>

#include "port/ProgressLine.h"
#include "port/UserInterface.h"

namespace cz {

class HeadlessUserInterface : public UserInterface {
 public:
  void SetStatusText(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  // The message as ShowMessage logs it, then the cause on standard error only.
  void ShowMessageWithCause(const std::string& text, const std::string& cause) override;
  bool Confirm(const std::string& question) override;
  void AddLogLine(MessageLog log, const std::string& line) override;
  void ShowProgress(const ProgressReport& report) override;

  bool Logged() const { return logged_; }

 private:
  void Log(const std::string& text);

  bool logged_ = false;
  ProgressLine progress_;
};

}  // namespace cz
