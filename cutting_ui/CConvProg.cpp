#include "cutting_ui/CConvProg.h"

#include "platform/MessageBox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QTreeWidget>

#include "cutting_ui/ConvProgTemplate.h"
#include "cutting_ui/JobLogView.h"
#include "cutting_ui/ProgressFormat.h"
#include "platform/DialogTemplate.h"
#include "platform/ShellOpen.h"
#include "platform/TaskbarProgress.h"
#include "platform/ThreadMessages.h"

namespace snipster {
namespace {

using namespace ConvProgId;
using TaskbarState = TaskbarProgress::State;

// Counted over the whole program run, not per job: the log numbers go on from the previous
// job, and every tenth progress message refreshes the times. Touched on the UI thread only.
int logLinesAddedCount = 0;
uint64_t progressMessageCount = 0;

constexpr int kTimesEvery = 10;
constexpr double kMinTaskSeconds = 0.1;
constexpr int kColumnTimerMs = 1000;
constexpr int kAbortPollMs = 10;

double SecondsBetween(std::chrono::steady_clock::time_point start,
                      std::chrono::steady_clock::time_point end) {
  return std::chrono::duration<double>(end - start).count();
}

}  // namespace

CConvProg::CConvProg(std::vector<CConversionTask> tasks, const CutSettings& settings,
                     const EngineContext& engine, TaskbarProgress* taskbar, QWidget* parent)
    : CResizeDlg(parent), engine_(engine), taskbar_(taskbar) {
  job_.tasks = std::move(tasks);
  job_.settings = settings;

  BuildDialog(*this, ConvProgTemplate());
  InitResizeDialog();
  log_ = FindControlAs<QTreeWidget>(*this, kLog);
  taskBar_ = FindControlAs<QProgressBar>(*this, kTaskBar);
  jobBar_ = FindControlAs<QProgressBar>(*this, kJobBar);
  pauseButton_ = FindControlAs<QPushButton>(*this, kPause);
  cancelButton_ = FindControlAs<QPushButton>(*this, kCancel);
  auto* clearButton = FindControlAs<QPushButton>(*this, kClear);
  for (QProgressBar* bar : {taskBar_, jobBar_}) {
    bar->setRange(0, 100);
    bar->setValue(0);
  }
  SetUpJobLog(*log_);

  for (int id : {kCurrentGroup, kOverallGroup, kTaskBar, kJobBar, kSource, kDestination})
    RegisterControl(id, AnchorMode::Stretch, AnchorMode::Fixed);
  RegisterControl(kLog, AnchorMode::Stretch, AnchorMode::Stretch);
  for (int id = kTaskDoneLabel; id <= kLastValue; ++id)
    RegisterControl(id, AnchorMode::Centre, AnchorMode::Fixed,
                    id == kTaskPercent ? kExcludeFromErase : 0);
  for (int id : {kClear, kPause, kCancel})
    RegisterControl(id, AnchorMode::Centre, AnchorMode::Move);
  SetPlacementEntryName(QString::fromLatin1(kPlacementEntry));
  RestorePlacement();

  // Enter must not press a button: neither Enter nor Escape does anything in this window.
  for (QPushButton* button : {clearButton, pauseButton_, cancelButton_}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  connect(clearButton, &QPushButton::clicked, log_, &QTreeWidget::clear);
  connect(pauseButton_, &QPushButton::clicked, this, &CConvProg::PauseClicked);
  connect(cancelButton_, &QPushButton::clicked, this, &CConvProg::CancelClicked);
  columnTimer_.setInterval(kColumnTimerMs);
  connect(&columnTimer_, &QTimer::timeout, this, &CConvProg::ColumnTimerTick);
  abortWatch_.setInterval(kAbortPollMs);
  connect(&abortWatch_, &QTimer::timeout, this, &CConvProg::CheckAborted);
}

CConvProg::~CConvProg() {
  // Engine threads that still run stop at once: sent calls give up when running is cleared.
  job_.running = 0;
  runner_.reset();
  if (taskbar_) taskbar_->SetState(TaskbarState::NoProgress);
}

JobResult CConvProg::jobResult() const {
  if (!runner_) return JobResult::Running;
  const JobResult result = runner_->result();
  // Stopped by Cancel rather than by an error of its own, as JobRunner::Cancel would tell it.
  return result == JobResult::Failed && cancelledRunning_ ? JobResult::Cancelled : result;
}

int CConvProg::logLinesAdded() {
  return logLinesAddedCount;
}

// The start times are plain fields written by the runner thread. Progress comes from a section
// writer, which the runner starts after writing them and joins before writing them again, so
// reading them on the writer's thread (or on this one before the runner exists) is safe; the
// times travel with the message.
CConvProg::Timing CConvProg::ReadTiming() const {
  return {job_.taskStart, job_.jobStart};
}

void CConvProg::onLog(const std::string& text, LogLevel level) {
  PostCall(this, [this, text = QString::fromStdString(text), level = static_cast<int>(level)] {
    AddLogLine(text, level);
  });
}

void CConvProg::onProgress(float taskPercent, float jobPercent) {
  PostCall(this, [this, taskPercent, jobPercent, timing = ReadTiming()] {
    ShowProgress(taskPercent, jobPercent, timing);
  });
}

void CConvProg::onProgressSent(float taskPercent, float jobPercent,
                               const std::atomic<int32_t>& running) {
  SendCall(
      this,
      [this, taskPercent, jobPercent, timing = ReadTiming()] {
        ShowProgress(taskPercent, jobPercent, timing);
      },
      &running);
}

void CConvProg::onTitle(const std::string& title) {
  PostCall(this, [this, title = QString::fromStdString(title)] {
    if (!aborting_) setWindowTitle(title);
  });
}

void CConvProg::onSourceText(const std::string& path) {
  PostCall(this, [this, path = QString::fromStdString(path)] {
    auto* text = FindControlAs<QLabel>(*this, kSource);
    text->setText(path);
    text->setToolTip(path);
  });
}

void CConvProg::onDestinationText(const std::string& path) {
  PostCall(this, [this, path = QString::fromStdString(path)] {
    auto* text = FindControlAs<QLabel>(*this, kDestination);
    text->setText(path);
    text->setToolTip(path);
  });
}

void CConvProg::onRunnerStarted() {
  PostCall(this, [this] { columnTimer_.start(); });
}

void CConvProg::onDone() {
  PostCall(this, [this] { ShowFinished(); });
}

void CConvProg::onMessageBox(const std::string& text, MessageIcon icon) {
  PostCall(this, [this, text = QString::fromStdString(text), icon] {
    ShowMessageBox(this, text, {}, icon, MessageButtons::Ok);
  });
}

void CConvProg::showEvent(QShowEvent* event) {
  CResizeDlg::showEvent(event);
  if (!started_) Start();
}

void CConvProg::Start() {
  started_ = true;
  if (taskbar_) taskbar_->SetState(TaskbarState::Normal);
  runner_ = std::make_unique<JobRunner>(job_, engine_, *this);
  // Clears the flags and counters, reports 0 %, sets running and starts the runner thread.
  runner_->Start();
}

void CConvProg::SetValueText(int id, const std::string& text) {
  FindControlAs<QLabel>(*this, id)->setText(QString::fromStdString(text));
}

void CConvProg::ShowProgress(float taskPercent, float jobPercent, const Timing& timing) {
  if (!job_.running) return;
  ++progressMessageCount;
  taskPercent = ClampPercent(taskPercent);
  jobPercent = ClampPercent(jobPercent);
  SetValueText(kTaskPercent, FormatPercent(taskPercent));
  SetValueText(kJobPercent, FormatPercent(jobPercent));
  jobBar_->setValue(static_cast<int>(jobPercent));
  taskBar_->setValue(static_cast<int>(taskPercent));
  if (progressMessageCount % kTimesEvery == 0) ShowTimes(taskPercent, jobPercent, timing);
}

void CConvProg::ShowTimes(float taskPercent, float jobPercent, const Timing& timing, bool final) {
  // Before the runner has begun its first task there is nothing to time.
  if (timing.taskStart == Clock::time_point{} || timing.jobStart == Clock::time_point{}) return;
  const auto now = Clock::now();
  const double taskElapsed = SecondsBetween(timing.taskStart, now);
  // While running, a task younger than this would show wild speeds; the final figures always show.
  if (taskElapsed <= kMinTaskSeconds && !final) return;
  SetValueText(kTaskElapsed, FormatDuration(taskElapsed));
  if (const auto left = RemainingSeconds(taskPercent, taskElapsed))
    SetValueText(kTaskRemaining, FormatDuration(*left));
  const double jobElapsed = SecondsBetween(timing.jobStart, now);
  SetValueText(kJobElapsed, FormatDuration(jobElapsed));
  if (const auto left = RemainingSeconds(jobPercent, jobElapsed))
    SetValueText(kJobRemaining, FormatDuration(*left));
  SetValueText(kTaskSpeed, FormatSpeed(taskElapsed > 0 ? job_.secondsTask / taskElapsed : 0.0));
  SetValueText(kJobSpeed, FormatSpeed(jobElapsed > 0 ? job_.secondsAll / jobElapsed : 0.0));
  if (taskbar_) taskbar_->SetValue(static_cast<uint64_t>(jobPercent), 100);
}

void CConvProg::AddLogLine(const QString& text, int level) {
  AppendJobLogLine(*log_, ++logLinesAddedCount, QTime::currentTime(), text, level);
  if (level > 0 && taskbar_) taskbar_->SetState(TaskbarState::Error);
}

void CConvProg::ShowFinished() {
  // A job cancelled just as it finished stays cancelled.
  if (aborting_) return;
  // The runner has written its last times before it reported the end; show the final speeds
  // and elapsed times, which a short job would otherwise never get to see.
  ShowTimes(100.f, 100.f, ReadTiming(), true);
  job_.running = 0;
  for (int id : {kTaskPercent, kJobPercent}) SetValueText(id, "100.00%");
  taskBar_->setValue(100);
  jobBar_->setValue(100);
  for (int id : {kTaskRemaining, kJobRemaining}) SetValueText(id, "00:00:00");
  pauseButton_->setText(QStringLiteral("Open Dir"));
  pauseButton_->setEnabled(job_.settings.SameAsSrc == 0);
  cancelButton_->setText(QStringLiteral("Finish"));
  setWindowTitle(QStringLiteral("Finished Cutting"));
  AddLogLine(QStringLiteral("Finished cutting, all done ^_^"), 0);
  if (taskbar_) taskbar_->SetValue(100, 100);
}

void CConvProg::PauseClicked() {
  if (job_.running) {
    const bool pause = job_.paused == 0;
    job_.paused = pause ? 1 : 0;
    pauseButton_->setText(pause ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    if (taskbar_) taskbar_->SetState(pause ? TaskbarState::Paused : TaskbarState::Normal);
    return;
  }
  // The job has ended or failed: the button opens the output folder, if there is one.
  if (job_.settings.SameAsSrc == 0) ShellOpen(QString::fromStdString(job_.settings.DesDir));
}

void CConvProg::CancelClicked() {
  if (aborting_) return;
  if (!job_.running) {
    done(0);
    return;
  }
  const bool wasPaused = job_.paused != 0;
  job_.paused = 1;
  if (ShowMessageBox(this, QString::fromLatin1(kCancelQuestion), {}, MessageIcon::Question,
                     MessageButtons::YesNo) != MessageAnswer::Yes) {
    job_.paused = 0;
    // The job goes on unpaused, so the button offers Pause again.
    if (wasPaused && job_.running) {
      pauseButton_->setText(QStringLiteral("Pause"));
      if (taskbar_) taskbar_->SetState(TaskbarState::Normal);
    }
    return;
  }
  BeginAbort();
}

void CConvProg::BeginAbort() {
  aborting_ = true;
  cancelledRunning_ = runner_ && !runner_->Ended();
  if (taskbar_) taskbar_->SetState(TaskbarState::Indeterminate);
  job_.running = 0;
  pauseButton_->setEnabled(false);
  cancelButton_->setEnabled(false);
  setWindowTitle(QStringLiteral("Aborting, Please Wait..."));
  // The engine threads see running cleared at their next poll; until the runner has ended the
  // window keeps handling events, so a writer waiting in a sent call is never stuck on it.
  abortWatch_.start();
  CheckAborted();
}

void CConvProg::CheckAborted() {
  if (runner_ && !runner_->Ended()) return;
  abortWatch_.stop();
  if (runner_) runner_->Wait();  // the runner thread is returning
  done(0);
}

void CConvProg::ColumnTimerTick() {
  if (!job_.running) {
    columnTimer_.stop();
    return;
  }
  log_->resizeColumnToContents(kLogColumnText);
}

void CConvProg::closeEvent(QCloseEvent* event) {
  // The close box acts as the Cancel button; a cancelled job closes the window itself.
  if (aborting_ || job_.running) {
    event->ignore();
    CancelClicked();
    return;
  }
  CResizeDlg::closeEvent(event);
}

void CConvProg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      return;
    default:
      CResizeDlg::keyPressEvent(event);
  }
}

}  // namespace snipster
