#include "state/CancelSignals.h"

#include <time.h>

#include <atomic>

namespace cz {
namespace {

// Lock-free, so the handler may touch them.
std::atomic<bool> signalled{false};
std::atomic<long long> firstSignalSeconds{0};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<long long>::is_always_lock_free);

// A wrapper such as timeout(1) passes a signal on to its child and to its process group, so
// one request can arrive twice within moments; only a signal a while after the first counts as
// the person insisting.
constexpr long long kInsistingAfterSeconds = 2;

extern "C" void RequestCancel(int signal) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);  // async-signal-safe
  if (!signalled.exchange(true)) {
    firstSignalSeconds = now.tv_sec;
  } else if (now.tv_sec - firstSignalSeconds >= kInsistingAfterSeconds) {
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

bool CancelOnSignals::SignalReceived() {
  return signalled.load();
}

}  // namespace cz
