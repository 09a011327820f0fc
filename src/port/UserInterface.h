#pragma once
// The one way the core talks to a person. The Qt app implements it with widgets; tests and
// display-less command-line runs implement it without Qt. Operations take it by reference
// and never assume a display.

#include <cstdint>
#include <exception>
#include <string>

namespace cz {

class Raster32;

// The long jobs that report progress.
enum class ProgressTask {
  TileCreation,  // tiles of one source; Level is the level being committed
  MapBuilding,   // tiles packed into map files
  Import,        // web tiles decoded into mosaics
  Batch,         // sources of the project batch
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

// Windows that keep a running log of lines.
enum class MemoWindow {
  MakeMaps,  // the map builder's progress memo
  Batch,     // the project batch window's log
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
  // Appends a line to a window's memo.
  virtual void AddMemoLine(MemoWindow window, const std::string& line) = 0;
  // Empties a window's memo before an operation starts its log.
  virtual void ClearMemo(MemoWindow /*window*/) {}
  // Lets pending window events run (repaints, a Cancel click) inside a long operation.
  virtual void ProcessEvents() {}

  // Progress of a long job, reported after each unit of work (from the thread that runs the
  // job, which is the user-interface thread).
  virtual void ShowProgress(const ProgressReport& /*report*/) {}
  // True once the person asked the running job to stop (the "Cancel" button, a signal to a
  // command-line run). Jobs ask between units of work and then throw OperationCancelled.
  virtual bool CancelRequested() { return false; }

  // Tile-creation progress: the process window is shown, shows each finished tile, and hides.
  virtual void ShowProcessWindow() {}
  virtual void ShowTile(const Raster32& /*tile*/) {}
  virtual void HideProcessWindow() {}

  // EPSG3857 import: the web tile file being read (the import window's "Edit3"); the caller
  // lets events run right after, so the path shows while the file decodes.
  virtual void ShowImportFile(const std::string& /*path*/) {}
  // EPSG3857 import, a new mosaic in the source image. finished false: it is being filled;
  // the main window shows it at scale 0.25 (zoom scroll bar 24), scrolled to its top-left
  // corner. finished true: it is complete and is the loaded map, georeferenced and laid out;
  // the main window enables its map controls and redraws the grid.
  virtual void ShowImportMosaic(bool /*finished*/) {}
};

// A port that shows nothing and answers No: for callers that need no feedback.
class SilentUserInterface : public UserInterface {
 public:
  void SetStatusText(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  void AddMemoLine(MemoWindow, const std::string&) override {}
};

}  // namespace cz
