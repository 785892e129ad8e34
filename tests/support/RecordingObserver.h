#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "engine/JobObserver.h"

namespace snipster::test {

// Keeps everything the engine reports, for tests to look at afterwards.
class RecordingObserver : public JobObserver {
 public:
  struct LogLine {
    std::string text;
    LogLevel level;
  };

  void onLog(const std::string& text, LogLevel level) override {
    std::lock_guard lock(mutex_);
    logs_.push_back({text, level});
  }
  void onProgress(float task, float job) override {
    std::lock_guard lock(mutex_);
    progress_.push_back({task, job});
  }
  void onProgressSent(float task, float job, const std::atomic<int32_t>&) override {
    std::lock_guard lock(mutex_);
    progress_.push_back({task, job});
    ++sentProgress_;
  }
  void onTitle(const std::string& title) override {
    std::lock_guard lock(mutex_);
    titles_.push_back(title);
  }
  void onSourceText(const std::string& path) override {
    std::lock_guard lock(mutex_);
    sources_.push_back(path);
  }
  void onDestinationText(const std::string& path) override {
    std::lock_guard lock(mutex_);
    destinations_.push_back(path);
  }
  void onRunnerStarted() override { runnerStarted_ = true; }
  void onDone() override { done_ = true; }
  void onMessageBox(const std::string& text, MessageIcon icon) override {
    std::lock_guard lock(mutex_);
    boxes_.push_back({text, icon});
  }

  std::vector<LogLine> logs() const {
    std::lock_guard lock(mutex_);
    return logs_;
  }
  // The log texts without the lines whose figures change from run to run.
  std::vector<std::string> logTexts() const {
    std::vector<std::string> texts;
    for (const LogLine& line : logs()) texts.push_back(line.text);
    return texts;
  }
  std::vector<std::pair<float, float>> progress() const {
    std::lock_guard lock(mutex_);
    return progress_;
  }
  std::vector<std::string> titles() const {
    std::lock_guard lock(mutex_);
    return titles_;
  }
  std::vector<std::string> destinations() const {
    std::lock_guard lock(mutex_);
    return destinations_;
  }
  std::vector<std::pair<std::string, MessageIcon>> boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
  }
  int sentProgress() const {
    std::lock_guard lock(mutex_);
    return sentProgress_;
  }
  bool done() const { return done_; }
  bool runnerStarted() const { return runnerStarted_; }

 private:
  mutable std::mutex mutex_;
  std::vector<LogLine> logs_;
  std::vector<std::pair<float, float>> progress_;
  std::vector<std::string> titles_, sources_, destinations_;
  std::vector<std::pair<std::string, MessageIcon>> boxes_;
  int sentProgress_ = 0;
  std::atomic<bool> done_{false}, runnerStarted_{false};
};

}  // namespace snipster::test
