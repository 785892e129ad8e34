#pragma once

#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/controls/CResizeDlg.h"
#include "engine/CConversionTask.h"
#include "engine/JobObserver.h"
#include "engine/JobRunner.h"
#include "engine/JobState.h"
#include "engine/TaskRun.h"
#include "settings/CutSettings.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace snipster {

inline constexpr char kCancelQuestion[] = "Do You Want to Cancel?";

class TaskbarProgress;

// The cutting progress window. It owns one job (its tasks and state), runs it when it is first
// shown, shows the progress of the current task and of the whole job, keeps a coloured log,
// lets the user pause, resume and cancel, and turns into a finished window with an Open Dir
// button. It returns 0 however it closes.
//
// Contract: the engine's threads call the JobObserver functions; each hands its work to the
// window's thread as a queued call, so the calls of one engine thread keep their order. Only
// onProgressSent waits, and only until the window ran it or running was cleared, so a writer
// never waits for a window that is waiting for the job to stop. The window in turn waits for the
// engine only once running is clear: Cancel clears it and watches for the runner to end while the
// window goes on handling its events; the destructor clears it and joins. Every wait in the
// engine polls running, so the job stops within a few hundred milliseconds; no thread is killed.
class CConvProg : public CResizeDlg, public JobObserver {
  Q_OBJECT

 public:
  static constexpr char kPlacementEntry[] = "{B827E556-AD4D-480E-98F0-2BC7A581B10A}";

  // taskbar may be null (no desktop panel to show progress on); it must outlive the window.
  CConvProg(std::vector<CConversionTask> tasks, const CutSettings& settings,
            const EngineContext& engine, TaskbarProgress* taskbar = nullptr,
            QWidget* parent = nullptr);
  // Stops a job that still runs and waits for its threads.
  ~CConvProg() override;

  const JobState& job() const { return job_; }
  // Running until the runner thread has ended.
  JobResult jobResult() const;
  // Log lines added by any progress window so far; they number the lines.
  static int logLinesAdded();

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

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  using Clock = std::chrono::steady_clock;
  // The start times that belong to one progress message.
  struct Timing {
    Clock::time_point taskStart;
    Clock::time_point jobStart;
  };

  Timing ReadTiming() const;
  void Start();
  void ShowProgress(float taskPercent, float jobPercent, const Timing& timing);
  void ShowTimes(float taskPercent, float jobPercent, const Timing& timing, bool final = false);
  void AddLogLine(const QString& text, int level);
  void ShowFinished();
  void PauseClicked();
  void CancelClicked();
  void BeginAbort();
  void CheckAborted();
  void ColumnTimerTick();
  void SetValueText(int id, const std::string& text);

  JobState job_;
  EngineContext engine_;
  TaskbarProgress* taskbar_;
  std::unique_ptr<JobRunner> runner_;
  QTreeWidget* log_ = nullptr;
  QProgressBar* taskBar_ = nullptr;
  QProgressBar* jobBar_ = nullptr;
  QPushButton* pauseButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QTimer columnTimer_;  // widens the log's text column while the job runs
  QTimer abortWatch_;   // looks for the end of a cancelled job
  bool started_ = false;
  bool aborting_ = false;
  bool cancelledRunning_ = false;  // Cancel stopped a runner that had not ended
};

}  // namespace snipster
