#pragma once
// The project viewer's logic ("Batch" > "View/Edit project", window "Project Viewer/Editor"):
// the list of the project's map sources as its list box shows it, and the deletion of entries.
// The window keeps one ProjectViewer, calls Show when it is shown and DeleteSelected for its
// "Delete" button, and displays Entries().
//
// Deleting rewrites [MapFiles] of the project file from the entries left, in list order; the
// image and its settings file stay on disk, and nothing is asked first. A project file that
// cannot be written throws CartozenError("Unable to write to " + file name); the list then
// still holds the deleted entry, as the file does.
//
// Without an open project the viewer shows "No project has been opened.", lists nothing and
// changes no file (the menu entry is always available).

#include <string>
#include <vector>

#include "port/UserInterface.h"
#include "project/Project.h"

namespace cz {

class ProjectViewer {
 public:
  // Reads the map-file list into the entries. An empty list shows "No files in project".
  void Show(const ProjectState& project, UserInterface& ui);

  // Removes entry index (the list box's selection) and rewrites the list. An index outside
  // the entries (no selection is -1) does nothing.
  void DeleteSelected(ProjectState& project, int index, UserInterface& ui);

  const std::vector<std::string>& Entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

}  // namespace cz
