// Settings files: any bytes read as an INI file. Every key found must read back the same
// after the text is written out and parsed again, and reading integers must not overflow.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "platform/Error.h"
#include "project/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  cz::fuzz::MemoryFile file(data, size);
  if (!file.Ok()) return 0;
  try {
    const cz::IniFile ini(file.Path());
    const std::string text = ini.Serialize();
    cz::fuzz::MemoryFile again(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!again.Ok()) return 0;
    const cz::IniFile reread(again.Path());
    if (reread.Serialize() != text) std::abort();
    for (const char* section : {"MapFiles", "GeoReference", "Options", ""}) {
      for (const std::string& key : ini.ReadSectionKeys(section)) {
        if (ini.ReadString(section, key, "\x01") != reread.ReadString(section, key, "\x02")) {
          std::abort();
        }
        (void)ini.ReadInteger(section, key, -1);
      }
    }
  } catch (const cz::CartozenError&) {
  }
  return 0;
}
