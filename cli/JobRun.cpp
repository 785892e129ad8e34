#include "cli/JobRun.h"

#include <chrono>
#include <thread>

#include "cli/CliOptions.h"
#include "cli/StopSignal.h"
#include "cli/TerminalObserver.h"
#include "engine/JobRunner.h"

namespace snipster {

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr auto kPollInterval = std::chrono::milliseconds(10);
}  // namespace

int RunJob(std::vector<CConversionTask> tasks, const CutSettings& settings,
           const EngineContext& engine) {
  JobState job;
  job.tasks = std::move(tasks);
  job.settings = settings;
  TerminalObserver observer(job, IsLiveTerminal(stdout));
  JobRunner runner(job, engine, observer);

  runner.Start();
  auto lastDraw = Clock::now() - kRedrawInterval;
  while (!runner.Ended()) {
    if (StopSignal().load()) {
      observer.Log("Aborting, Please Wait...");
      // Clears running as the window's Cancel does; the piece being written is closed with its
      // header and tags.
      runner.Cancel();
      break;
    }
    if (Clock::now() - lastDraw >= kRedrawInterval) {
      observer.DrawProgress();
      lastDraw = Clock::now();
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  runner.Wait();
  observer.ClearProgress();

  switch (runner.result()) {
    case JobResult::Finished:
      return kExitFinished;
    case JobResult::Cancelled:
      observer.Log("Cutting cancelled.");
      return 128 + StopSignal().load();
    default:
      return kExitFailed;
  }
}

}  // namespace snipster
