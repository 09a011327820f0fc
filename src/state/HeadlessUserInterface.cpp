#include "state/HeadlessUserInterface.h"

#include <cstdio>

#include "state/ErrorLog.h"

namespace cz {

void HeadlessUserInterface::SetStatusText(const std::string&) {}

void HeadlessUserInterface::ShowMessage(const std::string& text) {
  Log(text);
}

bool HeadlessUserInterface::Confirm(const std::string& question) {
  Log(question);
  return false;
}

void HeadlessUserInterface::AddMemoLine(MemoWindow, const std::string& line) {
  std::fprintf(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

void HeadlessUserInterface::Log(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  LogError(text);
  logged_ = true;
}

}  // namespace cz
