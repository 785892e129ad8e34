#include "engine/JobState.h"

namespace snipster {

void JobState::Reset() {
  running = 0;
  paused = 0;
  doneAll = 0;
  doneTask = 0;
  secondsAll = 0;
  secondsTask = 0;
  currentTask = 0;
  jobTotal = 0;
  for (const CConversionTask& task : tasks) jobTotal += task.totalOutSamples;
}

float JobState::TaskPercent(uint64_t taskTotal) const {
  return taskTotal ? static_cast<float>(double(doneTask.load()) * 100.0 / double(taskTotal)) : 0.f;
}

float JobState::JobPercent() const {
  return jobTotal ? static_cast<float>(double(doneAll.load()) * 100.0 / double(jobTotal)) : 0.f;
}

}  // namespace snipster
