#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/MessageIcon.h"

namespace snipster {

enum class LogLevel : int { Normal = 0, Error = 2 };

// Whoever runs a job (the progress window, the command line) hears from the engine through this.
// Calls come from the engine's threads; an implementation hands them to its own thread and
// keeps the order of the calls of one thread. Only onProgressSent waits.
class JobObserver {
 public:
  virtual ~JobObserver() = default;

  virtual void onLog(const std::string& text, LogLevel level) = 0;
  // Percentages of the current task and of the whole job; posted, never waits.
  virtual void onProgress(float taskPercent, float jobPercent) = 0;
  // The same, but returns only once the receiver handled it, or once running was cleared:
  // a sender never waits on a receiver that is itself waiting for the job to stop.
  virtual void onProgressSent(float taskPercent, float jobPercent,
                              const std::atomic<int32_t>& running) = 0;
  virtual void onTitle(const std::string& title) = 0;
  virtual void onSourceText(const std::string& path) = 0;
  virtual void onDestinationText(const std::string& path) = 0;
  // The runner has begun its work (the window starts its one-second timer then).
  virtual void onRunnerStarted() = 0;
  // The job finished with every task done.
  virtual void onDone() = 0;
  // A message box for the user; the engine does not wait for an answer.
  virtual void onMessageBox(const std::string& text, MessageIcon icon) = 0;
};

}  // namespace snipster
