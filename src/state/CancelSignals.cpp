#include "state/CancelSignals.h"

#include <atomic>

namespace cz {
namespace {

// Lock-free, so the handler may touch it.
std::atomic<bool> signalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void RequestCancel(int signal) {
  if (signalled.exchange(true)) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
}

}  // namespace

CancelOnSignals::CancelOnSignals(UserInterface& inner) : ForwardingUserInterface(inner) {
  signalled = false;
  struct sigaction action {};
  action.sa_handler = RequestCancel;
  sigemptyset(&action.sa_mask);
  // Restarted system calls: a signal must not turn a read or write into a failure.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previousInterrupt_);
  sigaction(SIGTERM, &action, &previousTerminate_);
}

CancelOnSignals::~CancelOnSignals() {
  sigaction(SIGINT, &previousInterrupt_, nullptr);
  sigaction(SIGTERM, &previousTerminate_, nullptr);
}

bool CancelOnSignals::CancelRequested() {
  return SignalReceived() || ForwardingUserInterface::CancelRequested();
}

bool CancelOnSignals::SignalReceived() { return signalled.load(); }

}  // namespace cz
