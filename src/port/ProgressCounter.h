#pragma once
// Counts the finished units of a long job and reports each step to the user-interface port
// with the time since the job began.

#include <chrono>
#include <cstdint>

#include "port/UserInterface.h"

namespace cz {

class ProgressCounter {
 public:
  ProgressCounter(UserInterface& ui, ProgressTask task, std::int64_t planned)
      : ui_(ui), start_(std::chrono::steady_clock::now()) {
    report_.Task = task;
    report_.Planned = planned;
  }
  // Sends the ended report, also while an error or a cancel unwinds the job.
  ~ProgressCounter() {
    report_.Ended = true;
    try {
      ui_.ShowProgress(report_);
    } catch (...) {
      // Nothing to do: the job is over either way, and a destructor must not throw.
    }
  }
  ProgressCounter(const ProgressCounter&) = delete;
  ProgressCounter& operator=(const ProgressCounter&) = delete;

  // One more unit done; level ≥ 0 also counts it for that tile level of levelPlanned.
  void Step(int level = -1, std::int64_t levelPlanned = 0) {
    if (level >= 0) {
      if (report_.Level != level) report_.LevelDone = 0;
      report_.Level = level;
      report_.LevelPlanned = levelPlanned;
      ++report_.LevelDone;
    }
    ++report_.Done;
    report_.ElapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    ui_.ShowProgress(report_);
  }

  bool Finished() const { return report_.Done >= report_.Planned; }

 private:
  UserInterface& ui_;
  std::chrono::steady_clock::time_point start_;
  ProgressReport report_;
};

}  // namespace cz
