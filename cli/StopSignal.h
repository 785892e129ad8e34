#pragma once

#include <atomic>

namespace snipster {

// SIGINT and SIGTERM ask the program to stop: the handler only records the signal, and the main
// thread cancels the job. A second signal, while the first is being handled, ends the process
// at once with 128 + the signal number.
void InstallStopHandler();

// The number of the first stop signal received; 0 while there was none.
const std::atomic<int>& StopSignal();

}  // namespace snipster
