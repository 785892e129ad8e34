// The platform layer's services: profile values, message boxes and calls across threads, shell
// open and taskbar progress.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/MessageBox.h"
#include "platform/ProfileStore.h"
#include "platform/ShellOpen.h"
#include "platform/TaskbarProgress.h"
#include "platform/ThreadMessages.h"
#include "tests/support/MessageBoxScript.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using namespace std::chrono_literals;

// Runs the event loop until done() or a few seconds have passed.
template <typename Done>
bool PumpUntil(Done done) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 5000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(ProfileStoreTest, ValuesRoundTripAndBinaryKeepsEveryByte) {
  test::TempDir folder;
  const QString path = QString::fromStdString(folder / "profile.ini");
  QByteArray bytes;
  for (int i = 0; i < 256; ++i) bytes.append(static_cast<char>(i));
  bytes.append("\r\n=;[x]\\\"");
  {
    ProfileStore profile(path);
    EXPECT_TRUE(profile.WriteBinary("FileList", "Column", bytes));
    EXPECT_TRUE(profile.WriteInt("splt/init_v103", "VertSplitPos", -250));
    EXPECT_TRUE(profile.WriteString("Position", "Name", "Grüße, \"quoted\"; = x"));
  }
  ProfileStore profile(path);
  EXPECT_EQ(bytes, profile.ReadBinary("FileList", "Column"));
  EXPECT_EQ(-250, profile.ReadInt("splt/init_v103", "VertSplitPos", 0));
  EXPECT_EQ("Grüße, \"quoted\"; = x", profile.ReadString("Position", "Name").toStdString());
  // Absent values and values of another kind give the default.
  EXPECT_FALSE(profile.ReadBinary("FileList", "SortEx").has_value());
  EXPECT_EQ(200, profile.ReadInt("splt/init_v7", "VertSplitPos", 200));
  EXPECT_EQ(9, profile.ReadInt("Position", "Name", 9));
}

TEST(ProfileStoreTest, FailedWriteIsReported) {
  test::TempDir folder;
  test::WriteFile(folder / "plain", "x");
  ProfileStore profile(QString::fromStdString(folder / "plain/profile.ini"));
  EXPECT_FALSE(profile.WriteInt("Position", "Default", 1));
  EXPECT_FALSE(profile.WriteBinary("Position", "x", QByteArray(44, '\0')));
}

TEST(ProfileStoreTest, RedirectedDefaultStoreNeverUsesTheUsersSettings) {
  const QString redirected = ProfileStore::RedirectedPath();
  ASSERT_FALSE(redirected.isEmpty());
  EXPECT_EQ(redirected, ProfileStore().fileName());
}

TEST(MessageBoxTest, WorkerBoxIsAnsweredOnTheUserInterfaceThread) {
  test::MessageBoxScript boxes;
  boxes.Expect("Trouble with mpg123: bad file", MessageAnswer::Yes);
  std::atomic<int32_t> running{1};
  auto answer = std::async(std::launch::async, [&running] {
    return ShowMessageBox(
        {"Trouble with mpg123: bad file", "", MessageIcon::Error, MessageButtons::YesNo}, nullptr,
        &running);
  });
  ASSERT_TRUE(PumpUntil([&] { return answer.wait_for(0s) == std::future_status::ready; }));
  EXPECT_EQ(MessageAnswer::Yes, answer.get());
  ASSERT_EQ(1u, boxes.shown().size());
  EXPECT_EQ("Snipster", boxes.shown()[0].caption.toStdString());
  EXPECT_EQ(MessageIcon::Error, boxes.shown()[0].icon);
}

TEST(MessageBoxTest, StoppedWorkerStopsWaitingAndItsBoxIsNeverShown) {
  test::MessageBoxScript boxes;  // expects nothing: a box shown now fails the test
  std::atomic<int32_t> running{1};
  auto answer = std::async(std::launch::async, [&running] {
    return ShowMessageBox({"never", "", MessageIcon::None, MessageButtons::Ok}, nullptr, &running);
  });
  // The user-interface thread is busy (here: not running its loop) when the job stops.
  std::this_thread::sleep_for(30ms);
  running = 0;
  ASSERT_EQ(std::future_status::ready, answer.wait_for(2s));
  EXPECT_EQ(MessageAnswer::None, answer.get());
  QApplication::processEvents();
  EXPECT_TRUE(boxes.shown().empty());
}

TEST(MessageBoxTest, OpenBoxClosesWhenItsWorkerStops) {
  // A real box this time, so that closing it is seen.
  const MessageBoxResponder guard = CurrentMessageBoxResponder();
  SetMessageBoxResponder({});
  std::atomic<int32_t> running{1};
  auto answer = std::async(std::launch::async, [&running] {
    return ShowMessageBox({"Still there?", "", MessageIcon::Question, MessageButtons::YesNo},
                          nullptr, &running);
  });
  // Once the box is up (inside its own event loop), the job stops.
  bool sawBox = false;
  QTimer stopper;
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (QApplication::activeModalWidget() && !sawBox) {
      sawBox = true;
      running = 0;
    }
  });
  stopper.start(10);
  const bool workerLeft =
      PumpUntil([&] { return answer.wait_for(0s) == std::future_status::ready; });
  const bool boxGone = PumpUntil([] { return QApplication::activeModalWidget() == nullptr; });
  SetMessageBoxResponder(guard);
  if (QWidget* left = QApplication::activeModalWidget()) left->close();
  EXPECT_TRUE(sawBox);
  EXPECT_TRUE(workerLeft) << "the worker did not wait for the open box";
  EXPECT_TRUE(boxGone);
  EXPECT_EQ(MessageAnswer::None, answer.get());
}

TEST(ThreadMessagesTest, SentCallRunsInTheReceiversThread) {
  QObject receiver;
  std::thread::id ranIn;
  std::atomic<int32_t> running{1};
  auto sent = std::async(std::launch::async, [&] {
    return SendCall(
        &receiver, [&] { ranIn = std::this_thread::get_id(); }, &running);
  });
  ASSERT_TRUE(PumpUntil([&] { return sent.wait_for(0s) == std::future_status::ready; }));
  EXPECT_TRUE(sent.get());
  EXPECT_EQ(std::this_thread::get_id(), ranIn);

  int posted = 0;
  ASSERT_TRUE(PostCall(&receiver, [&] { ++posted; }));
  EXPECT_EQ(0, posted) << "a posted call waits for the event loop";
  QApplication::processEvents();
  EXPECT_EQ(1, posted);
}

TEST(ThreadMessagesTest, SenderGivesUpWhenStoppedAndTheCallNeverRuns) {
  QObject receiver;
  std::atomic<int32_t> running{1};
  std::atomic<bool> ran{false};
  // The receiver's thread waits for the worker instead of running its loop: a plain blocking
  // send would hang here for ever.
  auto sent = std::async(std::launch::async, [&] {
    return SendCall(
        &receiver, [&] { ran = true; }, &running);
  });
  std::this_thread::sleep_for(20ms);
  running = 0;
  ASSERT_EQ(std::future_status::ready, sent.wait_for(2s));
  EXPECT_FALSE(sent.get());
  QApplication::processEvents();
  EXPECT_FALSE(ran);
}

TEST(ThreadMessagesTest, SentCallOnItsOwnThreadRunsAtOnce) {
  QObject receiver;
  bool ran = false;
  EXPECT_TRUE(SendCall(&receiver, [&] { ran = true; }));
  EXPECT_TRUE(ran);
  EXPECT_FALSE(SendCall(nullptr, [] {}));
}

TEST(ShellOpenTest, MissingFileIsNotFound) {
  test::TempDir folder;
  QString error;
  EXPECT_FALSE(ShellOpen(QString::fromStdString(folder / "missing.mp3"), &error));
  EXPECT_EQ(kShellErrorNotFound, error.toStdString());
}

TEST(ShellOpenTest, FileNobodyOpensReportsNoAssociation) {
  // The offscreen platform has no desktop services, so nothing can open the file.
  if (QGuiApplication::platformName() != "offscreen") GTEST_SKIP() << "a desktop could open it";
  test::TempDir folder;
  test::WriteFile(folder / "song.mp3", "x");
  QString error;
  EXPECT_FALSE(ShellOpen(QString::fromStdString(folder / "song.mp3"), &error));
  EXPECT_EQ(kShellErrorNoAssociation, error.toStdString());
}

// Receives the launcher-entry signal on a private bus. QtDBus connects bus signals by slot
// signature only.
class UpdateListener : public QObject {
  Q_OBJECT

 public slots:
  void onUpdate(const QString& appUri, const QVariantMap& properties) {
    uri = appUri;
    last = properties;
    ++count;
  }

 public:
  QString uri;
  QVariantMap last;
  int count = 0;
};

TEST(TaskbarProgressTest, AbsentWithoutABus) {
  const QDBusConnection none = QDBusConnection::connectToBus(
      QStringLiteral("unix:path=/nonexistent/snipster-bus"), QStringLiteral("snipster-none"));
  EXPECT_EQ(nullptr, TaskbarProgress::Create(none));
  QDBusConnection::disconnectFromBus(QStringLiteral("snipster-none"));
}

TEST(TaskbarProgressTest, SendsTheLauncherEntryUpdate) {
  QProcess daemon;
  daemon.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1")});
  if (!daemon.waitForStarted(3000)) GTEST_SKIP() << "no dbus-daemon on this machine";
  ASSERT_TRUE(daemon.waitForReadyRead(5000));
  const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
  {
    QDBusConnection sender = QDBusConnection::connectToBus(address, QStringLiteral("sender"));
    QDBusConnection listenerBus =
        QDBusConnection::connectToBus(address, QStringLiteral("listener"));
    ASSERT_TRUE(sender.isConnected());
    UpdateListener listener;
    ASSERT_TRUE(listenerBus.connect(QString(), QString(), TaskbarProgress::kInterface,
                                    QStringLiteral("Update"), &listener,
                                    SLOT(onUpdate(QString, QVariantMap))));
    const std::unique_ptr<TaskbarProgress> taskbar = TaskbarProgress::Create(sender);
    ASSERT_NE(nullptr, taskbar);

    taskbar->SetValue(1, 4);
    ASSERT_TRUE(PumpUntil([&] { return listener.count == 1; }));
    EXPECT_EQ("application://snipster.desktop", listener.uri.toStdString());
    EXPECT_DOUBLE_EQ(0.25, listener.last.value("progress").toDouble());
    EXPECT_TRUE(listener.last.value("progress-visible").toBool());
    EXPECT_FALSE(listener.last.value("urgent").toBool());

    taskbar->SetState(TaskbarProgress::State::Error);
    ASSERT_TRUE(PumpUntil([&] { return listener.count == 2; }));
    EXPECT_TRUE(listener.last.value("urgent").toBool());

    taskbar->SetState(TaskbarProgress::State::NoProgress);
    ASSERT_TRUE(PumpUntil([&] { return listener.count == 3; }));
    EXPECT_FALSE(listener.last.value("progress-visible").toBool());
    EXPECT_FALSE(listener.last.value("urgent").toBool());
  }
  QDBusConnection::disconnectFromBus(QStringLiteral("sender"));
  QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
  daemon.terminate();
  daemon.waitForFinished(3000);
}

}  // namespace
}  // namespace snipster

#include "PlatformServicesTest.moc"
