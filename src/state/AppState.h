#pragma once
// The process-wide state of a running Cartozen: the open project, the current map source with
// its pixels and georeference, and the command line's run state. One AppState is owned by the
// application object (the main window, or a display-less run) and handed to operations
// explicitly; nothing reaches for it through a global.

#include <cstdint>
#include <memory>
#include <string>

#include "geo/GeoReference.h"
#include "imaging/Raster32.h"
#include "project/IniFile.h"
#include "state/BusyState.h"

namespace cz {

// The open project.
struct ProjectState {
  std::string Folder;  // normally without a trailing "/" (the start-up default keeps one)
  std::string Name;    // the project file's name with extension, or the folder's last component
  bool Open = false;   // once set, stays set for the rest of the process
  std::unique_ptr<IniFile> File;       // the project file, kept open while the application runs
  std::string MapSourceFolder;         // initial folder of the source-image dialog
  std::string LastChosenSourceFolder;  // folder (with "/") of the file last chosen in that
                                       // dialog during this run; empty when it was not used
  std::string Epsg3857SourceFolder;    // initial folder of the import dialog
  double ViewerLatitude = 0.0;         // the map viewer's centre, degrees
  double ViewerLongitude = 0.0;
};

// The current map source: the chart image, its pixels and its georeference (the in-memory
// image of its settings file).
struct MapSourceState {
  std::string Path;  // full path of the chart image; its settings file is beside it
  Raster32 Image;    // empty when no image is loaded
  bool Loaded = false;
  std::uint64_t RequiredBytes = 0;  // width × height × 4 of the last image header read, for
                                    // the load-failure message; 0 until a header is read
  std::string LoadFailureCause;     // why the last load failed, said beside that message
                                    // (LoadFailureCauseText); empty after a load that worked
  GeoReference GeoRef;
};

// The command line's run state, read from the switches.
struct CommandLineState {
  std::uint8_t ArgumentIndex = 0;
  std::uint32_t SwitchSet = 0;       // 1 /P, 2 /S, 4 /X or /G, 8 /R; /E sets it to 16
  bool MakeMaps = false;             // /M
  bool NoProcessing = false;         // /N
  std::string ProjectFolder;         // /P, as resolved
  std::string SourceArgument;        // /S
  std::string MapExtension;          // /O; empty means "MAP"
  float Position[4] = {0, 0, 0, 0};  // /X: top-left latitude, longitude, extents south, east
  bool PositionFromChart = false;    // /G: the chart's own georeference (the later of /X, /G)
  std::int32_t ResolutionMask = 0;   // /R: bit k = TileLevel k
  std::int32_t ImportLatitude = 0;   // /E: the map cell, whole degrees
  std::int32_t ImportLongitude = 0;
  std::uint8_t ImportZooms[5] = {0, 0, 0, 0, 0};  // /E: EFIS zoom 1..5 -> web zoom 7..11 (0..4)
  bool Active = false;  // a command-line run is in progress (messages are logged, not shown)
};

// The project batch's cancel flag: read by the batch run between its steps and set by the
// batch window's Cancel button, by a failed BatchLoad and by BatchProcess without an image;
// it is cleared only when a run starts.
struct BatchState {
  bool Cancel = false;
};

struct AppState {
  ProjectState Project;
  MapSourceState Source;
  CommandLineState CommandLine;
  BatchState Batch;
  BusyState Busy;  // which long operation runs, for the one busy rule (BusyState.h)

  // The map-file extension in use, without the dot.
  std::string MapExtension() const {
    return CommandLine.MapExtension.empty() ? std::string("MAP") : CommandLine.MapExtension;
  }
};

}  // namespace cz
