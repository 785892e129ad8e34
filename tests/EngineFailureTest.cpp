// How a job fails: the one error line of each failure, and whether the job stops or goes on.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/AppGlobals.h"
#include "engine/JobRunner.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FixtureMaker.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using namespace test;
using namespace std::chrono_literals;

std::string ShortSource() {
  return SharedFixture("stereo-44100-128k-5s.mp3", {44100, 2, 128, 5.0});
}

std::string LongTaggedSource() {
  TagSpec tags;
  tags.kinds = TagID3v2;
  tags.artist = "Artist";
  return SharedFixture("tagged-v2-44100-180s.mp3", {44100, 2, 128, 180.0}, tags);
}

std::vector<RecordingObserver::LogLine> Errors(const RecordingObserver& observer) {
  std::vector<RecordingObserver::LogLine> errors;
  for (const auto& line : observer.logs())
    if (line.level == LogLevel::Error) errors.push_back(line);
  return errors;
}

// Waits (bounded) until the condition holds.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = 20s) {
  for (auto start = std::chrono::steady_clock::now();
       std::chrono::steady_clock::now() - start < limit; std::this_thread::sleep_for(5ms)) {
    if (condition()) return true;
  }
  return condition();
}

class EngineFailure : public testing::Test {
 protected:
  void TearDown() override { unsetenv("SNIPSTER_FAKE_FAIL"); }

  EngineHarness engine;
  TempDir out;
  RecordingObserver observer;
};

TEST_F(EngineFailure, EncoderLibraryFaults) {
  const std::string fakes = ProgramFolder() + "/fakes/";
  struct Case {
    std::string library, failAt, logLine, box;
  } cases[] = {
      {"/nonexistent/liblame_enc.so", "", "Error loading lame_enc.dll",
       "Error Loading Lame_enc.dll"},
      {fakes + "libpartial_lame_enc.so", "", "Unable to get LAME interfaces",
       "Unable to Get LAME Interfaces"},
      {fakes + "libfake_lame_enc.so", "init", "Error opening encoding stream (7)", ""},
      {fakes + "libfake_lame_enc.so", "encode", "beEncodeChunk() failed (7)", ""},
      {fakes + "libfake_lame_enc.so", "deinit", "beExitStream failed (7)", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logLine);
    TempDir folder;
    RecordingObserver log;
    if (c.failAt.empty()) {
      unsetenv("SNIPSTER_FAKE_FAIL");
    } else {
      setenv("SNIPSTER_FAKE_FAIL", c.failAt.c_str(), 1);
    }
    engine.context.encoderLibraryPath = c.library;
    CutSettings settings = OutputTo(folder.folder());
    EXPECT_EQ(engine.Cut({ShortSource(), ShortSource()}, settings, log), JobResult::Failed);
    const auto errors = Errors(log);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].text, c.logLine);
    EXPECT_EQ(errors[1].text, "Cutting status: ERROR.");
    if (!c.box.empty()) {
      ASSERT_EQ(log.boxes().size(), 1u);
      EXPECT_EQ(log.boxes()[0].first, c.box);
      EXPECT_EQ(log.boxes()[0].second, MessageIcon::Error);
    }
    EXPECT_FALSE(log.done());
    EXPECT_EQ(log.titles(), std::vector<std::string>{"Cutting 1/2"});  // the job ended
  }
}

TEST_F(EngineFailure, OutputFileCannotBeCreated) {
  // The folder exists, but nothing can be created in it.
  CutSettings settings = OutputTo("/proc/self/");
  EXPECT_EQ(engine.Cut({ShortSource()}, settings, observer), JobResult::Failed);
  const auto errors = Errors(observer);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].text, "Error creating file /proc/self/stereo-44100-128k-5s  Section 1.mp3");
}

TEST_F(EngineFailure, OutputFolderCannotBeCreated) {
  WriteFile(out / "file", "in the way");
  CutSettings settings = OutputTo(out / "file/sub/");
  EXPECT_EQ(engine.Cut({ShortSource()}, settings, observer), JobResult::Failed);
  const auto logs = observer.logs();
  ASSERT_EQ(logs.size(), 2u);  // no status line, no summary
  EXPECT_EQ(logs[0].text, std::string(99, '-'));
  EXPECT_EQ(logs[1].text, "Fail to create folder " + out / "file/sub" + " !");
  EXPECT_EQ(logs[1].level, LogLevel::Error);
  EXPECT_FALSE(observer.done());
}

TEST_F(EngineFailure, UnreadableSecondSourceEndsTheJob) {
  TempDir sources;
  const std::string missing = sources / "gone.mp3";
  std::filesystem::copy_file(ShortSource(), missing);
  CutSettings settings = OutputTo(out.folder());
  JobState job;
  job.settings = settings;
  job.tasks.push_back(engine.Task(ShortSource(), settings));
  job.tasks.push_back(engine.Task(missing, settings));
  job.tasks.push_back(engine.Task(ShortSource(), settings));
  std::filesystem::remove(missing);  // gone between building the job and running it

  EXPECT_EQ(engine.Run(job, observer), JobResult::Failed);
  const auto logs = observer.logTexts();
  ASSERT_EQ(logs.size(), 5u + 5u);
  EXPECT_EQ(logs[4], "Cutting status: OK.");
  EXPECT_EQ(logs[7], "Source:  " + missing + ".");
  EXPECT_EQ(logs[8], "File Error: No such file or directory");
  EXPECT_EQ(logs[9], "Cutting status: ERROR.");
  EXPECT_EQ(observer.titles(), (std::vector<std::string>{"Cutting 1/3", "Cutting 2/3"}));
  EXPECT_FALSE(observer.done());
}

TEST_F(EngineFailure, ShortWriteStopsTheJob) {
  // A child process whose files may not grow past 64 KiB, with the signal for that ignored, so
  // that the write itself fails as on a full disk.
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  const std::string source = ShortSource();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipeFds[0]);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    EngineHarness childEngine;
    RecordingObserver childLog;
    CutSettings settings = OutputTo(out.folder());
    const JobResult result = childEngine.Cut({source}, settings, childLog);
    std::string report = std::to_string(static_cast<int>(result)) + "\n";
    for (const auto& line : childLog.logs())
      report += std::to_string(static_cast<int>(line.level)) + " " + line.text + "\n";
    (void)!write(pipeFds[1], report.data(), report.size());
    _exit(0);
  }
  close(pipeFds[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof(buffer))) > 0;) report.append(buffer, n);
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(report.substr(0, 2), std::to_string(static_cast<int>(JobResult::Failed)) + "\n");
  EXPECT_NE(report.find("\n2 Output file write error\n"), std::string::npos) << report;
  EXPECT_NE(report.find("\n2 Cutting status: ERROR.\n"), std::string::npos) << report;
}

TEST_F(EngineFailure, CancelLeavesAPlayablePartialFile) {
  const std::string source = LongTaggedSource();
  CutSettings settings = OutputTo(out.folder());
  settings.Length = 600;  // one piece
  JobState job;
  job.settings = settings;
  job.tasks.push_back(engine.Task(source, settings));
  JobRunner runner(job, engine.context, observer);
  runner.Start();
  ASSERT_TRUE(WaitUntil([&] { return job.secondsTask.load() > 20.f; }));
  const auto before = std::chrono::steady_clock::now();
  runner.Cancel();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);  // stops promptly
  EXPECT_EQ(runner.result(), JobResult::Cancelled);
  EXPECT_FALSE(observer.done());

  const auto files = FilesIn(out.path());
  ASSERT_EQ(files.size(), 1u);
  const DecodedAudio partial = DecodeMp3(files[0]);
  EXPECT_GT(partial.frames(), 20u * 44100);
  EXPECT_LT(partial.frames(), 180u * 44100);
  EXPECT_TRUE(HasInfoHeader(files[0]));
  EXPECT_NE(ReadFile(files[0]).find("Artist"), std::string::npos);
}

TEST_F(EngineFailure, PauseHoldsTheFileAndResumeContinuesIt) {
  CutSettings settings = OutputTo(out.folder());
  settings.Length = 600;
  JobState job;
  job.settings = settings;
  job.tasks.push_back(engine.Task(LongTaggedSource(), settings));
  JobRunner runner(job, engine.context, observer);
  runner.Start();
  ASSERT_TRUE(WaitUntil([&] { return job.secondsTask.load() > 5.f; }));
  job.paused = 1;
  std::this_thread::sleep_for(300ms);  // the chunk under way ends
  const auto piece = FilesIn(out.path()).at(0);
  const uint64_t done = job.doneTask, size = FileSize(piece);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(job.doneTask.load(), done);
  EXPECT_EQ(FileSize(piece), size);
  EXPECT_FALSE(runner.Ended());

  job.paused = 0;
  EXPECT_TRUE(WaitUntil([&] { return job.doneTask.load() > done; }, 5s));
  runner.Wait();
  EXPECT_EQ(runner.result(), JobResult::Finished);
  EXPECT_EQ(FilesIn(out.path()).size(), 1u);
  EXPECT_EQ(DecodeMp3(piece).frames(), 180u * 44100);
}

}  // namespace
}  // namespace snipster
