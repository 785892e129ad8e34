#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

class QObject;

namespace snipster {

// Calls into another thread, in place of posted and sent window messages.
//
// A posted call is queued into the receiver's thread and returns at once. A sent call waits until
// the receiver's thread has run it; a worker that sends must not hang when its job is stopped
// while the user-interface thread is itself waiting for that worker, so the wait also ends when
// the given flag is cleared. A call that has already started is always waited for (it may use the
// sender's stack); one that has not started by then never runs.

// True on the thread that object lives in. Unlike comparing with QThread::currentThread(), it
// does not make Qt adopt (and allocate for) an engine thread that asks.
bool IsOnThreadOf(const QObject* object);

// Queues fn to run in receiver's thread. False when it could not be queued.
bool PostCall(QObject* receiver, std::function<void()> fn);

// Runs fn in receiver's thread and waits for it. On the receiver's own thread fn runs at once.
// Returns true when fn ran; false when keepWaiting (optional) was cleared or the receiver was
// destroyed before fn started.
bool SendCall(QObject* receiver, std::function<void()> fn,
              const std::atomic<int32_t>* keepWaiting = nullptr);

}  // namespace snipster
