#include "cli/TerminalObserver.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "cli/TimeText.h"
#include "engine/TextFormat.h"

namespace snipster {

namespace {

constexpr char kClearLine[] = "\r\033[2K";

std::string WallClock() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return Format("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
}

size_t TerminalWidth(std::FILE* out) {
  winsize size{};
  if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

bool IsLiveTerminal(std::FILE* out) {
  const char* term = std::getenv("TERM");
  return ::isatty(::fileno(out)) && !(term && std::strcmp(term, "dumb") == 0);
}

TerminalObserver::TerminalObserver(const JobState& job, bool liveLine, std::FILE* out,
                                   std::FILE* err)
    : job_(job), liveLine_(liveLine), out_(out), err_(err) {}

void TerminalObserver::Log(const std::string& text, LogLevel level) {
  std::lock_guard lock(mutex_);
  PrintLine(text, level);
}

void TerminalObserver::DrawProgress() {
  std::lock_guard lock(mutex_);
  if (!liveLine_ || !jobStart_) return;
  std::string line = ProgressText();
  // A line that wraps could not be redrawn in place.
  const size_t width = TerminalWidth(out_);
  if (line.size() >= width) line.resize(width > 1 ? width - 1 : 0);
  std::fputs(kClearLine, out_);
  std::fputs(line.c_str(), out_);
  std::fflush(out_);
  lineShown_ = true;
}

void TerminalObserver::ClearProgress() {
  std::lock_guard lock(mutex_);
  ClearLiveLine();
}

void TerminalObserver::ClearLiveLine() {
  if (!lineShown_) return;
  std::fputs(kClearLine, out_);
  std::fflush(out_);
  lineShown_ = false;
}

void TerminalObserver::PrintLine(const std::string& text, LogLevel level) {
  ClearLiveLine();
  const bool error = level != LogLevel::Normal;
  std::fprintf(error ? err_ : out_, "%03d %s  %s%s\n", ++lineNumber_, WallClock().c_str(),
               error ? "error: " : "", text.c_str());
  std::fflush(error ? err_ : out_);
}

std::string TerminalObserver::ProgressText() const {
  const double elapsed = std::chrono::duration<double>(Clock::now() - *jobStart_).count();
  const float task = std::min(taskPercent_, 100.f);
  const float job = std::min(jobPercent_, 100.f);
  const double speed = elapsed > 0 ? job_.secondsAll.load() / elapsed : 0.0;
  const std::string eta = job > 0 ? WholeClockText((100.0 - job) * elapsed / job) : "--:--:--";
  return Format("[%d/%zu] task %6.2f%%  job %6.2f%%  %.2fx  elapsed %s  ETA %s  %s",
                job_.currentTask.load() + 1, job_.tasks.size(), task, job, speed,
                WholeClockText(elapsed).c_str(), eta.c_str(), destination_.c_str());
}

void TerminalObserver::onLog(const std::string& text, LogLevel level) {
  Log(text, level);
}

void TerminalObserver::onProgress(float taskPercent, float jobPercent) {
  std::lock_guard lock(mutex_);
  taskPercent_ = taskPercent;
  jobPercent_ = jobPercent;
}

void TerminalObserver::onProgressSent(float taskPercent, float jobPercent,
                                      const std::atomic<int32_t>&) {
  // Handled at once, so the sender never waits.
  onProgress(taskPercent, jobPercent);
}

// The live line counts the tasks itself.
void TerminalObserver::onTitle(const std::string&) {}

// The source is in the log lines already.
void TerminalObserver::onSourceText(const std::string&) {}

void TerminalObserver::onDestinationText(const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto slash = path.rfind('/');
  destination_ = slash == std::string::npos ? path : path.substr(slash + 1);
}

void TerminalObserver::onRunnerStarted() {
  std::lock_guard lock(mutex_);
  jobStart_ = Clock::now();
}

void TerminalObserver::onDone() {
  Log("Finished cutting, all done ^_^");
}

void TerminalObserver::onMessageBox(const std::string& text, MessageIcon) {
  Log(text, LogLevel::Error);
}

}  // namespace snipster
