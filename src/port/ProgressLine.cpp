#include "port/ProgressLine.h"

#include <unistd.h>

#include <cstdio>

namespace cz {
namespace {

const char* TaskText(ProgressTask task) {
  switch (task) {
    case ProgressTask::TileCreation:
      return "Creating tiles";
    case ProgressTask::MapBuilding:
      return "Building maps";
    case ProgressTask::Import:
      return "Importing web tiles";
    case ProgressTask::Batch:
      return "Processing sources";
    case ProgressTask::GridFit:
      return "Fitting the grid";
  }
  return "Working";
}

// Degrees per tile of the five levels, as the person knows them.
constexpr const char* kLevelText[] = {"0.25", "0.5", "1", "2", "4"};

// Redrawing a terminal line thousands of times a second costs more than it tells.
constexpr auto kMinimumInterval = std::chrono::milliseconds(100);

}  // namespace

std::string ProgressText(const ProgressReport& report) {
  std::string text = std::string(TaskText(report.Task)) + " " + std::to_string(report.Done) + "/" +
                     std::to_string(report.Planned);
  if (report.Level >= 0 && report.Level <= 4) {
    text += std::string(" (level ") + kLevelText[report.Level] +
            "\xC2\xB0: " + std::to_string(report.LevelDone) + "/" +
            std::to_string(report.LevelPlanned) + ")";
  }
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, ", %.1f s", report.ElapsedSeconds);
  return text + elapsed;
}

ProgressLine::ProgressLine(std::FILE* stream)
    : stream_(stream), enabled_(stream && ::isatty(::fileno(stream))) {}

ProgressLine::~ProgressLine() {
  Finish();
}

void ProgressLine::Show(const ProgressReport& report) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  const bool last = report.Done >= report.Planned;
  if (open_ && !last && now - lastShown_ < kMinimumInterval) return;
  lastShown_ = now;
  std::string text = ProgressText(report);
  // Blanks wipe the rest of a longer earlier line.
  const std::size_t length = text.size();
  if (length < lastLength_) text.append(lastLength_ - length, ' ');
  lastLength_ = length;
  std::fprintf(stream_, "\r%s", text.c_str());
  std::fflush(stream_);
  open_ = true;
}

void ProgressLine::Finish() {
  if (!open_) return;
  std::fputc('\n', stream_);
  std::fflush(stream_);
  open_ = false;
  lastLength_ = 0;
}

}  // namespace cz
