#pragma once
// Cell jobs: the project batch cut into one job per 8 × 8° map cell, for GNU parallel, a Slurm
// array or any engine that runs a list of command lines.
//
//   RunCellJob (/P folder /C lat lon): every chart of the map-file list whose tiles reach the
//     cell, in list order, each with its settings file's georeference, options and coverage,
//     drawing only the tiles inside the cell; then the cell's map file.
//   RunChartInCell (/P folder /S name /C lat lon): that one chart's run, clipped to the cell.
//   WriteJobList (/P folder /J): one /C command line per cell that any listed chart reaches,
//     in cell order (north to south, west to east), with absolute paths.
//
// Why the result is the one-machine result: every tile lies in one cell, and what a tile holds
// depends only on the charts drawn into it, in their order, over what it held before (the 2°
// and 4° tiles and, with coverage, every partly covered tile start from the stored tile). A
// cell job draws every chart that reaches its cell, in list order, so each of its tiles goes
// through the steps of the one-machine batch; and the files jobs write (tiles, map file, the
// map file's working file, the snapshot of CellSnapshot.h) belong to one cell each, so any
// number of jobs may run at once, in any order.
//
// A job reads the project file and the charts' settings files and writes neither; it neither
// reads nor writes "Cartozen2.ini". Charts without a settings file are skipped as the batch
// skips them ("Skipped " + name + " due missing data", a memo line). A listed chart whose image
// is missing ("Cannot find Map source file " + path) or does not load (the load-failure
// message) is skipped and said through the port, and the job goes on with the next chart.
// Memo lines (MessageLog::Batch, MessageLog::MapBuilding) tell what the job does.
//
// Errors of the files (settings, tiles, map file) throw CartozenError; the snapshot then stays,
// so a re-run starts from the cell's tiles as they were before the first attempt.

#include <cstdio>
#include <string>
#include <vector>

#include "geo/MapCell.h"
#include "port/UserInterface.h"

namespace cz {

struct CellJobRequest {
  std::string ProjectFolder;
  MapCell Cell;
  std::string MapExtension = "MAP";  // the map file's extension, without the dot
};

// The cell job. Returns true when it ended without a problem said through the port's messages;
// only then is the cell's snapshot dropped.
bool RunCellJob(const CellJobRequest& request, UserInterface& ui);

// One chart, sourcePath, run clipped to the cell (no map file): the cell job's step for one
// chart, with the same snapshot and result.
bool RunChartInCell(const CellJobRequest& request, const std::string& sourcePath,
                    UserInterface& ui);

// The cells the listed charts reach, in cell order.
std::vector<MapCell> CellsOfProject(const std::string& projectFolder, UserInterface& ui);

// The command line of one cell job: program and project as absolute paths, quoted for the
// shell; " /O " + extension when it is not "MAP".
std::string CellJobCommandLine(const std::string& program, const std::string& projectFolder,
                               const MapCell& cell, const std::string& extension);

// The job list on out, one CellJobCommandLine per cell of CellsOfProject.
void WriteJobList(const std::string& program, const std::string& projectFolder,
                  const std::string& extension, UserInterface& ui, std::FILE* out);

}  // namespace cz
