#include "workspace/CellJobs.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "efismap/MakeMaps.h"
#include "georef/GridLayoutView.h"
#include "imaging/ChartReaders.h"
#include "imaging/MapSource.h"
#include "imaging/SourceImage.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "port/ForwardingUserInterface.h"
#include "project/MapSourceSettings.h"
#include "project/Project.h"
#include "tiling/CreateTiles.h"
#include "workspace/CellSnapshot.h"
#include "workspace/MapCommands.h"

namespace cz {

namespace {

// Remembers whether a problem was said (a message, a question, an error), so that a job that
// said one keeps its snapshot for the re-run.
class ProblemWitness : public ForwardingUserInterface {
 public:
  explicit ProblemWitness(UserInterface& ui) : ForwardingUserInterface(ui) {}

  void ShowMessage(const std::string& text) override {
    said_ = true;
    Inner().ShowMessage(text);
  }
  void ShowMessageWithCause(const std::string& text, const std::string& cause) override {
    said_ = true;
    Inner().ShowMessageWithCause(text, cause);
  }
  bool Confirm(const std::string& question) override {
    said_ = true;
    return Inner().Confirm(question);
  }
  bool Said() const { return said_; }

 private:
  bool said_ = false;
};

// A listed chart ready for its run: loaded, with its tile job and the cells that job reaches.
struct ListedChart {
  std::unique_ptr<MapSourceState> Source;  // on the heap: Job refers to its image
  std::optional<TileJob> Job;              // absent when only the cells were wanted
  std::vector<MapCell> Cells;
};

bool Reaches(const std::vector<MapCell>& cells, const MapCell& cell) {
  return std::binary_search(cells.begin(), cells.end(), cell);
}

std::vector<MapCell> CellsOfRun(const GeoReference& geo, const CoverageRun* coverage) {
  const std::optional<TilePlan> plan = PlanTileRun(geo, coverage);
  return plan ? CellsOfPlan(*plan) : std::vector<MapCell>{};
}

// The cells the chart's run reaches, told before its pixels are loaded: from its settings
// alone, or for a chart with coverage from its size as well (a TIFF's header). Nothing when
// only the loaded chart can tell.
std::optional<std::vector<MapCell>> CellsBeforeLoading(const MapSourceState& source) {
  if (!source.Coverage.Active()) return CellsOfRun(source.GeoRef, nullptr);
  const std::string ext = UpperCase(ExtractFileExt(source.Path));
  if (ext != ".TIF" && ext != ".TIFF") return std::nullopt;
  const std::optional<ChartSize> size = ReadTiffChartSize(source.Path);
  if (!size) return std::nullopt;
  try {
    return CellsOfRun(source.GeoRef, CoveragePlanOf(source, size->Width, size->Height).get());
  } catch (const CartozenError&) {
    return std::nullopt;  // the loaded chart's run says what is wrong with its coverage
  }
}

// Reads and, where needed, loads the chart at path as the batch does (settings first, then the
// image, the grid laid out as the batch lays it out). wanted: the job's cell, or nothing when
// only the cells it reaches are asked for. The image is loaded only for a run that draws it,
// or when its cells cannot be told without it. Returns nothing for a chart that is skipped
// (said as the header says) or that does not reach wanted.
std::optional<ListedChart> ReadListedChart(const std::string& path,
                                           const std::string& projectFolder,
                                           const std::optional<MapCell>& wanted,
                                           UserInterface& ui) {
  const std::string name = ExtractFileName(path);
  if (!FileExists(MapSourceSettingsFile(path))) {
    ui.AddLogLine(MessageLog::Batch, "Skipped " + name + " due missing data");
    return std::nullopt;
  }
  ListedChart chart;
  chart.Source = std::make_unique<MapSourceState>();
  MapSourceState& source = *chart.Source;
  source.Path = path;
  LoadMapINI(source);
  GridLayoutView view;
  // The load lays the grid out again, the same way.
  view.DrawGridFromGeoRef(source.GeoRef, ui);
  const std::optional<std::vector<MapCell>> cells = CellsBeforeLoading(source);
  if (cells) chart.Cells = *cells;
  // A missing image concerns the jobs of the cells it would reach; the job list says it too.
  if (cells && wanted && !Reaches(chart.Cells, *wanted)) return std::nullopt;
  if (!FileExists(path)) {
    ui.ShowMessage("Cannot find Map source file " + path);
    return std::nullopt;
  }
  if (cells && !wanted) return chart;
  VisualizeFileInImage(source, ui, view);
  if (!source.Loaded) {
    ui.ShowMessageWithCause(LoadFailureMessage(source.RequiredBytes), LoadFailureCauseText(source));
    return std::nullopt;
  }
  try {
    chart.Job.emplace(TileJobOf(source, projectFolder));
  } catch (const CartozenError& error) {
    ui.ShowMessage(error.what());  // a coverage the chart cannot use
    return std::nullopt;
  }
  chart.Cells = CellsOfRun(chart.Job->GeoRef, chart.Job->Coverage.get());
  if (wanted && !Reaches(chart.Cells, *wanted)) return std::nullopt;
  return chart;
}

// The chart's tiles inside the cell. A run that refuses (a manual grid out of order) has said
// why; one that only put its reason in the status line is said here, so it is not missed.
void DrawChartInCell(ListedChart& chart, const MapCell& cell, UserInterface& ui) {
  chart.Job->Cell = cell;
  ui.AddLogLine(MessageLog::Batch, "Processing " + ExtractFileName(chart.Source->Path));
  if (!CreateTiles(*chart.Job, ui)) {
    ui.ShowMessage("No tiles created from " + chart.Source->Path);
  }
}

std::string NoChartReachesText(const MapCell& cell) {
  return "No chart of the project reaches the map cell " + MapCellName(cell) + ": nothing to do";
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

bool RunCellJob(const CellJobRequest& request, UserInterface& ui) {
  ProblemWitness witness(ui);
  const MapCell& cell = request.Cell;
  std::optional<CellLock> begun;
  for (const std::string& path : ReadMapFileList(request.ProjectFolder)) {
    std::optional<ListedChart> chart = ReadListedChart(path, request.ProjectFolder, cell, witness);
    if (!chart) continue;
    if (!begun) begun.emplace(BeginCellTiles(request.ProjectFolder, cell));
    DrawChartInCell(*chart, cell, witness);
  }
  if (!begun) {
    ui.AddLogLine(MessageLog::Batch, NoChartReachesText(cell));
    return !witness.Said();
  }
  MakeMapsJob maps;
  maps.projectFolder = request.ProjectFolder;
  maps.extension = request.MapExtension;
  maps.cell = cell;
  CreateMaps(maps, witness);
  if (witness.Said()) return false;
  EndCellTiles(request.ProjectFolder, cell);
  return true;
}

bool RunChartInCell(const CellJobRequest& request, const std::string& sourcePath,
                    UserInterface& ui) {
  ProblemWitness witness(ui);
  std::optional<ListedChart> chart =
      ReadListedChart(sourcePath, request.ProjectFolder, request.Cell, witness);
  if (!chart) {
    if (!witness.Said()) {
      ui.AddLogLine(MessageLog::Batch, ExtractFileName(sourcePath) +
                                           " does not reach the map cell " +
                                           MapCellName(request.Cell) + ": nothing to do");
    }
    return !witness.Said();
  }
  const CellLock lock = BeginCellTiles(request.ProjectFolder, request.Cell);
  DrawChartInCell(*chart, request.Cell, witness);
  if (witness.Said()) return false;
  EndCellTiles(request.ProjectFolder, request.Cell);
  return true;
}

std::vector<MapCell> CellsOfProject(const std::string& projectFolder, UserInterface& ui) {
  std::vector<MapCell> cells;
  for (const std::string& path : ReadMapFileList(projectFolder)) {
    if (const std::optional<ListedChart> chart = ReadListedChart(path, projectFolder, {}, ui)) {
      cells.insert(cells.end(), chart->Cells.begin(), chart->Cells.end());
    }
  }
  std::sort(cells.begin(), cells.end());
  cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
  return cells;
}

std::string CellJobCommandLine(const std::string& program, const std::string& projectFolder,
                               const MapCell& cell, const std::string& extension) {
  std::string line = ShellQuoted(program) + " /P " + ShellQuoted(projectFolder) + " /C " +
                     std::to_string(cell.NorthEdge()) + " " + std::to_string(cell.WestEdge());
  if (extension != "MAP") line += " /O " + ShellQuoted(extension);
  return line;
}

void WriteJobList(const std::string& program, const std::string& projectFolder,
                  const std::string& extension, UserInterface& ui, std::FILE* out) {
  const std::vector<MapCell> cells = CellsOfProject(projectFolder, ui);
  if (cells.empty()) {
    ui.AddLogLine(MessageLog::Batch, "No chart of the project reaches any map cell: no jobs");
  }
  for (const MapCell& cell : cells) {
    const std::string line = CellJobCommandLine(program, projectFolder, cell, extension) + "\n";
    std::fputs(line.c_str(), out);
  }
  std::fflush(out);
}

}  // namespace cz
