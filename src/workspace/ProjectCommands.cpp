#include "workspace/ProjectCommands.h"

#include <exception>
#include <filesystem>

#include "platform/FileSystem.h"
#include "project/Project.h"

namespace cz {

std::string StartUpApplication(AppState& state, UserInterface& ui) {
  try {
    StartUpProject(state.Project);
  } catch (const std::exception& error) {
    ui.ReportError(error);
    return error.what();
  }
  return {};
}

bool CreateOrOpenProject(AppState& state, const std::string& chosenFile, UserInterface& ui) {
  if (RefuseIfBusy(state.Busy, ui)) return false;
  if (chosenFile.empty()) return false;
  std::string file = std::filesystem::absolute(chosenFile).string();
  // A typed name without an extension means a ".prg" project, the kind the dialog lists;
  // an existing file is taken as chosen.
  if (!FileExists(file)) file = WithDefaultProjectExtension(file);
  if (!FileExists(file) && !ui.Confirm(kCreateProjectQuestion)) return false;
  if (state.Source.Loaded) SaveMapINI(state.Source);
  OpenProjectFile(state.Project, file);
  return true;
}

int DistributeMapOption(AppState& state, const MapOptions& options, DistributedOption option,
                        UserInterface& ui) {
  if (RefuseIfBusy(state.Busy, ui)) return 0;
  return options.Distribute(option, state.Project, ui);
}

void CloseApplication(AppState& state) {
  if (state.Source.Loaded) SaveMapINI(state.Source);
  CloseProject(state.Project);
}

}  // namespace cz
