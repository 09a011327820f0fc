#include "workspace/Workspace.h"

#include "workspace/ProjectCommands.h"

namespace cz {

Workspace::Workspace(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}

void Workspace::StartUp(UserInterface& ui) {
  startUpError_ = StartUpApplication(state_, ui);
}

CommandLineOutcome Workspace::RunCommandLine(UserInterface& ui, CommandLineHost& host) {
  commandLineRan_ = true;
  return CommandLineBatch(state_, ui, arguments_, host);
}

void Workspace::LogStartUpFailure() const {
  cz::LogStartUpFailure(startUpError_);
}

}  // namespace cz
