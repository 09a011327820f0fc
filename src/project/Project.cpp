#include "project/Project.h"

#include <memory>

#include "geo/GeoCoord.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ProgramVersion.h"
#include "port/ErrorLog.h"
#include "project/AppSettings.h"
#include "project/IniFile.h"

namespace cz {

namespace {

constexpr char kGeneral[] = "General";
constexpr char kMapViewer[] = "MapViewer";
constexpr char kEpsg3857[] = "EPGS3857";  // G before S: the name the files have always had
constexpr char kMapFiles[] = "MapFiles";

// Opens file as the project file of folder under name. The version key is written before the
// state changes, so a file that cannot be written leaves the previous project as it was.
void OpenProjectFileAs(ProjectState& project, const std::string& folder, const std::string& file,
                       const std::string& name) {
  auto ini = std::make_unique<IniFile>(file);
  ini->WriteString(kGeneral, "Cartozen2", "Version 1");
  project.File = std::move(ini);
  project.Folder = folder;
  project.Name = name;
  project.Open = true;
  project.ViewerLatitude = GeoCoordToDegrees(project.File->ReadInteger(kMapViewer, "Latitude", 0));
  project.ViewerLongitude =
      GeoCoordToDegrees(project.File->ReadInteger(kMapViewer, "Longitude", 0));
  const std::string sourcePath = project.File->ReadString(kGeneral, "MapSourcePath", "");
  project.MapSourceFolder = sourcePath.empty() ? project.Folder : sourcePath;
}

}  // namespace

std::string WindowTitle(const ProjectState& project) {
  // The version text is "V" and the program's version ("V1.5").
  const std::string base = std::string("VDK Avionics Cartozen 2 V") + kProgramVersion;
  return project.Open ? base + " - project: " + project.Name : base + " - No project loaded.";
}

void StartUpProject(ProjectState& project) {
  const LastProject last = ReadAppSettings();
  project.Folder = last.Folder;
  project.Name = last.Name;
  const std::string file = JoinPath(project.Folder, project.Name);
  if (project.Name.empty() || !FileExists(file)) return;
  OpenProjectFileAs(project, last.Folder, file, last.Name);
  EnsureProjectFolders(project.Folder);
  project.Epsg3857SourceFolder = project.File->ReadString(kEpsg3857, "SourceFolder", "");
}

std::string WithDefaultProjectExtension(const std::string& fileName) {
  return ExtractFileExt(fileName).empty() ? fileName + kProjectFileExtension : fileName;
}

void OpenProjectFile(ProjectState& project, const std::string& file) {
  const std::string folder = WithoutTrailingSeparator(ExtractFilePath(file));
  EnsureProjectFolders(folder);
  OpenProjectFileAs(project, folder, file, ExtractFileName(file));
}

std::string CommandLineProjectFile(const std::string& folder) {
  const std::string folderName = ExtractFileName(WithoutTrailingSeparator(folder));
  const std::string named = JoinPath(folder, folderName + kProjectFileExtension);
  if (FileExists(named)) return ResolvePath(named);
  const std::vector<std::string> projectFiles =
      ListFiles(folder, std::string("*") + kProjectFileExtension);
  if (projectFiles.size() == 1) return JoinPath(ResolvePath(folder), projectFiles.front());
  return named;
}

bool OpenProjectFolder(ProjectState& project, const std::string& folder) {
  if (!DirectoryExists(folder)) {
    LogError("Cannot find project " + folder);
    return false;
  }
  // The folder in its real spelling, so the name recorded for the next start is the one on disk.
  const std::string resolved = WithoutTrailingSeparator(ResolvePath(folder));
  EnsureProjectFolders(resolved);
  const std::string file = CommandLineProjectFile(resolved);
  OpenProjectFileAs(project, resolved, file, ExtractFileName(file));
  return true;
}

std::vector<std::string> ReadMapFileList(const std::string& folder) {
  const std::string file = CommandLineProjectFile(folder);
  if (!FileExists(file)) throw CartozenError("Cannot find project file " + file);
  return IniFile(file, IniFile::Reading::Snapshot).ReadSectionKeys(kMapFiles);
}

void CheckMapFileListEntry(const ProjectState& project, const std::string& sourcePath) {
  if (!project.Open || !project.File || IniFile::CanHoldKey(sourcePath)) return;
  throw CartozenError("The map source " + sourcePath + " cannot be listed in the project file " +
                      project.File->FileName() +
                      ": a source path must not contain \"=\", start with \";\" or \"[\", "
                      "or start or end with a blank. Rename the file or its folder.");
}

void AddToMapFileList(ProjectState& project, const std::string& sourcePath) {
  if (!project.Open || !project.File) return;
  CheckMapFileListEntry(project, sourcePath);
  project.File->WriteString(kMapFiles, sourcePath, "0");
}

std::vector<std::string> MapFileList(const ProjectState& project) {
  if (!project.File) return {};
  return project.File->ReadSectionKeys(kMapFiles);
}

void ReplaceMapFileList(ProjectState& project, const std::vector<std::string>& entries) {
  if (!project.Open || !project.File) return;
  IniFile& file = *project.File;
  file.Batch([&] {
    file.EraseSection(kMapFiles);
    for (const std::string& entry : entries) file.WriteString(kMapFiles, entry, "0");
  });
}

void EnsureProjectFolders(const std::string& folder) {
  for (const char* subFolder : kProjectSubFolders) ForceDirectories(JoinPath(folder, subFolder));
}

void CloseProject(ProjectState& project) {
  if (!project.Open || !project.File) return;
  IniFile& file = *project.File;
  file.Batch([&] {
    file.WriteInteger(kMapViewer, "Latitude", DegreesToGeoCoord(project.ViewerLatitude));
    file.WriteInteger(kMapViewer, "Longitude", DegreesToGeoCoord(project.ViewerLongitude));
    file.WriteString(kGeneral, "MapSourcePath", project.LastChosenSourceFolder);
    file.WriteString(kEpsg3857, "SourceFolder", project.Epsg3857SourceFolder);
  });
  WriteAppSettings(project.Folder, project.Name);
  // Released last: a failed write above leaves the project file open for another try.
  project.File.reset();
}

}  // namespace cz
