#pragma once
// Fitting the loaded chart's grid to its printed graticule (georef/GraticuleFit.h), from the
// window's command and from the command line's /F.

#include "georef/GraticuleFit.h"
#include "imaging/MapSource.h"
#include "port/UserInterface.h"

namespace cz {

// Fits source's grid, as the last layout left it: when any point was accepted the source takes the fitted grid (the manual
// method) and its settings file is saved; otherwise nothing changes. Throws
// OperationCancelled when the person stops it, CartozenError when the settings file cannot be
// written.
GridReport FitSourceGrid(MapSourceState& source, UserInterface& ui);

// /F: FitSourceGrid, its summary and its worst points on standard error. A chart where nothing
// was found keeps its grid; neither stops the run.
void FitGridOnCommandLine(MapSourceState& source, UserInterface& ui);

}  // namespace cz
