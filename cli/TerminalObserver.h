#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "engine/JobObserver.h"
#include "engine/JobState.h"

namespace snipster {

// Shows a job on the terminal: every log line numbered and timed ("NNN hh:mm:ss  text"), error
// lines on the error stream with the text starting "error: ", and, when the output is a
// terminal, one live progress line kept below the log:
//   [task/tasks] task  NN.NN%  job  NN.NN%  <speed>x  elapsed hh:mm:ss  ETA hh:mm:ss  <file>
// where file is the destination text as the window shows it: the output name, then each piece.
//
// Contract: the engine calls in from its threads; one mutex orders all printing, so lines never
// mix. Nothing here waits on the engine: onProgressSent only records the figures. The live line
// is drawn by the owner's thread through DrawProgress, as often as it likes to refresh it.
class TerminalObserver : public JobObserver {
 public:
  TerminalObserver(const JobState& job, bool liveLine, std::FILE* out = stdout,
                   std::FILE* err = stderr);

  // A log line of the program itself, numbered with the engine's lines.
  void Log(const std::string& text, LogLevel level = LogLevel::Normal);
  // Redraws the live progress line (only on a terminal, once the runner has begun).
  void DrawProgress();
  // Removes the live line, at the end of the job.
  void ClearProgress();

  void onLog(const std::string& text, LogLevel level) override;
  void onProgress(float taskPercent, float jobPercent) override;
  void onProgressSent(float taskPercent, float jobPercent,
                      const std::atomic<int32_t>& running) override;
  void onTitle(const std::string& title) override;
  void onSourceText(const std::string& path) override;
  void onDestinationText(const std::string& path) override;
  void onRunnerStarted() override;
  void onDone() override;
  void onMessageBox(const std::string& text, MessageIcon icon) override;

 private:
  using Clock = std::chrono::steady_clock;

  // The callers hold mutex_.
  void PrintLine(const std::string& text, LogLevel level);
  void ClearLiveLine();
  std::string ProgressText() const;

  const JobState& job_;
  const bool liveLine_;
  std::FILE* out_;
  std::FILE* err_;

  std::mutex mutex_;
  int lineNumber_ = 0;
  bool lineShown_ = false;
  float taskPercent_ = 0.f;
  float jobPercent_ = 0.f;
  std::string destination_;  // file name of the destination text
  std::optional<Clock::time_point> jobStart_;
};

// Whether the live line makes sense on this output: a terminal that understands the escapes.
bool IsLiveTerminal(std::FILE* out);

}  // namespace snipster
