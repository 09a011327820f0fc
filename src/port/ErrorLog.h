#pragma once
// The command line's error log, "Error.txt" in the program folder (ProgramDataFolder(), the
// executable's folder when it is writable). A command-line run deletes it first and every
// logged message re-creates it, so it holds only the latest message: a calling script tells
// success from failure by whether the file exists afterwards. Runs without arguments never
// touch it.
//
// Cell jobs (/C, /J) run many at once and share the one program folder, so they share the log
// instead (ShareErrorLog): it is never deleted, and each message is appended as one line
// prefixed with the job's name, in one write on a file opened for appending, so the lines of
// concurrent jobs never mix or overwrite each other; each message also goes to standard error,
// where a scheduler's per-job log keeps it.
//
// The file is UTF-8, one line per message ended by CR LF; the latest-message log is replaced
// atomically. Logging never throws: when the file cannot be written the message goes to
// standard error instead.

#include <string>

namespace cz {

// Full path of "Error.txt".
std::string ErrorLogPath();

// Replaces the log with message + CR LF, or in the shared log appends "[job] " + message +
// CR LF and says the message on standard error.
void LogError(const std::string& message);

// From now on this process appends to the shared log under jobName (see above); an empty name
// returns to the latest-message log.
void ShareErrorLog(const std::string& jobName);
// Whether this process logs to the shared log, which says every message on standard error too.
bool ErrorLogShared();
// Whether this process has logged a message (its exit status says so).
bool ErrorLoggedByThisProcess();

// Says the cause of the message last logged on standard error, where a person or a scheduler's
// per-job log reads it; the log itself keeps the message alone.
void PrintCause(const std::string& cause);

// Removes the log if it exists (never the shared log).
void DeleteErrorLog();

}  // namespace cz
