#pragma once
// Path text helpers. Paths are built with the native separator "/". Where a file name is
// split into folder, name and extension, both "/" and "\" end a folder part, so names typed
// the Windows way still split correctly. ":" has no meaning on Linux and is not special.

#include <string>
#include <string_view>

namespace cz {

inline constexpr char kPathSeparator = '/';

// True for '/' and '\'.
bool IsFolderSeparator(char c);

// Position of the last '/' or '\' in path, or npos.
std::size_t LastSeparator(std::string_view path);

// Folder part including its trailing separator ("a/b/c.tif" -> "a/b/"); empty when none.
std::string ExtractFilePath(std::string_view path);

// Name after the last separator ("a/b/c.tif" -> "c.tif").
std::string ExtractFileName(std::string_view path);

// Extension with its dot: the text from the last "." after the last separator; empty when
// the name has no dot ("a/b.c/d" -> "").
std::string ExtractFileExt(std::string_view path);

// Replaces the extension (as ExtractFileExt finds it) by ext, or appends ext when there is
// none. ext includes its dot: ChangeFileExt("x/chart.tif", ".INI") == "x/chart.INI".
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// folder + "/" + name, with exactly one separator between them (folder may end in one).
std::string JoinPath(std::string_view folder, std::string_view name);

// The path without trailing separators ("a/b/" -> "a/b"); "/" stays "/".
std::string WithoutTrailingSeparator(std::string_view path);

// The path with one trailing "/" (kept as it is when it already ends in a separator).
std::string WithTrailingSeparator(std::string_view path);

// ASCII upper-casing, as the program compares switch texts and names.
std::string UpperCase(std::string_view text);

// Case-insensitive (ASCII) equality of two texts.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace cz
