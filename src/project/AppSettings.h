#pragma once
// The application settings, "Cartozen2.ini" in the program folder: which project was open
// last, so that the next start reopens it. Read once at start-up, written once at close.
//
//   [Cartozen2]
//   LastProjectPath=<project folder, without a trailing separator>
//   LastProjectName=<project name: the project file's name with its extension>

#include <string>

namespace cz {

// Full path of "Cartozen2.ini".
std::string AppSettingsPath();

struct LastProject {
  std::string Folder;  // default: the program folder (ProgramDataFolder()), with its trailing "/"
  std::string Name;    // default: empty
};

LastProject ReadAppSettings();

// Throws CartozenError("Unable to write to " + file name).
void WriteAppSettings(const std::string& projectFolder, const std::string& projectName);

}  // namespace cz
