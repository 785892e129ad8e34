// The main of the window tests: an application on the offscreen platform, a profile in a
// temporary folder instead of the user's settings, and no real message box ever.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>

#include "platform/ProfileStore.h"
#include "tests/support/MessageBoxScript.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);

  QTemporaryDir profileFolder;
  if (!profileFolder.isValid()) return 1;
  snipster::ProfileStore::RedirectTo(profileFolder.filePath(QStringLiteral("profile.ini")));
  snipster::test::InstallUnexpectedMessageBoxGuard();
  const int result = RUN_ALL_TESTS();
  // Painting large images runs on Qt's global pool; its threads end here, before the
  // application, or they may outlive it and show up as leaks.
  QThreadPool::globalInstance()->waitForDone();
  return result;
}
