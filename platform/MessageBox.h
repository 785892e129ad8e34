#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/MessageIcon.h"

class QWidget;

namespace snipster {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

// The button that closed a box. None: no answer (the asking worker stopped waiting, or the
// program has no application object).
enum class MessageAnswer {
  None = 0,
  Ok = 1,
  Cancel = 2,
  Abort = 3,
  Retry = 4,
  Ignore = 5,
  Yes = 6,
  No = 7
};

struct MessageBoxRequest {
  QString text;
  QString caption;  // empty: the program's name
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
};

// The caption of boxes that do not give their own.
inline constexpr char kProgramCaption[] = "Snipster";

// What a box closed without a button (Escape, the close box) means: the same as Cancel where
// there is one, else as the only button.
MessageAnswer EscapeAnswer(MessageButtons buttons);

// Shows one modal message box and returns the button that closed it. Every box of the program
// goes through here. Callable from any thread: a worker's box is shown by the user-interface
// thread while the worker waits; the worker stops waiting, and the box is closed, when
// keepWaiting (optional) is cleared, and the answer is then None.
MessageAnswer ShowMessageBox(const MessageBoxRequest& request, QWidget* owner = nullptr,
                             const std::atomic<int32_t>* keepWaiting = nullptr);

// Shorthand for the common case.
MessageAnswer ShowMessageBox(QWidget* owner, const QString& text, const QString& caption = {},
                             MessageIcon icon = MessageIcon::None,
                             MessageButtons buttons = MessageButtons::Ok);

// Answers boxes in place of the user (tests). It is called on the user-interface thread with the
// request, its caption already filled in. An empty function brings real boxes back.
using MessageBoxResponder = std::function<MessageAnswer(const MessageBoxRequest&)>;
void SetMessageBoxResponder(MessageBoxResponder responder);
MessageBoxResponder CurrentMessageBoxResponder();

}  // namespace snipster
