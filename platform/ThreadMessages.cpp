#include "platform/ThreadMessages.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace snipster {
namespace {

// How often a waiting sender looks at its stop flag.
constexpr std::chrono::milliseconds kPollInterval{5};

enum class Phase { Pending, Running, Done, Dropped };

struct SentCall {
  std::mutex mutex;
  std::condition_variable changed;
  Phase phase = Phase::Pending;  // guarded by mutex
  std::function<void()> fn;

  // Moves from Pending to next; false when the call is no longer pending.
  bool Leave(Phase next) {
    std::lock_guard lock(mutex);
    if (phase != Phase::Pending) return false;
    phase = next;
    changed.notify_all();
    return true;
  }
  void Finish() {
    std::lock_guard lock(mutex);
    phase = Phase::Done;
    changed.notify_all();
  }
};

// Held by the queued functor: when Qt discards the functor without running it (the receiver was
// destroyed), the sender learns it here instead of waiting for ever.
struct Ticket {
  std::shared_ptr<SentCall> call;
  ~Ticket() {
    if (call) call->Leave(Phase::Dropped);
  }
};

// The native id of the application's thread, taken when the application object is made.
Qt::HANDLE applicationThreadId = nullptr;
void RememberApplicationThread() { applicationThreadId = QThread::currentThreadId(); }
Q_COREAPP_STARTUP_FUNCTION(RememberApplicationThread)

}  // namespace

bool IsOnThreadOf(const QObject* object) {
  const QCoreApplication* app = QCoreApplication::instance();
  if (app && object->thread() == app->thread())
    return QThread::currentThreadId() == applicationThreadId;
  return QThread::currentThread() == object->thread();
}

bool PostCall(QObject* receiver, std::function<void()> fn) {
  if (!receiver || !fn) return false;
  return QMetaObject::invokeMethod(receiver, std::move(fn), Qt::QueuedConnection);
}

bool SendCall(QObject* receiver, std::function<void()> fn,
              const std::atomic<int32_t>* keepWaiting) {
  if (!receiver || !fn) return false;
  if (IsOnThreadOf(receiver)) {
    fn();
    return true;
  }
  auto call = std::make_shared<SentCall>();
  call->fn = std::move(fn);
  auto ticket = std::make_shared<Ticket>();
  ticket->call = call;
  const bool queued = QMetaObject::invokeMethod(
      receiver,
      [ticket] {
        if (!ticket->call->Leave(Phase::Running)) return;
        ticket->call->fn();
        ticket->call->Finish();
      },
      Qt::QueuedConnection);
  ticket.reset();
  if (!queued) return false;

  std::unique_lock lock(call->mutex);
  for (;;) {
    if (call->phase == Phase::Done) return true;
    if (call->phase == Phase::Dropped) return false;
    if (call->phase == Phase::Pending && keepWaiting && keepWaiting->load() == 0) {
      call->phase = Phase::Dropped;
      return false;
    }
    call->changed.wait_for(lock, kPollInterval);
  }
}

}  // namespace snipster
