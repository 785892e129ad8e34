#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "platform/MessageBox.h"

namespace snipster::test {

// Answers the message boxes of one test in place of the user. Each expected box is answered in
// order; a box that was not expected, or one with other text, fails the test (and is answered
// with its escape button), and so does an expected box that never came. While no script is
// active, every box fails the test (the window-test main installs that guard).
class MessageBoxScript {
 public:
  MessageBoxScript();
  ~MessageBoxScript();
  MessageBoxScript(const MessageBoxScript&) = delete;
  MessageBoxScript& operator=(const MessageBoxScript&) = delete;

  void Expect(const QString& text, MessageAnswer answer = MessageAnswer::Ok);

  // Every box shown so far, in order, with its caption filled in.
  const std::vector<MessageBoxRequest>& shown() const { return shown_; }

 private:
  MessageAnswer Answer(const MessageBoxRequest& request);

  struct Expected {
    QString text;
    MessageAnswer answer;
  };
  std::deque<Expected> expected_;
  std::vector<MessageBoxRequest> shown_;
  MessageBoxResponder previous_;
};

// Installs the guard that fails a test for any box shown while no script is active.
void InstallUnexpectedMessageBoxGuard();

}  // namespace snipster::test
