#pragma once
// Running the program's command lines through the shell, for the tests that run it whole.

#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace cz::testing {

// text in single quotes for the shell, its own single quotes escaped.
inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command; its exit status, or -1 when it did not exit normally.
inline int Shell(const std::string& command) {
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace cz::testing
