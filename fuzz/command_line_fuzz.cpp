// The command line as a stranger may type it: the input is split at NUL bytes into arguments
// and read switch by switch. /D is left out: it deletes files of whatever folder an earlier /P
// names, which a fuzzer must not do to the machine it runs on.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "batch/CommandLine.h"
#include "platform/ExecutableFolder.h"
#include "platform/Paths.h"
#include "port/UserInterface.h"
#include "workspace/CommandLineRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool folderReady = [] {
    char pattern[] = "/tmp/cartozen-fuzz-XXXXXX";
    const char* folder = ::mkdtemp(pattern);
    cz::OverrideProgramDataFolder(folder ? folder : "/tmp");
    return true;
  }();
  (void)folderReady;

  std::vector<std::string> arguments(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.emplace_back();
    } else {
      arguments.back() += static_cast<char>(data[i]);
    }
  }
  for (const std::string& argument : arguments) {
    if (cz::UpperCase(argument) == "/D") return 0;
  }
  const cz::CommandArguments commandLine(std::move(arguments));
  // The walk that tells a cell job (/C, /J) before start-up must agree with the reading itself.
  (void)cz::IsCellCommand(commandLine);
  cz::AppState state;
  cz::SilentUserInterface ui;
  cz::CommandLineBatch(state, ui, commandLine);
  return 0;
}
