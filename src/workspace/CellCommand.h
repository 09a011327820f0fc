#pragma once
// The command lines of cell jobs (CellJobs.h), run straight from main() without a window,
// whatever the display, and without the program's start-up and closing: such a job must not
// reopen the last project (which writes its project file) nor save "Cartozen2.ini", which all
// jobs share.
//
//   /P folder /C lat lon [/O ext]            the cell job
//   /P folder /S name /C lat lon [/O ext]    one chart of "Map Sources", clipped to the cell
//   /P folder /J [/O ext]                    the job list on standard output
//
// Other switches are refused (they would change the project, its settings or other cells'
// tiles). Problems go to the shared error log ("[/C lat lon] message" lines appended to
// "Error.txt", never deleted; ErrorLog.h) and to standard error; memo lines go to standard
// output (to standard error for /J, whose standard output is the list). Ctrl+C or a scheduler's
// SIGTERM stops between tiles, removing the tiles in flight.
//
// Returns the exit status: 0 when nothing was logged, else 1.

#include "batch/CommandLine.h"

namespace cz {

int RunCellCommand(const CommandArguments& arguments);

}  // namespace cz
