#include "engine/JobRunner.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/Converter.h"
#include "engine/Decoder.h"
#include "engine/OutputPaths.h"
#include "engine/SectionWriter.h"
#include "engine/TextFormat.h"

namespace snipster {

namespace {

using Clock = std::chrono::steady_clock;

// A stage thread that makes no progress for this long (while not paused) stops the job.
constexpr auto kStageStall = std::chrono::seconds(10);
constexpr auto kStartDelay = std::chrono::milliseconds(500);

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

JobRunner::JobRunner(JobState& job, const EngineContext& engine, JobObserver& observer)
    : job_(job), engine_(engine), observer_(observer) {}

JobRunner::~JobRunner() { Cancel(); }

void JobRunner::Start() {
  job_.Reset();
  observer_.onProgress(0.f, 0.f);
  job_.running = 1;
  thread_ = std::thread(&JobRunner::Run, this);
}

void JobRunner::Cancel() {
  if (!Ended() && thread_.joinable()) cancelled_ = 1;
  job_.running = 0;
  Wait();
}

void JobRunner::Wait() {
  if (thread_.joinable()) thread_.join();
}

JobResult JobRunner::result() const {
  if (!Ended()) return JobResult::Running;
  if (finished_) return JobResult::Finished;
  return cancelled_ ? JobResult::Cancelled : JobResult::Failed;
}

void JobRunner::Run() {
  // The window shows itself before the work starts; a cancel meanwhile is seen at once.
  for (auto start = Clock::now(); job_.running && Clock::now() - start < kStartDelay;)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  observer_.onRunnerStarted();
  job_.jobStart = Clock::now();
  const std::string separator(99, '-');
  const int taskCount = static_cast<int>(job_.tasks.size());

  for (int i = 0; i < taskCount && job_.running; ++i) {
    job_.currentTask = i;
    observer_.onLog(separator, LogLevel::Normal);
    const auto taskTiming = Clock::now();
    observer_.onTitle(Format("Cutting %d/%d", i + 1, taskCount));
    CConversionTask task = job_.tasks[i];

    const std::string folder = FolderOf(task.destPath);
    if (!folder.empty() && !IsFolder(folder) && !CreateFolderPath(folder)) {
      observer_.onLog(Format("Fail to create folder %s !", folder.c_str()), LogLevel::Error);
      job_.running = 0;
      ended_ = 1;
      return;
    }
    if (PathExists(task.destPath)) task.destPath = MakeUniquePath(task.destPath);
    observer_.onSourceText(task.sourcePath);
    observer_.onDestinationText(task.destPath);
    observer_.onLog("Start a new cutting task.", LogLevel::Normal);
    observer_.onLog(Format("Source:  %s.", task.sourcePath.c_str()), LogLevel::Normal);

    job_.doneTask = 0;
    job_.secondsTask = 0;
    job_.taskStart = Clock::now();
    engine_.decoderRing->Reset();
    engine_.converterRing->Reset();

    TaskRun run(job_, engine_, observer_, task);
    if (!RunTask(run)) job_.running = 0;
    WaitForStages(run);

    if (job_.running) {
      const double elapsed = SecondsSince(taskTiming);
      observer_.onLog(Format("Time elapsed %.2f secs, speed %.2fx.", elapsed,
                             elapsed > 0 ? job_.secondsTask / elapsed : 0.0),
                      LogLevel::Normal);
      observer_.onLog("Cutting status: OK.", LogLevel::Normal);
    } else {
      observer_.onLog("Cutting status: ERROR.", LogLevel::Error);
    }
  }

  if (job_.running) {
    if (taskCount > 1) {
      const double total = SecondsSince(job_.jobStart);
      observer_.onLog(separator, LogLevel::Normal);
      observer_.onLog(Format("Total time elapsed %.2f secs, overall speed %.2fx.", total,
                             total > 0 ? job_.secondsAll / total : 0.0),
                      LogLevel::Normal);
    }
    finished_ = 1;
    ended_ = 1;
    observer_.onDone();
    return;
  }
  ended_ = 1;
}

bool JobRunner::RunTask(TaskRun& run) {
  CConversionTask& task = run.task;
  task.decoding = 1;
  bool ok = false;
  try {
    const int fd = ::open(task.sourcePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      const std::string reason = std::strerror(errno);
      run.Fail(Format("File Error: %s", reason.substr(0, 1024).c_str()));
      task.decoding = 0;
      return false;
    }
    ::close(fd);
    if (task.needsConversion) {
      task.encoderInput = engine_.converterRing;
      run.converterThread = std::thread(ConvertThread, std::ref(run));
    } else {
      task.encoderInput = engine_.decoderRing;
      run.writerThread = std::thread(WriterThread, std::ref(run));
    }
    ok = Decode(run);
  } catch (...) {
    run.Fail(Format("An error occurred while decoding %s", task.sourcePath.c_str()));
    ok = false;
  }
  task.decoding = 0;
  return ok;
}

// Waits for the conversion thread, then the writer. They end on their own once the input is
// used up; a stage that stops making progress (while the job is not paused) stops the job, and
// then ends promptly because it polls running.
void JobRunner::WaitForStages(TaskRun& run) {
  auto waitFor = [&](std::thread& thread, const std::atomic<int32_t>& finished) {
    if (!thread.joinable()) return;
    uint64_t lastDone = job_.doneAll;
    auto lastProgress = Clock::now();
    while (!finished && job_.running) {
      if (job_.paused || job_.doneAll != lastDone) {
        lastDone = job_.doneAll;
        lastProgress = Clock::now();
      } else if (Clock::now() - lastProgress > kStageStall) {
        observer_.onLog("A cutting stage stopped responding.", LogLevel::Error);
        job_.running = 0;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    thread.join();
  };
  waitFor(run.converterThread, run.converterFinished);
  waitFor(run.writerThread, run.writerFinished);
}

}  // namespace snipster
