#pragma once
// The one way the core talks to a person. The Qt app implements it with widgets; tests and
// display-less command-line runs implement it without Qt. Operations take it by reference
// and never assume a display.

#include <cstdint>
#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace cz {

class Raster32;

// The long jobs that report progress.
enum class ProgressTask {
  TileCreation,  // tiles of one source; Level is the level being committed
  MapBuilding,   // tiles packed into map files
  Import,        // web tiles decoded into mosaics
  Batch,         // sources of the project batch
  GridFit,       // grid points searched for the printed graticule
};

// Where a long job stands. Done counts finished units (tiles, files, sources) of Planned.
struct ProgressReport {
  ProgressTask Task = ProgressTask::TileCreation;
  std::int64_t Done = 0;
  std::int64_t Planned = 0;
  int Level = -1;              // tile creation: the tile level of the last committed tile; else -1
  std::int64_t LevelDone = 0;  // tile creation: tiles of that level done, of LevelPlanned
  std::int64_t LevelPlanned = 0;
  double ElapsedSeconds = 0;  // since the job started
  // The job's last report, sent however it ended (finished, failed or cancelled), with the
  // counts it reached: windows stop offering "Cancel", the command line ends its line.
  bool Ended = false;
};

// The logs of lines a long operation keeps for the person to read.
enum class MessageLog {
  MapBuilding,  // the map build's progress lines
  Batch,        // the project batch's lines
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // The main window's status line.
  virtual void SetStatusText(const std::string& text) = 0;
  // Why a command was refused: said where the person looks and kept there for a while, so a
  // running job's progress text does not replace it at once. Default: the status line.
  virtual void ShowRefusal(const std::string& text) { SetStatusText(text); }
  // A message box with an OK button; returns when the person has seen it.
  virtual void ShowMessage(const std::string& text) = 0;
  // A message box that also says the cause of a failure (as the box's details). The message
  // is what ShowMessage shows and logs, word for word; the cause is said beside it and never
  // logged, so that a script comparing "Error.txt" sees the same text whatever the cause.
  virtual void ShowMessageWithCause(const std::string& text, const std::string& /*cause*/) {
    ShowMessage(text);
  }
  // The general error handler, for windows that catch an error of their own handler: a
  // cancelled job is said on the status line, anything else as ShowMessage would say it.
  // Default: ShowMessage.
  virtual void ReportError(const std::exception& error) { ShowMessage(error.what()); }
  // A Yes/No confirmation; true for Yes. Display-less runs answer No.
  virtual bool Confirm(const std::string& question) = 0;
  // One of options (a list with OK and Cancel), initial preselected; the index chosen, or
  // nothing for Cancel. Default, for ports with nobody to ask: initial.
  virtual std::optional<std::size_t> Choose(const std::string& /*question*/,
                                            const std::vector<std::string>& /*options*/,
                                            std::size_t initial) {
    return initial;
  }
  // Appends a line to a log.
  virtual void AddLogLine(MessageLog log, const std::string& line) = 0;
  // Empties a log before an operation starts writing it.
  virtual void ClearLog(MessageLog /*log*/) {}
  // Lets pending window events run (repaints, a Cancel click) inside a long operation.
  virtual void ProcessEvents() {}

  // Progress of a long job, reported after each unit of work (from the thread that runs the
  // job, which is the user-interface thread).
  virtual void ShowProgress(const ProgressReport& /*report*/) {}
  // True once the person asked the running job to stop (the "Cancel" button, a signal to a
  // command-line run). Jobs ask between units of work and then throw OperationCancelled.
  virtual bool CancelRequested() { return false; }

  // Tile creation: a job starts, each finished tile is shown as it is made (the tile raster
  // is reused by the next tile: copy what is kept), and the job ends (also by an error or a
  // cancel).
  virtual void BeginTileJob() {}
  virtual void ShowTileMade(const Raster32& /*tile*/) {}
  virtual void EndTileJob() {}

  // EPSG3857 import: the web tile file being read; the caller lets events run right after,
  // so the path shows while the file decodes.
  virtual void ShowImportReading(const std::string& /*path*/) {}
  // EPSG3857 import, a new mosaic in the source image: it is being filled (the windows show it
  // from its top-left corner at a quarter of its size)...
  virtual void ImportMosaicStarted() {}
  // ...and it is complete: the loaded map, georeferenced and laid out (the windows enable its
  // map controls and draw its grid).
  virtual void ImportMosaicReady() {}
};

// A port that shows nothing and answers No: for callers that need no feedback.
class SilentUserInterface : public UserInterface {
 public:
  void SetStatusText(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  void AddLogLine(MessageLog, const std::string&) override {}
};

}  // namespace cz
