#include "tests/support/MessageBoxScript.h"

#include <gtest/gtest.h>

namespace snipster::test {

MessageBoxScript::MessageBoxScript() : previous_(CurrentMessageBoxResponder()) {
  SetMessageBoxResponder([this](const MessageBoxRequest& request) { return Answer(request); });
}

MessageBoxScript::~MessageBoxScript() {
  SetMessageBoxResponder(previous_);
  for (const Expected& missing : expected_) {
    ADD_FAILURE() << "expected message box never shown: " << missing.text.toStdString();
  }
}

void MessageBoxScript::Expect(const QString& text, MessageAnswer answer) {
  expected_.push_back({text, answer});
}

MessageAnswer MessageBoxScript::Answer(const MessageBoxRequest& request) {
  shown_.push_back(request);
  if (expected_.empty()) {
    ADD_FAILURE() << "unexpected message box: " << request.text.toStdString();
    return EscapeAnswer(request.buttons);
  }
  const Expected next = expected_.front();
  expected_.pop_front();
  EXPECT_EQ(next.text.toStdString(), request.text.toStdString()) << "message box text";
  return next.answer;
}

void InstallUnexpectedMessageBoxGuard() {
  SetMessageBoxResponder([](const MessageBoxRequest& request) {
    ADD_FAILURE() << "message box shown outside a script: " << request.text.toStdString();
    return EscapeAnswer(request.buttons);
  });
}

}  // namespace snipster::test
