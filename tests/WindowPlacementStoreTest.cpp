#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/controls/WindowPlacementStore.h"
#include "platform/ProfileStore.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

const QString kEntry = "{A83F0445-657A-447A-BE61-3EE65B083C1E}";

TEST(WindowPlacementTest, BytesAreTheLittleEndianRecord) {
  WindowPlacement p;
  p.flags = WindowPlacement::kFlagRestoreToMaximized;
  p.showCommand = WindowPlacement::kShowMinimized;
  p.minX = -1;
  p.minY = -2;
  p.maxX = 0x01020304;
  p.maxY = -32000;
  p.left = 10;
  p.top = 20;
  p.right = 0x7fffffff;
  p.bottom = -5;
  const unsigned char expected[44] = {44,   0,    0,    0,    2,    0,    0,    0,    2,  0, 0, 0,
                                      0xff, 0xff, 0xff, 0xff, 0xfe, 0xff, 0xff, 0xff, 4,  3, 2, 1,
                                      0x00, 0x83, 0xff, 0xff, 10,   0,    0,    0,    20, 0, 0, 0,
                                      0xff, 0xff, 0xff, 0x7f, 0xfb, 0xff, 0xff, 0xff};
  const QByteArray bytes = p.ToBytes();
  ASSERT_EQ(44, bytes.size());
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(expected), 44), bytes);
  EXPECT_EQ(p, WindowPlacement::FromBytes(bytes));

  // Extra bytes are ignored; a short value is no placement.
  EXPECT_EQ(p, WindowPlacement::FromBytes(bytes + QByteArray("tail")));
  EXPECT_FALSE(WindowPlacement::FromBytes(bytes.left(43)).has_value());
}

struct OverrideCase {
  int32_t showOverride;
  uint32_t showCommand;
  uint32_t flags;
  uint32_t expected;
};

TEST(AdjustShowCommandTest, FollowsTheShowOverride) {
  const OverrideCase cases[] = {
      {1, 2, 0, 2},  // 1 keeps even a minimised window
      {2, 3, 0, 1},
      {3, 1, 0, 3},
      {4, 1, 0, 2},
      // Any other value brings a minimised window back as it was before.
      {0, 2, WindowPlacement::kFlagRestoreToMaximized, 3},
      {0, 2, 0, 1},
      {7, 2, 0, 1},
      {0, 3, 0, 3},
      {0, 1, 0, 1},
      {-1, 1, 0, 1},
      // Only the restore-to-maximised flag counts; another flag bit does not make it minimised
      // again.
      {0, 2, 1, 1},
      {0, 2, 3, 3},
  };
  for (const OverrideCase& c : cases) {
    EXPECT_EQ(c.expected, AdjustShowCommand(c.showCommand, c.flags, c.showOverride))
        << "override " << c.showOverride << " show " << c.showCommand << " flags " << c.flags;
  }
}

class WindowPlacementStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    previousProfile_ = ProfileStore::RedirectedPath();
    ProfileStore::RedirectTo(QString::fromStdString(folder_ / "profile.ini"));
  }
  void TearDown() override { ProfileStore::RedirectTo(previousProfile_); }

  // Saves a hidden window with that geometry and state, as the program would at its end.
  static void SaveWindow(const QRect& geometry, Qt::WindowStates state) {
    QWidget window;
    window.setGeometry(geometry);
    window.setWindowState(state);
    WindowPlacementStore store;
    ASSERT_TRUE(store.Save(window, kEntry));
  }

  test::TempDir folder_;
  QString previousProfile_;
};

TEST_F(WindowPlacementStoreTest, SaveWritesTheRecordAndTheShowOverride) {
  SaveWindow(QRect(120, 80, 400, 300), Qt::WindowNoState);
  ProfileStore profile;
  WindowPlacement expected;
  expected.left = 120;
  expected.top = 80;
  expected.right = 520;
  expected.bottom = 380;
  EXPECT_EQ(expected.ToBytes(), profile.ReadBinary("Position", kEntry));
  EXPECT_EQ(0, profile.ReadInt("Position", "Default", -1));

  QWidget window;
  window.setGeometry(10, 10, 50, 50);
  WindowPlacementStore store;
  EXPECT_TRUE(store.Restore(window, kEntry));
  EXPECT_EQ(QRect(120, 80, 400, 300), window.geometry());
  EXPECT_EQ(Qt::WindowNoState, window.windowState());
  // Saving again gives the same bytes.
  ASSERT_TRUE(store.Save(window, kEntry));
  EXPECT_EQ(expected.ToBytes(), profile.ReadBinary("Position", kEntry));
}

TEST_F(WindowPlacementStoreTest, MinimisedWindowComesBackAsItWasBefore) {
  SaveWindow(QRect(100, 100, 300, 200), Qt::WindowMinimized | Qt::WindowMaximized);
  {
    QWidget window;
    WindowPlacementStore store;
    ASSERT_TRUE(store.Restore(window, kEntry));
    EXPECT_EQ(Qt::WindowMaximized, window.windowState());
    window.show();
    QApplication::processEvents();
    EXPECT_TRUE(window.isMaximized());
    window.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(QRect(100, 100, 300, 200), window.geometry()) << "the normal rectangle is kept";
  }
  SaveWindow(QRect(100, 100, 300, 200), Qt::WindowMinimized);
  QWidget window;
  WindowPlacementStore store;
  ASSERT_TRUE(store.Restore(window, kEntry));
  EXPECT_EQ(Qt::WindowNoState, window.windowState());
}

TEST_F(WindowPlacementStoreTest, ShowOverrideThreeAlwaysMaximises) {
  SaveWindow(QRect(100, 100, 300, 200), Qt::WindowNoState);
  ProfileStore profile;
  ASSERT_TRUE(profile.WriteInt("Position", "Default", 3));
  QWidget window;
  WindowPlacementStore store;
  ASSERT_TRUE(store.Restore(window, kEntry));
  EXPECT_EQ(Qt::WindowMaximized, window.windowState());
  // The override read once is written back with every save.
  ASSERT_TRUE(profile.WriteInt("Position", "Default", 0));
  ASSERT_TRUE(store.Save(window, kEntry));
  EXPECT_EQ(3, ProfileStore().ReadInt("Position", "Default", -1));
}

TEST_F(WindowPlacementStoreTest, MissingOrShortValueLeavesTheWindowAlone) {
  QWidget window;
  window.setGeometry(30, 40, 200, 100);
  WindowPlacementStore store;
  EXPECT_FALSE(store.Restore(window, kEntry));
  EXPECT_EQ(QRect(30, 40, 200, 100), window.geometry());

  ASSERT_TRUE(ProfileStore().WriteBinary("Position", kEntry, QByteArray(43, '\x01')));
  EXPECT_FALSE(store.Restore(window, kEntry));
  EXPECT_EQ(QRect(30, 40, 200, 100), window.geometry());
  EXPECT_EQ(store.defaultPlacement(), store.placement());
}

TEST_F(WindowPlacementStoreTest, UnusableRecordFallsBackToTheCentredDefault) {
  WindowPlacement broken;
  broken.length = 0;  // a record the window system would refuse
  broken.left = 10;
  broken.top = 10;
  broken.right = 300;
  broken.bottom = 200;
  ASSERT_TRUE(ProfileStore().WriteBinary("Position", kEntry, broken.ToBytes()));

  QWidget window;
  window.setGeometry(0, 0, 301, 151);
  WindowPlacementStore store;
  EXPECT_TRUE(store.Restore(window, kEntry));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const QRect expected(screen.x() + (screen.width() - 301) / 2,
                       screen.y() + (screen.height() - 151) / 2, 301, 151);
  EXPECT_EQ(expected, window.geometry());
  EXPECT_EQ(expected.x(), store.defaultPlacement().left);
  EXPECT_EQ(expected.x() + 301, store.defaultPlacement().right);
}

TEST_F(WindowPlacementStoreTest, RectangleOffEveryScreenComesBackOnThePrimaryScreen) {
  WindowPlacement far;
  far.left = 50000;
  far.top = 50000;
  far.right = 50400;
  far.bottom = 50300;
  ASSERT_TRUE(ProfileStore().WriteBinary("Position", kEntry, far.ToBytes()));
  QWidget window;
  WindowPlacementStore store;
  ASSERT_TRUE(store.Restore(window, kEntry));
  EXPECT_EQ(QSize(400, 300), window.size());
  EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().intersects(window.geometry()));
}

}  // namespace
}  // namespace snipster
