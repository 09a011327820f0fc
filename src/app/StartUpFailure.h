#pragma once
// Qt ends the process through qFatal (an abort, no log) when it cannot start: no platform
// plugin, a bad QT_QPA_PLATFORM or -platform, no display. While a StartUpFailureGuard is in
// force such a failure is written to "Error.txt" and standard error instead, and the program
// exits with status 1, so a calling script sees the failure. Other Qt messages pass on to the
// handler that was installed before.

#include <QtGlobal>

namespace cz {

class StartUpFailureGuard {
 public:
  StartUpFailureGuard();
  ~StartUpFailureGuard() { Release(); }
  StartUpFailureGuard(const StartUpFailureGuard&) = delete;
  StartUpFailureGuard& operator=(const StartUpFailureGuard&) = delete;

  // Puts the previous handler back (once the application object stands).
  void Release();

 private:
  bool active_ = true;
};

}  // namespace cz
