#include "cli/StopSignal.h"

#include <signal.h>
#include <unistd.h>

namespace snipster {

namespace {

std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "used from a signal handler");

void OnStopSignal(int number) {
  int none = 0;
  if (!stopSignal.compare_exchange_strong(none, number)) ::_exit(128 + number);
}

}  // namespace

void InstallStopHandler() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

const std::atomic<int>& StopSignal() {
  return stopSignal;
}

}  // namespace snipster
