#include "workspace/CellCommand.h"

#include <cstdio>
#include <exception>
#include <filesystem>

#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "port/CancelSignals.h"
#include "port/ErrorLog.h"
#include "port/ForwardingUserInterface.h"
#include "port/HeadlessUserInterface.h"
#include "project/Project.h"
#include "workspace/CellJobs.h"

namespace cz {

namespace {

constexpr char kCellSwitches[] = "PSOCJ";

// The job's name in the shared log: "/C lat lon" as typed, or "/J".
std::string JobName(const CommandArguments& arguments) {
  for (int index = 1; index <= arguments.Count(); ++index) {
    if (UpperCase(arguments.At(index)) == "/C") {
      return "/C " + arguments.At(index + 1) + " " + arguments.At(index + 2);
    }
  }
  return "/J";
}

// The /J run's memo lines go to standard error: its standard output is the job list.
class LinesToStandardError : public ForwardingUserInterface {
 public:
  using ForwardingUserInterface::ForwardingUserInterface;
  void AddLogLine(MessageLog, const std::string& line) override {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
  }
};

// The folder as an absolute path in its real spelling, for command lines run elsewhere.
std::string AbsoluteFolder(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(ResolvePath(folder), error);
  return WithoutTrailingSeparator(error ? folder : absolute.lexically_normal().string());
}

// The switches read into run; false, after logging why, when the job cannot run.
bool ReadCellSwitches(CommandLineState& run, const CommandArguments& arguments) {
  for (const char letter : SwitchLetters(arguments)) {
    if (std::string(kCellSwitches).find(letter) == std::string::npos) {
      LogError(std::string("/") + letter +
               " cannot be given with /C or /J: a cell job takes /P, /C, /S and /O only, and the "
               "job list /P, /J and /O");
      return false;
    }
  }
  for (int index = 1; index <= arguments.Count(); ++index) {
    if (!ParseSwitch(run, arguments, index)) return false;
  }
  if (run.ProjectFolder.empty()) {
    LogError("A cell job (/C) or the job list (/J) needs the project folder (/P)");
    return false;
  }
  if (run.Cell && run.JobList) {
    LogError("/C and /J cannot be given together: /J lists the /C command lines");
    return false;
  }
  if (run.JobList && !run.SourceArgument.empty()) {
    LogError("/J lists the jobs of the whole project: it takes no /S");
    return false;
  }
  return true;
}

void RunCellSwitches(const CommandLineState& run, UserInterface& ui) {
  const std::string folder = AbsoluteFolder(run.ProjectFolder);
  const std::string extension = run.MapExtension.empty() ? "MAP" : run.MapExtension;
  if (run.JobList) {
    LinesToStandardError lines(ui);
    WriteJobList(ExecutablePath(), folder, extension, lines, stdout);
    return;
  }
  // As every opening does; creating a folder that another job has just created is no error.
  EnsureProjectFolders(folder);
  const CellJobRequest request{folder, *run.Cell, extension};
  if (run.SourceArgument.empty()) {
    RunCellJob(request, ui);
    return;
  }
  const std::string sourcePath =
      JoinPath(JoinPath(folder, kCommandLineSourceFolder), run.SourceArgument);
  if (!FileExists(sourcePath)) {
    LogError("Cannot find Map source file " + run.SourceArgument);
    return;
  }
  RunChartInCell(request, ResolvePath(sourcePath), ui);
}

}  // namespace

int RunCellCommand(const CommandArguments& arguments) {
  ShareErrorLog(JobName(arguments));
  HeadlessUserInterface headless;
  try {
    CommandLineState run;
    run.Active = true;
    if (ReadCellSwitches(run, arguments)) {
      CancelOnSignals cancellable(headless);
      RunCellSwitches(run, cancellable);
    }
  } catch (const std::exception& error) {
    headless.ReportError(error);
  }
  return headless.Logged() || ErrorLoggedByThisProcess() ? 1 : 0;
}

}  // namespace cz
