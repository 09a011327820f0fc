#pragma once
// The command line's progress display: one line on standard error, rewritten in place
// ("\r") as a job advances, for a person watching a terminal. When standard error is not a
// terminal (a script, a log file) nothing is written, so logs hold only what they held
// before; the error log never sees progress.

#include <chrono>
#include <cstdio>
#include <string>

#include "port/UserInterface.h"

namespace cz {

// "Creating tiles 120/384 (level 0.25°: 40/256), 3.2 s" and the like.
std::string ProgressText(const ProgressReport& report);

class ProgressLine {
 public:
  // stream: where the line goes (standard error); shown only when it is a terminal.
  explicit ProgressLine(std::FILE* stream = stderr);
  ~ProgressLine();

  void Show(const ProgressReport& report);
  // Ends the line so that what follows starts on a fresh one.
  void Finish();

 private:
  std::FILE* stream_;
  bool enabled_;
  bool open_ = false;
  std::size_t lastLength_ = 0;
  std::chrono::steady_clock::time_point lastShown_{};
};

}  // namespace cz
