#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "app/AppGlobals.h"
#include "engine/CConversionTask.h"
#include "engine/JobObserver.h"
#include "engine/JobState.h"

namespace snipster {

// What the engine needs from the process: the decode handle and the two sample rings (used by
// one job at a time), and where the encoder library lives.
struct EngineContext {
  Mpg123Handle* decodeHandle = nullptr;
  SampleRing* decoderRing = nullptr;
  SampleRing* converterRing = nullptr;
  std::string encoderLibraryPath;
};

// One task while it runs: the runner's copy of the task and the stage threads that share it.
// The runner owns this record and joins both threads before it goes away, so no stage thread
// outlives the task copy or the rings it uses. The converter thread starts the writer thread;
// the runner joins the converter first, so it reads writerThread only after that write.
struct TaskRun {
  TaskRun(JobState& job, const EngineContext& engine, JobObserver& observer, CConversionTask& task)
      : job(job), engine(engine), observer(observer), task(task) {}

  JobState& job;
  const EngineContext& engine;
  JobObserver& observer;
  CConversionTask& task;
  std::thread writerThread;
  std::thread converterThread;
  std::atomic<int32_t> writerFinished{0};
  std::atomic<int32_t> converterFinished{0};

  bool running() const { return job.running.load() != 0; }
  void Stop() { job.running = 0; }
  void Log(const std::string& text, LogLevel level = LogLevel::Normal) {
    observer.onLog(text, level);
  }
  void Fail(const std::string& text) {
    Log(text, LogLevel::Error);
    Stop();
  }
};

// Sleeps between polls of a flag; every wait of the engine polls the job's running flag.
void PollPause();

}  // namespace snipster
