#include "workspace/MapCommands.h"

#include <string>

#include "efismap/MakeMaps.h"
#include "platform/Error.h"
#include "project/Project.h"
#include "tiling/TileFiles.h"

namespace cz {

TileJob TileJobOf(const AppState& state) {
  return TileJob{state.Source.GeoRef, state.Source.Image, state.Project.Folder};
}

std::int32_t DeleteAllTilesCommand(AppState& state, UserInterface& ui) {
  if (RefuseIfBusy(state.Busy, ui)) return -1;
  if (!state.Project.Open) {
    ui.ShowMessage(kNoProjectOpenedText);
    return -1;
  }
  if (!ui.Confirm("Delete all tiles in current projects tile folder ?")) return -1;
  const std::int32_t count = DeleteAllTiles(state.Project.Folder);
  ui.ShowMessage("Done, deleted " + std::to_string(count) +
                 " tiles. Please create new tiles before creating maps");
  return count;
}

void CreateMaps(AppState& state, UserInterface& ui) {
  if (RefuseIfBusy(state.Busy, ui)) return;
  if (!state.Project.Open) throw CartozenError("No project has been opened.");
  BusyScope building(state.Busy, LongOperation::MapBuilding);
  MakeMapsJob job;
  job.projectFolder = state.Project.Folder;
  job.extension = state.MapExtension();
  CreateMaps(job, ui);
}

}  // namespace cz
