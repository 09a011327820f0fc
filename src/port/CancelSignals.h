#pragma once
// SIGINT and SIGTERM as a request to cancel a command-line run: while a CancelOnSignals
// lives, either signal only sets a flag that CancelRequested() of the wrapped port reports, so
// the running job stops between units of work, removes what it had half made and the
// program closes as usual (settings saved, the cancellation logged, exit status 1). Another
// signal two seconds or more after the first ends the process the ordinary way, for a run that
// no longer reaches a point where it could stop; one that follows at once is the same request
// passed on twice (timeout(1) does that).
//
// One guard at a time per process; the handlers in place before it are restored when it ends.

#include <csignal>

#include "port/ForwardingUserInterface.h"

namespace cz {

class CancelOnSignals : public ForwardingUserInterface {
 public:
  explicit CancelOnSignals(UserInterface& inner);
  ~CancelOnSignals() override;
  CancelOnSignals(const CancelOnSignals&) = delete;
  CancelOnSignals& operator=(const CancelOnSignals&) = delete;

  bool CancelRequested() override;

  // Whether a signal arrived since the guard was made.
  static bool SignalReceived();

 private:
  struct sigaction previousInterrupt_ {};
  struct sigaction previousTerminate_ {};
};

}  // namespace cz
