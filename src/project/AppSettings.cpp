#include "project/AppSettings.h"

#include "platform/ExecutableFolder.h"
#include "project/IniFile.h"

namespace cz {

namespace {
constexpr char kSection[] = "Cartozen2";
}

std::string AppSettingsPath() {
  return ProgramDataFolder() + "Cartozen2.ini";
}

LastProject ReadAppSettings() {
  const IniFile ini(AppSettingsPath());
  LastProject last;
  last.Folder = ini.ReadString(kSection, "LastProjectPath", ProgramDataFolder());
  last.Name = ini.ReadString(kSection, "LastProjectName", "");
  return last;
}

void WriteAppSettings(const std::string& projectFolder, const std::string& projectName) {
  IniFile ini(AppSettingsPath());
  ini.Batch([&] {
    ini.WriteString(kSection, "LastProjectPath", projectFolder);
    ini.WriteString(kSection, "LastProjectName", projectName);
  });
}

}  // namespace cz
