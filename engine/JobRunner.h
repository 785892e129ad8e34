#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "engine/JobObserver.h"
#include "engine/JobState.h"
#include "engine/TaskRun.h"

namespace snipster {

enum class JobResult { Running, Finished, Failed, Cancelled };

// Carries out a job: its tasks one at a time, each with its output folder, unique name, stage
// threads, waits, log lines and timing.
//
// Contract: Start() runs the job on a runner thread, which also decodes; each task adds a
// section writer thread and, when the format changes, a conversion thread. The owner keeps the
// job state, the engine context and the observer alive until the runner has ended; Cancel()
// and the destructor clear running and join, which is prompt because every wait in the engine
// polls running. No thread is ever killed.
class JobRunner {
 public:
  JobRunner(JobState& job, const EngineContext& engine, JobObserver& observer);
  ~JobRunner();
  JobRunner(const JobRunner&) = delete;
  JobRunner& operator=(const JobRunner&) = delete;

  // Clears the flags and counters, reports 0 % and starts the runner thread.
  void Start();
  // Clears running and waits for every thread of the job.
  void Cancel();
  // Waits for the runner thread to end.
  void Wait();
  bool Ended() const { return ended_.load() != 0; }
  JobResult result() const;

 private:
  void Run();
  bool RunTask(TaskRun& run);
  void WaitForStages(TaskRun& run);

  JobState& job_;
  const EngineContext& engine_;
  JobObserver& observer_;
  std::thread thread_;
  std::atomic<int32_t> ended_{0};
  std::atomic<int32_t> cancelled_{0};
  std::atomic<int32_t> finished_{0};
};

}  // namespace snipster
