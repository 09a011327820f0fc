#pragma once
// The two options every command-line program answers without doing anything else:
// "--help" (or "-h") prints a short usage of the switches and "--version" the version, both
// to standard output. They touch no file: no "Error.txt", no "Cartozen2.ini", no window.
//
// They count only as the first argument. Anywhere else an argument may belong to a switch
// ("/S --help" names a source image), and every other first argument keeps its meaning as a
// switch ("-P" is still a bad leader character, logged to "Error.txt").

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace cz {

enum class StandardOption { None, Help, Version };

// What the command line asks for (arguments without the program name).
StandardOption StandardOptionOf(const std::vector<std::string>& arguments);

// The texts printed, each ending in a newline.
std::string UsageText();
std::string VersionText();

// Prints the answer to a standard option to out and returns the exit status: 0, or 1 when
// the text could not be written (a full disk, a closed pipe), with a line on standard error.
// Returns nothing when the arguments hold no standard option: the program runs as usual.
std::optional<int> AnswerStandardOption(const std::vector<std::string>& arguments,
                                        std::FILE* out = stdout);

}  // namespace cz
