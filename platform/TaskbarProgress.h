#pragma once

#include <QDBusConnection>
#include <QString>
#include <cstdint>
#include <memory>

namespace snipster {

// Progress on the program's taskbar or dock entry, sent as the launcher-entry "Update" signal
// that docks and desktop panels listen to. It exists only when a session bus is connected; the
// owner keeps a null pointer otherwise and checks it before every call.
class TaskbarProgress {
 public:
  enum class State { NoProgress, Indeterminate, Normal, Error, Paused };

  static constexpr char kDesktopEntryUri[] = "application://snipster.desktop";
  static constexpr char kInterface[] = "com.canonical.Unity.LauncherEntry";
  static constexpr char kObjectPath[] = "/com/canonical/unity/launcherentry/snipster";

  // Null when bus is not connected.
  static std::unique_ptr<TaskbarProgress> Create(
      const QDBusConnection& bus = QDBusConnection::sessionBus(),
      const QString& appUri = QString::fromLatin1(kDesktopEntryUri));

  void SetState(State state);
  // completed of total; total 0 counts as no progress made.
  void SetValue(uint64_t completed, uint64_t total);

  State state() const { return state_; }
  double value() const { return value_; }

 private:
  TaskbarProgress(const QDBusConnection& bus, const QString& appUri);
  void Send();

  QDBusConnection bus_;
  QString appUri_;
  State state_ = State::NoProgress;
  double value_ = 0.0;
};

}  // namespace snipster
