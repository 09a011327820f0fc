#include "workspace/CommandLineRun.h"

#include <iostream>
#include <optional>

#include "georef/ChartGeoReference.h"
#include "imaging/SourceImage.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "port/CancelSignals.h"
#include "port/ErrorLog.h"
#include "port/ForwardingUserInterface.h"
#include "project/CoverageSettings.h"
#include "project/Project.h"
#include "tiling/CreateTiles.h"
#include "workspace/CommandAvailability.h"
#include "workspace/GridFitCommands.h"
#include "workspace/ImportCommands.h"
#include "workspace/MapCommands.h"
#include "workspace/ProjectBatch.h"

namespace cz {

namespace {

// Passes everything on and remembers the last message box and status text, so that a refusal
// of tile creation, which only shows its reason, can be written to the log as well.
class RefusalWitness : public ForwardingUserInterface {
 public:
  explicit RefusalWitness(UserInterface& ui) : ForwardingUserInterface(ui) {}

  void SetStatusText(const std::string& text) override {
    lastStatus_ = text;
    Inner().SetStatusText(text);
  }
  void ShowRefusal(const std::string& text) override {
    lastStatus_ = text;
    Inner().ShowRefusal(text);
  }
  void ShowMessage(const std::string& text) override {
    lastMessage_ = text;
    Inner().ShowMessage(text);
  }

  // The reason shown last: a message box outranks the status line.
  const std::string& Reason() const { return lastMessage_.empty() ? lastStatus_ : lastMessage_; }

 private:
  std::string lastStatus_;
  std::string lastMessage_;
};

// Creates the tiles of the freshly georeferenced source. A refusal leaves no tiles; it is
// logged so that the calling script does not take the run for a success.
void CreateSourceTiles(AppState& state, UserInterface& ui) {
  // Marked busy like every tile creation, so that a menu command clicked while the window
  // repaints between tiles is refused rather than nested.
  BusyScope busy(state.Busy, LongOperation::TileCreation);
  RefusalWitness witness(ui);
  const std::optional<std::int32_t> created = CreateTiles(TileJobOf(state), witness);
  if (!created) {
    LogError(witness.Reason().empty() ? "No tiles created from " + state.Source.Path
                                      : witness.Reason());
  }
}

// The switches' coverage, checked against the laid-out georeference before it is stored: a
// box outside the chart or folding under its georeference is logged, the settings file keeps
// the coverage it had, and the pipeline ends (false).
bool CoverageUsable(AppState& state) {
  try {
    CoverageRunOf(state.Source, state.Source.Coverage);
    return true;
  } catch (const CartozenError& error) {
    LogError(error.what());
    state.Source.Coverage = LoadCoverage(state.Source.Path);
    return false;
  }
}

// /G: the loaded chart's own georeference, with the fixed options of MakeMapINI, control
// points fitted as /T says; their residuals go to standard error. A chart without one, or
// with one that cannot be used, is logged and ends the pipeline (false).
bool GeoReferenceFromChart(MapSourceState& source, const CommandLineState& run) {
  const std::int32_t resolutionMask = run.ResolutionMask;
  try {
    const std::optional<ChartProjection> chart =
        ReadChartGeoReference(source.Path, run.ControlPointFit);
    if (!chart) {
      LogError(NoGeoReferenceText(source.Path));
    } else {
      GeoReference options;
      options.MapResolution = static_cast<std::uint8_t>(resolutionMask & 0xFF);
      options.ColorReduction = 0;
      options.Dithering = 0;
      ApplyChartGeoReference(source, *chart, options);
      if (const ControlPointReport* report = chart->ControlPoints()) {
        std::cerr << ControlPointSummary(*report) << '\n';
        for (std::size_t k = 0; k < report->Points.size(); ++k) {
          std::cerr << ControlPointLine(*report, k) << '\n';
        }
      } else if (run.ControlPointFit) {
        // Not an error (the chart's georeference is exact), but the person asked for a fit.
        std::cerr << "/T has nothing to fit: " << ExtractFileName(source.Path)
                  << " has no control points\n";
      }
      return true;
    }
  } catch (const CartozenError& error) {
    LogError(error.what());
  }
  // As after a refused /X: closing saves what the chart's settings file already holds.
  LoadMapINI(source);
  return false;
}

}  // namespace

void CommandLineHost::ProcessSourceMap(AppState& state, UserInterface& ui) {
  cz::ProcessSourceMap(state, ui);
}

void CommandLineHost::CreateMaps(AppState& state, UserInterface& ui) {
  cz::CreateMaps(state, ui);
}

void RunSourcePipeline(AppState& state, UserInterface& ui, CommandLineHost& host) {
  const CommandLineState& run = state.CommandLine;
  if (!OpenProjectFolder(state.Project, run.ProjectFolder)) return;

  const std::string sourceFolder = JoinPath(state.Project.Folder, kCommandLineSourceFolder);
  const std::string sourcePath = JoinPath(sourceFolder, run.SourceArgument);
  if (!FileExists(sourcePath)) {
    LogError("Cannot find Map source file " + run.SourceArgument);
    return;
  }
  // The real spelling ("Map sources/alps.tif"), so that the list holds one key per file
  // however it was reached, and the settings file lands beside the image.
  ReplaceSource(state);
  MapSourceState& source = state.Source;
  source.Path = ResolvePath(sourcePath);
  AddToMapFileList(state.Project, source.Path);

  {
    BusyScope loading(state.Busy, LongOperation::Load);
    ui.SetStatusText("Loading " + ExtractFileName(source.Path) + ", please wait...");
    ui.ProcessEvents();
    VisualizeFileInImage(source, ui, host);
  }
  if (!source.Loaded) {
    LogError(LoadFailureMessage(source.RequiredBytes));
    if (!source.LoadFailureCause.empty()) PrintCause(LoadFailureCauseText(source));
    return;
  }
  // The coverage is the switches' (/B, /A), fresh like the georeference: set before the
  // chart's own georeference, which takes a chart smaller than a cell only with coverage.
  source.Coverage = ChartCoverage{};
  source.Coverage.Box = run.CoverageBox;
  source.Coverage.Transparency = run.CoverageFromTransparency;
  if (run.PositionFromChart) {
    if (!GeoReferenceFromChart(source, run)) return;
  } else {
    try {
      MakeMapINI(source, run.Position, run.ResolutionMask);
    } catch (const CartozenError&) {
      // Refused before writing anything. The georeference in memory was never read from the
      // source's settings file, and closing saves it: read the file back so that closing keeps
      // what an operator stored there instead of overwriting it with an empty georeference.
      LoadMapINI(source);
      throw;
    }
  }
  host.DrawGridFromGeoRef(source.GeoRef, ui);
  // The fit starts from the grid as laid out, and its points stay where it put them.
  if (run.FitGrid) {
    FitGridOnCommandLine(source, ui);
    host.DrawGridFromGeoRef(source.GeoRef, ui);
  }
  if (!CoverageUsable(state)) return;
  SaveCoverage(source.Path, source.Coverage);
  if (!run.NoProcessing) CreateSourceTiles(state, ui);
}

void RunImport(AppState& state, UserInterface& ui, CommandLineHost& host) {
  ImportContext context{host.ImportWindow(), state, ui,
                        [&state, &ui, &host] { host.ProcessSourceMap(state, ui); }};
  StartImportFromCommandLine(context);
}

void RunCommandLine(AppState& state, UserInterface& ui, CommandLineHost& host) {
  const CommandLineState& run = state.CommandLine;
  if (run.SwitchSet == 15) {
    RunSourcePipeline(state, ui, host);
  } else if (run.SwitchSet == 16) {
    RunImport(state, ui, host);
  }
  if (run.MakeMaps && state.Project.Open && !run.NoProcessing) host.CreateMaps(state, ui);
}

CommandLineOutcome CommandLineBatch(AppState& state, UserInterface& ui,
                                    const CommandArguments& arguments, CommandLineHost& host) {
  DeleteErrorLog();
  CommandLineState& run = state.CommandLine;
  run.SwitchSet = 0;
  run.MakeMaps = false;
  run.NoProcessing = false;
  run.PositionFromChart = false;
  run.FitGrid = false;
  run.ControlPointFit.reset();
  run.CoverageBox.reset();
  run.CoverageFromTransparency = false;
  run.Active = true;
  struct ActiveReset {
    CommandLineState& run;
    ~ActiveReset() { run.Active = false; }
  } activeReset{run};

  for (int index = 1; index <= arguments.Count(); ++index) {
    run.ArgumentIndex = static_cast<std::uint8_t>(index);
    if (!ParseSwitch(run, arguments, index)) return CommandLineOutcome::Close;
  }
  if (!SwitchesAgree(run)) return CommandLineOutcome::Close;
  // Ctrl+C or a polite kill stops the job between tiles or files instead of killing the
  // process in the middle of a write.
  CancelOnSignals cancellable(ui);
  RunCommandLine(state, cancellable, host);
  return run.NoProcessing ? CommandLineOutcome::StayOpen : CommandLineOutcome::Close;
}

CommandLineOutcome CommandLineBatch(AppState& state, UserInterface& ui,
                                    const CommandArguments& arguments) {
  CommandLineHost host;
  return CommandLineBatch(state, ui, arguments, host);
}

void LogStartUpFailure(const std::string& startUpError) {
  if (!startUpError.empty() && !FileExists(ErrorLogPath())) LogError(startUpError);
}

bool CommandLineRunLogged(bool portLogged) {
  return portLogged || FileExists(ErrorLogPath());
}

}  // namespace cz
