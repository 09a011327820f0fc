#pragma once
// The command line's error log, "Error.txt" in the program folder (ProgramDataFolder(), the
// executable's folder when it is writable). A command-line run deletes it first and every
// logged message re-creates it, so it holds only the latest message: a calling script tells
// success from failure by whether the file exists afterwards. Runs without arguments never
// touch it.
//
// The file is UTF-8, one line ended by CR LF, replaced atomically. Logging never throws: when
// the file cannot be written the message goes to standard error instead.

#include <string>

namespace cz {

// Full path of "Error.txt".
std::string ErrorLogPath();

// Replaces the log with message + CR LF.
void LogError(const std::string& message);

// Says the cause of the message last logged on standard error, where a person or a scheduler's
// per-job log reads it; the log itself keeps the message alone.
void PrintCause(const std::string& cause);

// Removes the log if it exists.
void DeleteErrorLog();

}  // namespace cz
