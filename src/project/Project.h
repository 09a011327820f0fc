#pragma once
// Projects: a folder holding the project file (an INI file, normally "<name>.prg") and the
// sub-folders "Tiles", "Map sources", "EFIS Maps", "Unpack" and "Temp". The project file
// lists the project's map sources ([MapFiles], one key per full image path, value "0") and
// remembers the map viewer's position, the folder of the last chosen source image and the
// EPSG3857 source folder between runs.
//
// Every opening (start-up, the menu, the command line) ends in the same state: folder and
// name set, sub-folders present, project file open with [General] Cartozen2=Version 1
// written, viewer position and map-source folder read, Open set. A key that cannot be written
// throws CartozenError("Unable to write to " + file name); the project then stays as it was.

#include <array>
#include <string>
#include <vector>

#include "state/AppState.h"
#include "state/UserInterface.h"

namespace cz {

inline constexpr char kNoProjectOpenedText[] = "No project has been opened.";
inline constexpr char kProjectFileExtension[] = ".prg";
// The project-file dialog: its filter, and the extension a typed name without one gets.
inline constexpr char kProjectFileFilter[] = "VDK Cartozen project (*.prg)";
inline constexpr char kProjectFileDefaultSuffix[] = "prg";
inline constexpr char kCreateProjectQuestion[] =
    "This project name does not exist here - would you like to create a new empty project ?";

inline constexpr char kTilesFolder[] = "Tiles";
inline constexpr char kMapSourcesFolder[] = "Map sources";
inline constexpr char kEfisMapsFolder[] = "EFIS Maps";
inline constexpr char kUnpackFolder[] = "Unpack";
inline constexpr char kTempFolder[] = "Temp";
inline constexpr std::array<const char*, 5> kProjectSubFolders = {
    kTilesFolder, kMapSourcesFolder, kEfisMapsFolder, kUnpackFolder, kTempFolder};

// "VDK Avionics Cartozen 2 V1.5 - No project loaded." or "... - project: " + name.
std::string WindowTitle(const ProjectState& project);

// Start-up: reads "Cartozen2.ini" into the project folder and name (kept even when no project
// opens, because tile and import paths are built from them) and reopens the project file
// folder + "/" + name when it exists, also reading [EPGS3857] SourceFolder.
void StartUpProject(ProjectState& project);

// The menu's create-or-open flow for the file chosen in the project-file dialog. A file that
// does not exist is created only after the question kCreateProjectQuestion is answered Yes;
// a chosen name without an extension gets ".prg". The current source's settings file is saved
// before the project changes. Refused while a long operation runs (BusyState.h). Returns true
// when a project was opened or created.
bool CreateOrOpenProject(AppState& state, const std::string& chosenFile, UserInterface& ui);

// The name with ".prg" appended when it has no extension.
std::string WithDefaultProjectExtension(const std::string& fileName);

// The command line's opening of a project folder (/P). A missing folder logs
// "Cannot find project " + folder and returns false. The project file is the folder's
// "<folder name>.prg" when it exists, else the folder's only ".prg" file when there is exactly
// one, else a new "<folder name>.prg"; the project name is that file's name, so the next
// interactive start reopens the same file.
bool OpenProjectFolder(AppState& state, const std::string& folder);

// The project file a command-line opening of folder uses (see OpenProjectFolder).
std::string CommandLineProjectFile(const std::string& folder);

// Adds a source image to [MapFiles]; a source already listed keeps its one key. Does nothing
// when no project is open (callers check and report that first).
void AddToMapFileList(ProjectState& project, const std::string& sourcePath);

// The map-file list in file order.
std::vector<std::string> MapFileList(const ProjectState& project);

// Replaces [MapFiles] with entries, in their order, each with the value "0"; no entries
// removes the section. The section is erased and rewritten in one write of the project file,
// so a failure leaves the old list whole. Does nothing when no project is open.
void ReplaceMapFileList(ProjectState& project, const std::vector<std::string>& entries);

// Makes sure the five sub-folders exist. Failures are not reported (the operations that use
// a folder report their own errors).
void EnsureProjectFolders(const std::string& folder);

// The application's closing: saves the loaded source's settings file, then, when a project is
// open, its viewer position, MapSourcePath and EPSG3857 source folder, and "Cartozen2.ini";
// the project file is released. A failed write throws and leaves the project open, so the
// closing can be abandoned and tried again.
void CloseApplication(AppState& state);

// The tiles folder of a project folder, and the deletion of every "*.GIF" file in it (ordinary,
// not hidden). Files that cannot be deleted are left. Returns how many were deleted.
std::string ProjectTilesFolder(const std::string& projectFolder);
int DeleteProjectTiles(const std::string& projectFolder);

}  // namespace cz
