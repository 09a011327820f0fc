#pragma once
// Keeps Qt's own remarks off standard error where a script reads them as problems. Without a
// display, Qt's debug, info and warning messages ("QStandardPaths: XDG_RUNTIME_DIR not set
// ...", "This plugin does not support propagateSizeHints()") say nothing about the run, so
// they are dropped while the filter is quiet; critical and fatal messages always pass. With
// QT_DEBUG_PLUGINS or CARTOZEN_DEBUG set (to anything but "0") every message passes.
//
// The program's own messages never go through Qt's logging, so they are not affected.

namespace cz {

// Installs the filter in front of the current message handler; quiet says whether it drops
// Qt's remarks from the start (before QApplication exists, so its constructor's remarks are
// caught too).
void InstallQtMessageFilter(bool quiet);

// Changes whether the filter drops Qt's remarks (once the platform is known).
void SetQtMessagesQuiet(bool quiet);

// True when QT_QPA_PLATFORM selects a platform without a display ("offscreen", "minimal",
// with or without options after ":").
bool DisplaylessPlatformRequested();

}  // namespace cz
