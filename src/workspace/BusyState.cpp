#include "workspace/BusyState.h"

#include "port/UserInterface.h"

namespace cz {

namespace {

const char* OperationName(LongOperation operation) {
  switch (operation) {
    case LongOperation::Load:
      return "Loading a source map";
    case LongOperation::TileCreation:
      return "Tile creation";
    case LongOperation::MapBuilding:
      return "Building the EFIS maps";
    case LongOperation::Import:
      return "The EPSG3857 import";
    case LongOperation::Batch:
      return "The batch run";
    case LongOperation::GridFit:
      return "The grid fit";
    case LongOperation::None:
      break;
  }
  return "An operation";
}

}  // namespace

std::string BusyRefusalText(LongOperation running) {
  return std::string(OperationName(running)) +
         " is still running - please wait until it has ended.";
}

bool RefuseIfBusy(BusyState& busy, UserInterface& ui) {
  if (!IsBusy(busy)) return false;
  if (busy.StepGranted) {
    busy.StepGranted = false;
    return false;
  }
  ui.ShowRefusal(BusyRefusalText(busy.Running));
  return true;
}

bool RefuseGeoReferenceEditIfBusy(const BusyState& busy, UserInterface& ui) {
  if (!IsBusy(busy)) return false;
  ui.ShowRefusal(BusyRefusalText(busy.Running));
  return true;
}

BusyScope::BusyScope(BusyState& busy, LongOperation operation)
    : busy_(busy), savedRunning_(busy.Running), savedStepGranted_(busy.StepGranted) {
  // Events the operation lets run are the person's, never its own steps.
  busy_.StepGranted = false;
  if (busy_.Running == LongOperation::None) {
    busy_.Running = operation;
    busy_.Changed.Notify();
  }
}

BusyScope::~BusyScope() {
  const bool changed = busy_.Running != savedRunning_;
  busy_.Running = savedRunning_;
  busy_.StepGranted = savedStepGranted_;
  if (changed) busy_.Changed.Notify();
}

OwnStep::OwnStep(BusyState& busy) : busy_(busy) {
  busy_.StepGranted = true;
}

OwnStep::~OwnStep() {
  busy_.StepGranted = false;
}

}  // namespace cz
