#pragma once
// The executable's folder, where "Cartozen2.ini", "Error.txt" and "Palette.txt" live and
// where a bare /P project name resolves.

#include <string>

namespace cz {

// Folder of /proc/self/exe, with its trailing "/".
std::string ExecutableFolder();

// The folder for the program's own files: ExecutableFolder() when it is writable, else
// $XDG_CONFIG_HOME/Cartozen2/ (default ~/.config/Cartozen2/), created on demand. Ends in "/".
// An installed, read-only copy thus still keeps its settings and error log.
std::string ProgramDataFolder();

// Tests and embedders may pin the program folder (empty restores the default).
void OverrideProgramDataFolder(const std::string& folder);

}  // namespace cz
