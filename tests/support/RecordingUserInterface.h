#pragma once
// Test double of the user-interface port: records every call and answers confirmations
// from a queue (No when the queue is empty).

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "port/UserInterface.h"

namespace cz::testing {

class RecordingUserInterface : public UserInterface {
 public:
  void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool Confirm(const std::string& question) override {
    questions.push_back(question);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  // Answers from choices (the initial option when it is empty); -1 there is Cancel.
  std::optional<std::size_t> Choose(const std::string& question,
                                    const std::vector<std::string>& options,
                                    std::size_t initial) override {
    questions.push_back(question);
    offered.push_back(options);
    if (choices.empty()) return initial;
    const int choice = choices.front();
    choices.pop_front();
    if (choice < 0) return std::nullopt;
    return static_cast<std::size_t>(choice);
  }
  void AddLogLine(MessageLog log, const std::string& line) override {
    (log == MessageLog::MapBuilding ? makeMapsMemo : batchMemo).push_back(line);
  }
  void ClearLog(MessageLog log) override {
    ++memoClears;
    (log == MessageLog::MapBuilding ? makeMapsMemo : batchMemo).clear();
  }
  void ProcessEvents() override {
    ++processEventsCalls;
    if (onProcessEvents) onProcessEvents();
  }
  void BeginTileJob() override { ++processWindowShown; }
  void ShowTileMade(const Raster32&) override { ++tilesShown; }
  void EndTileJob() override { ++processWindowHidden; }
  void ShowProgress(const ProgressReport& report) override {
    if (report.Ended) {
      ++progressEnded;
    } else {
      progress.push_back(report);
    }
  }
  bool CancelRequested() override {
    return cancelAfterProgress >= 0 && static_cast<int>(progress.size()) >= cancelAfterProgress;
  }

  std::string LastStatus() const { return statusTexts.empty() ? "" : statusTexts.back(); }

  std::vector<std::string> statusTexts;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<bool> answers;
  std::deque<int> choices;
  std::vector<std::vector<std::string>> offered;  // the options of every Choose
  std::vector<std::string> makeMapsMemo;
  std::vector<std::string> batchMemo;
  int memoClears = 0;
  int processEventsCalls = 0;
  int processWindowShown = 0;
  int tilesShown = 0;
  int processWindowHidden = 0;
  std::function<void()> onProcessEvents;
  std::vector<ProgressReport> progress;  // every report but the ended ones
  int progressEnded = 0;
  int cancelAfterProgress = -1;  // asks to cancel once this many reports came
};

}  // namespace cz::testing
