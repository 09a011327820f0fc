#include "port/HeadlessUserInterface.h"

#include <cstdio>

#include "port/ErrorLog.h"

namespace cz {

void HeadlessUserInterface::SetStatusText(const std::string&) {}

void HeadlessUserInterface::ShowMessage(const std::string& text) {
  Log(text);
}

void HeadlessUserInterface::ShowMessageWithCause(const std::string& text,
                                                 const std::string& cause) {
  Log(text);
  if (!cause.empty()) PrintCause(cause);
}

bool HeadlessUserInterface::Confirm(const std::string& question) {
  Log(question);
  return false;
}

void HeadlessUserInterface::AddLogLine(MessageLog, const std::string& line) {
  progress_.Finish();
  std::fprintf(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

void HeadlessUserInterface::ShowProgress(const ProgressReport& report) {
  if (!report.Ended) progress_.Show(report);
  if (report.Ended || report.Done >= report.Planned) progress_.Finish();
}

void HeadlessUserInterface::Log(const std::string& text) {
  progress_.Finish();
  // The shared log says its messages on standard error itself.
  if (!ErrorLogShared()) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
  }
  LogError(text);
  logged_ = true;
}

}  // namespace cz
