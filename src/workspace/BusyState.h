#pragma once
// One busy rule for the whole program. Long operations (a source load, tile creation, a map
// build, the EPSG3857 import, the project batch) run inside the event that started them and
// let window events run between their units of work, so the menus stay usable meanwhile. A
// command that writes the running operation's files or replaces the project or the source
// must not run inside it: every such command's entry point asks RefuseIfBusy first and, while
// anything runs, is refused with kBusy... text in the status line, changing nothing.
//
// The commands that ask: create or open a project, load a source map, process the source map
// (create tiles), delete all tiles, distribute a map option, create the EFIS maps, the import
// and the batch run. Nothing is queued: a refused command is simply not run, and the person
// starts it again when the running one has ended.
//
// A long operation marks itself with a BusyScope for its whole length (also when it ends by
// an error). Operations started inside another as its own steps (the batch loads and tiles
// each source, the import tiles each mosaic) keep the outer one's name in the refusal text.
// Where a running operation calls a command's entry point itself (the import runs the menu's
// tile command for each mosaic), it wraps that call in an OwnStep, which lets exactly the
// next entry check pass.

#include <cstdint>
#include <string>

#include "workspace/ObserverList.h"

namespace cz {

class UserInterface;

enum class LongOperation : std::uint8_t {
  None,
  Load,
  TileCreation,
  MapBuilding,
  Import,
  Batch,
  GridFit
};

struct BusyState {
  LongOperation Running = LongOperation::None;  // the outermost operation in progress
  bool StepGranted = false;                     // the next entry check passes (OwnStep)
  // Told when Running changes (the outermost operation starts or ends), on the thread that
  // runs it; the windows enable and disable their controls from it.
  ObserverList Changed;
};

// The status-line text of a refused command, naming what runs: for example "Tile creation is
// still running - please wait until it has ended."
std::string BusyRefusalText(LongOperation running);

// True when a command must not start now; the refusal text is then shown
// (UserInterface::ShowRefusal).
bool RefuseIfBusy(BusyState& busy, UserInterface& ui);

// The same for the edits of the loaded source's georeference (reference dialogs, skews, grid
// points, world file, method, the chart's own georeference): refused while anything runs,
// never let through as an operation's own step.
bool RefuseGeoReferenceEditIfBusy(const BusyState& busy, UserInterface& ui);

// True while any long operation runs (windows disable their start buttons by it).
inline bool IsBusy(const BusyState& busy) {
  return busy.Running != LongOperation::None;
}

// Marks operation as running for the scope's life; nested scopes keep the outer name.
class BusyScope {
 public:
  BusyScope(BusyState& busy, LongOperation operation);
  ~BusyScope();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  BusyState& busy_;
  LongOperation savedRunning_;
  bool savedStepGranted_;
};

// Lets the running operation's next call of a command entry point through as its own step.
class OwnStep {
 public:
  explicit OwnStep(BusyState& busy);
  ~OwnStep();
  OwnStep(const OwnStep&) = delete;
  OwnStep& operator=(const OwnStep&) = delete;

 private:
  BusyState& busy_;
};

}  // namespace cz
