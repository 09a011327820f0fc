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
#include <memory>
#include <string>
#include <vector>

#include "project/IniFile.h"

namespace cz {

// The open project.
struct ProjectState {
  std::string Folder;  // normally without a trailing "/" (the start-up default keeps one)
  std::string Name;    // the project file's name with extension, or the folder's last component
  bool Open = false;   // once set, stays set for the rest of the process
  std::unique_ptr<IniFile> File;       // the project file, kept open while the application runs
  std::string MapSourceFolder;         // initial folder of the source-image dialog
  std::string LastChosenSourceFolder;  // folder (with "/") of the file last chosen in that
                                       // dialog during this run; empty when it was not used
  std::string Epsg3857SourceFolder;    // initial folder of the import dialog
  double ViewerLatitude = 0.0;         // the map viewer's centre, degrees
  double ViewerLongitude = 0.0;
};

inline constexpr char kNoProjectOpenedText[] = "No project has been opened.";
inline constexpr char kProjectFileExtension[] = ".prg";
// The project-file dialog: its filter, and the extension a typed name without one gets.
inline constexpr char kProjectFileFilter[] = "VDK Cartozen project (*.prg)";
inline constexpr char kProjectFileDefaultSuffix[] = "prg";
inline constexpr char kCreateProjectQuestion[] =
    "This project name does not exist here - would you like to create a new empty project ?";

inline constexpr char kTilesFolder[] = "Tiles";
inline constexpr char kMapSourcesFolder[] = "Map sources";
// The same folder as the command line has always named it; found on disk without regard to
// case.
inline constexpr char kCommandLineSourceFolder[] = "Map Sources";
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

// Opens (or creates) file as the project, the project folder being the file's folder: the
// sub-folders are made sure of and the project file is opened as every opening does. A file
// that cannot be written throws and leaves the previous project as it was.
void OpenProjectFile(ProjectState& project, const std::string& file);

// The name with ".prg" appended when it has no extension.
std::string WithDefaultProjectExtension(const std::string& fileName);

// The command line's opening of a project folder (/P). A missing folder logs
// "Cannot find project " + folder and returns false. The project file is the folder's
// "<folder name>.prg" when it exists, else the folder's only ".prg" file when there is exactly
// one, else a new "<folder name>.prg"; the project name is that file's name, so the next
// interactive start reopens the same file.
bool OpenProjectFolder(ProjectState& project, const std::string& folder);

// The project file a command-line opening of folder uses (see OpenProjectFolder).
std::string CommandLineProjectFile(const std::string& folder);

// The map-file list of the project in folder, read without opening the project: the project
// file of a command-line opening (CommandLineProjectFile) is only read, never written, so any
// number of cell jobs may read it at once. Throws CartozenError("Cannot find project file " +
// path) when there is none.
std::vector<std::string> ReadMapFileList(const std::string& folder);

// Throws CartozenError naming the project file when sourcePath cannot be a key of
// [MapFiles] (IniFile::CanHoldKey): it would be written and read back as another path.
void CheckMapFileListEntry(const ProjectState& project, const std::string& sourcePath);

// Adds a source image to [MapFiles]; a source already listed keeps its one key. Does nothing
// when no project is open (callers check and report that first). Refuses a path the list
// cannot hold (CheckMapFileListEntry).
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

// The project's share of the application's closing: when a project is open, its viewer
// position, MapSourcePath and EPSG3857 source folder, and "Cartozen2.ini"; the project file is
// released. A failed write throws and leaves the project open, so the closing can be abandoned
// and tried again.
void CloseProject(ProjectState& project);

}  // namespace cz
