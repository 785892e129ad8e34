#include "platform/MessageBox.h"

#include "platform/ThreadMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace snipster {
namespace {

constexpr std::chrono::milliseconds kPollInterval{5};
constexpr int kAbandonCheckMs = 50;

std::mutex responderMutex;
MessageBoxResponder responder;  // guarded by responderMutex

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

std::vector<std::pair<QMessageBox::StandardButton, MessageAnswer>> ButtonsOf(MessageButtons set) {
  using B = QMessageBox;
  switch (set) {
    case MessageButtons::Ok:
      return {{B::Ok, MessageAnswer::Ok}};
    case MessageButtons::OkCancel:
      return {{B::Ok, MessageAnswer::Ok}, {B::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::YesNo:
      return {{B::Yes, MessageAnswer::Yes}, {B::No, MessageAnswer::No}};
    case MessageButtons::YesNoCancel:
      return {{B::Yes, MessageAnswer::Yes},
              {B::No, MessageAnswer::No},
              {B::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::RetryCancel:
      return {{B::Retry, MessageAnswer::Retry}, {B::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::AbortRetryIgnore:
      return {{B::Abort, MessageAnswer::Abort},
              {B::Retry, MessageAnswer::Retry},
              {B::Ignore, MessageAnswer::Ignore}};
  }
  return {{B::Ok, MessageAnswer::Ok}};
}

// Runs on the user-interface thread. abandoned (optional) closes the box when it turns true.
MessageAnswer RunBox(const MessageBoxRequest& request, QWidget* owner,
                     const std::atomic<bool>* abandoned) {
  if (MessageBoxResponder answer = CurrentMessageBoxResponder()) return answer(request);

  QMessageBox box(ToQtIcon(request.icon), request.caption, request.text, QMessageBox::NoButton,
                  owner);
  const auto buttons = ButtonsOf(request.buttons);
  for (const auto& [button, answer] : buttons) box.addButton(button);
  box.setDefaultButton(buttons.front().first);
  QTimer watch;
  if (abandoned) {
    QObject::connect(&watch, &QTimer::timeout, &box, [&box, abandoned] {
      if (abandoned->load()) box.done(0);
    });
    watch.start(kAbandonCheckMs);
  }
  box.exec();
  if (abandoned && abandoned->load()) return MessageAnswer::None;
  const auto clicked = box.standardButton(box.clickedButton());
  for (const auto& [button, answer] : buttons) {
    if (button == clicked) return answer;
  }
  return EscapeAnswer(request.buttons);
}

// A box asked for by a worker. Only this shared state is touched by both threads, so the worker
// may leave while the box is still open.
struct WorkerBox {
  std::mutex mutex;
  std::condition_variable changed;
  bool done = false;  // guarded by mutex
  MessageAnswer answer = MessageAnswer::None;
  std::atomic<bool> abandoned{false};
};

MessageAnswer AskFromWorker(const MessageBoxRequest& request, QWidget* owner,
                            const std::atomic<int32_t>* keepWaiting) {
  auto state = std::make_shared<WorkerBox>();
  QPointer<QWidget> guardedOwner(owner);
  const bool queued = QMetaObject::invokeMethod(
      qApp,
      [state, request, guardedOwner] {
        if (state->abandoned.load()) return;
        const MessageAnswer answer = RunBox(request, guardedOwner.data(), &state->abandoned);
        std::lock_guard lock(state->mutex);
        state->answer = answer;
        state->done = true;
        state->changed.notify_all();
      },
      Qt::QueuedConnection);
  if (!queued) return MessageAnswer::None;

  std::unique_lock lock(state->mutex);
  for (;;) {
    if (state->done) return state->answer;
    if (keepWaiting && keepWaiting->load() == 0) {
      state->abandoned.store(true);
      return MessageAnswer::None;
    }
    state->changed.wait_for(lock, kPollInterval);
  }
}

}  // namespace

MessageAnswer EscapeAnswer(MessageButtons set) {
  switch (set) {
    case MessageButtons::Ok:
      return MessageAnswer::Ok;
    case MessageButtons::YesNo:
      return MessageAnswer::No;
    case MessageButtons::AbortRetryIgnore:
      return MessageAnswer::Abort;
    default:
      return MessageAnswer::Cancel;
  }
}

MessageAnswer ShowMessageBox(const MessageBoxRequest& request, QWidget* owner,
                             const std::atomic<int32_t>* keepWaiting) {
  if (!qApp) return MessageAnswer::None;
  MessageBoxRequest filled = request;
  if (filled.caption.isEmpty()) filled.caption = QString::fromLatin1(kProgramCaption);
  if (IsOnThreadOf(qApp)) return RunBox(filled, owner, nullptr);
  return AskFromWorker(filled, owner, keepWaiting);
}

MessageAnswer ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                             MessageIcon icon, MessageButtons buttons) {
  return ShowMessageBox(MessageBoxRequest{text, caption, icon, buttons}, owner);
}

void SetMessageBoxResponder(MessageBoxResponder newResponder) {
  std::lock_guard lock(responderMutex);
  responder = std::move(newResponder);
}

MessageBoxResponder CurrentMessageBoxResponder() {
  std::lock_guard lock(responderMutex);
  return responder;
}

}  // namespace snipster
