#pragma once
// The executable's folder, where "Cartozen2.ini", "Error.txt" and "Palette.txt" live and
// where a bare /P project name resolves, and the per-user folder an installed copy uses
// instead.

#include <string>

namespace cz {

// /proc/self/exe: the running program's absolute path, empty when it cannot be read.
std::string ExecutablePath();

// Folder of /proc/self/exe, with its trailing "/".
std::string ExecutableFolder();

// The folder for the program's own files: ExecutableFolder() when it is writable and not a
// system program folder, else $XDG_CONFIG_HOME/Cartozen2/ (default ~/.config/Cartozen2/),
// created on demand. Ends in "/". An installed copy thus keeps its settings and error log per
// user, and never writes beside itself in /usr/bin, not even when root runs it.
std::string ProgramDataFolder();

// The choice ProgramDataFolder() makes, from what it looks up (nullptr or empty: unset).
std::string ChooseProgramDataFolder(const std::string& executableFolder,
                                    bool executableFolderWritable, const char* xdgConfigHome,
                                    const char* home);

// Tests and embedders may pin the program folder (empty restores the default).
void OverrideProgramDataFolder(const std::string& folder);

}  // namespace cz
