#include "batch/ProjectViewer.h"

#include "batch/ProjectMessages.h"
#include "project/Project.h"

namespace cz {

void ProjectViewer::Show(const ProjectState& project, UserInterface& ui) {
  entries_.clear();
  if (!project.Open) {
    ui.ShowMessage(kNoProjectOpenedText);
    return;
  }
  entries_ = MapFileList(project);
  if (entries_.empty()) ui.ShowMessage(kNoFilesInProjectText);
}

void ProjectViewer::DeleteSelected(ProjectState& project, int index, UserInterface& ui) {
  if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return;
  if (!project.Open) {
    ui.ShowMessage(kNoProjectOpenedText);
    return;
  }
  std::vector<std::string> remaining = entries_;
  remaining.erase(remaining.begin() + index);
  // The file first: when it cannot be written the list box keeps showing what the file holds.
  ReplaceMapFileList(project, remaining);
  entries_ = std::move(remaining);
}

}  // namespace cz
