#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

#include "engine/CConversionTask.h"
#include "settings/CutSettings.h"

namespace snipster {

// The state of the one running cutting job, shared by its owner (the progress window or the
// command line), the runner thread and the stage threads of the running task.
//
// No locks: running and paused are single words written by one side and polled by the others
// (1 ms while waiting on a ring buffer, 100 ms while paused). The four counters are written only
// by the section writer; readers take them as they are, for display.
struct JobState {
  std::atomic<int32_t> running{0};
  std::atomic<int32_t> paused{0};
  std::atomic<uint64_t> doneAll{0};   // output sample values encoded in the whole job
  std::atomic<uint64_t> doneTask{0};  // ... in the current task
  uint64_t jobTotal = 0;              // sum of the tasks' totalOutSamples
  std::atomic<float> secondsAll{0};   // seconds of output audio encoded in the whole job
  std::atomic<float> secondsTask{0};
  std::atomic<int32_t> currentTask{0};
  std::vector<CConversionTask> tasks;  // in list order
  CutSettings settings;                // the settings the job was built with
  std::chrono::steady_clock::time_point taskStart;
  std::chrono::steady_clock::time_point jobStart;

  // Clears the flags and counters and sums the job total; before the runner starts.
  void Reset();

  // Percentages of the current task (its total given) and of the job.
  float TaskPercent(uint64_t taskTotal) const;
  float JobPercent() const;
};

}  // namespace snipster
