#include "platform/TaskbarProgress.h"

#include <QDBusMessage>
#include <QVariantMap>
#include <algorithm>

namespace snipster {

std::unique_ptr<TaskbarProgress> TaskbarProgress::Create(const QDBusConnection& bus,
                                                         const QString& appUri) {
  if (!bus.isConnected()) return nullptr;
  return std::unique_ptr<TaskbarProgress>(new TaskbarProgress(bus, appUri));
}

TaskbarProgress::TaskbarProgress(const QDBusConnection& bus, const QString& appUri)
    : bus_(bus), appUri_(appUri) {}

void TaskbarProgress::SetState(State state) {
  if (state == state_) return;
  state_ = state;
  Send();
}

void TaskbarProgress::SetValue(uint64_t completed, uint64_t total) {
  const double value =
      total == 0 ? 0.0 : std::clamp(static_cast<double>(completed) / total, 0.0, 1.0);
  // Like the taskbar it stands in for, giving a value turns plain progress on.
  const State state =
      state_ == State::NoProgress || state_ == State::Indeterminate ? State::Normal : state_;
  if (value == value_ && state == state_) return;
  value_ = value;
  state_ = state;
  Send();
}

void TaskbarProgress::Send() {
  // The launcher entry knows no colours: an error asks for attention, and an indeterminate bar
  // is shown empty.
  QVariantMap properties;
  properties.insert(QStringLiteral("progress-visible"), state_ != State::NoProgress);
  properties.insert(QStringLiteral("progress"), state_ == State::Indeterminate ? 0.0 : value_);
  properties.insert(QStringLiteral("urgent"), state_ == State::Error);
  QDBusMessage signal = QDBusMessage::createSignal(
      QString::fromLatin1(kObjectPath), QString::fromLatin1(kInterface), QStringLiteral("Update"));
  signal << appUri_ << properties;
  bus_.send(signal);
}

}  // namespace snipster
