#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QMoveEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QTest>
#include <map>

#include "app/controls/CResizeDlg.h"
#include "app/controls/CSizeGripExt.h"
#include "platform/DialogTemplate.h"
#include "platform/ProfileStore.h"
#include "tests/support/MessageBoxScript.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

const DialogTemplate kTemplate{
    900,
    "Resizable",
    "Tahoma",
    8,
    200,
    120,
    DialogStyle::kResizable | DialogStyle::kMaximizeBox,
    {
        {1, ControlKind::ListView, "", {5, 5, 190, 80}},          // Stretch both ways
        {2, ControlKind::Button, "Cancel", {145, 100, 50, 14}},   // Move both ways
        {3, ControlKind::Button, "Pause", {75, 100, 50, 14}},     // Centre across, Move down
        {4, ControlKind::StaticText, "Fixed", {5, 100, 40, 10}},  // Fixed
        {5, ControlKind::ProgressBar, "", {50, 88, 100, 6}},      // Proportional across
    }};

// Counts the geometry changes of every control and notes whether each arrived inside the
// dialog's batch (while the dialog's updates are off).
class GeometryWatch : public QObject {
 public:
  explicit GeometryWatch(QWidget* dialog) : dialog_(dialog) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    bool changed = false;
    if (event->type() == QEvent::Move) {
      const auto* move = static_cast<QMoveEvent*>(event);
      changed = move->oldPos() != move->pos();
    } else if (event->type() == QEvent::Resize) {
      const auto* resize = static_cast<QResizeEvent*>(event);
      changed = resize->oldSize() != resize->size();
    }
    if (changed) {
      ++events[watched->objectName().toInt()];
      if (dialog_->updatesEnabled()) ++outsideBatch;
    }
    return false;
  }
  std::map<int, int> events;
  int outsideBatch = 0;

 private:
  QWidget* dialog_;
};

class TestDialog : public CResizeDlg {
 public:
  TestDialog() {
    BuildDialog(*this, kTemplate);
    InitResizeDialog();
    RegisterControl(1, AnchorMode::Stretch, AnchorMode::Stretch);
    RegisterControl(2, AnchorMode::Move, AnchorMode::Move);
    RegisterControl(3, AnchorMode::Centre, AnchorMode::Move);
    RegisterControl(4, AnchorMode::Fixed, AnchorMode::Fixed);
    RegisterControl(5, AnchorMode::Proportional, AnchorMode::Fixed);
  }
  QRect Rect(int id) const { return FindControl(*this, id)->geometry(); }
};

class ResizeDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    previousProfile_ = ProfileStore::RedirectedPath();
    ProfileStore::RedirectTo(QString::fromStdString(folder_ / "profile.ini"));
  }
  void TearDown() override { ProfileStore::RedirectTo(previousProfile_); }

  test::TempDir folder_;
  QString previousProfile_;
};

TEST_F(ResizeDlgTest, ControlsFollowTheirAnchorsInOneBatch) {
  TestDialog dialog;
  dialog.show();
  const QSize start = dialog.size();
  const QRect list = dialog.Rect(1), cancel = dialog.Rect(2), pause = dialog.Rect(3),
              fixed = dialog.Rect(4), bar = dialog.Rect(5);
  const double pauseCentre = (pause.left() + pause.left() + pause.width()) * 0.5 / start.width();

  GeometryWatch watch(&dialog);
  for (int id = 1; id <= 5; ++id) FindControl(dialog, id)->installEventFilter(&watch);
  dialog.resize(start + QSize(101, 60));
  QApplication::processEvents();

  // Stretch keeps the distances to the right and bottom edges.
  EXPECT_EQ(list.topLeft(), dialog.Rect(1).topLeft());
  EXPECT_EQ(list.size() + QSize(101, 60), dialog.Rect(1).size());
  // Move keeps the size and the distances to the right and bottom edges.
  EXPECT_EQ(cancel.translated(101, 60), dialog.Rect(2));
  // Centre keeps the centre at the same fraction of the width.
  const QRect movedPause = dialog.Rect(3);
  EXPECT_EQ(pause.size(), movedPause.size());
  EXPECT_EQ(static_cast<int>(dialog.width() * pauseCentre - pause.width() * 0.5),
            movedPause.left());
  EXPECT_EQ(pause.top() + 60, movedPause.top());
  EXPECT_EQ(fixed, dialog.Rect(4));
  const int scaledLeft = bar.left() * dialog.width() / start.width();
  const int scaledRight = (bar.left() + bar.width()) * dialog.width() / start.width();
  EXPECT_EQ(QRect(scaledLeft, bar.top(), scaledRight - scaledLeft, bar.height()), dialog.Rect(5));

  // Every move went into the one batch; the fixed control was not touched at all.
  EXPECT_EQ(0, watch.outsideBatch);
  EXPECT_EQ(0, watch.events[4]);
  EXPECT_EQ(1, watch.events[2]) << "moved, not resized";
  EXPECT_EQ(1, watch.events[1]) << "resized, not moved";

  // A second change works from the previous layout: shrinking back restores the start.
  dialog.resize(start);
  QApplication::processEvents();
  EXPECT_EQ(list, dialog.Rect(1));
  EXPECT_EQ(cancel, dialog.Rect(2));
  EXPECT_EQ(bar, dialog.Rect(5));
  EXPECT_EQ(fixed, dialog.Rect(4));
}

TEST_F(ResizeDlgTest, SecondRegistrationReplacesTheEntry) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.RegisterControl(2, AnchorMode::Fixed, AnchorMode::Fixed));
  EXPECT_FALSE(dialog.RegisterControl(4711, AnchorMode::Move, AnchorMode::Move));
  ASSERT_EQ(5u, dialog.registeredControls().size());
  EXPECT_EQ(AnchorMode::Fixed, dialog.registeredControls()[1].horizontalMode);
  dialog.show();
  const QRect cancel = dialog.Rect(2);
  dialog.resize(dialog.size() + QSize(40, 40));
  EXPECT_EQ(cancel, dialog.Rect(2));
}

TEST_F(ResizeDlgTest, MinimumTrackingSizeAndFixedDirection) {
  TestDialog dialog;
  const QSize start = dialog.size();
  dialog.SetMinTrackSize(start);
  dialog.show();
  dialog.resize(start - QSize(50, 50));
  EXPECT_EQ(start, dialog.size());

  dialog.SetResizable(true, false);
  dialog.resize(start + QSize(50, 50));
  EXPECT_EQ(start + QSize(50, 0), dialog.size());

  // Without a minimum, a fixed direction keeps the initial size instead of collapsing.
  TestDialog unbounded;
  unbounded.SetResizable(false, true);
  unbounded.resize(10, 10);
  EXPECT_EQ(start.width(), unbounded.width());
  EXPECT_EQ(10, unbounded.height());
}

TEST_F(ResizeDlgTest, SizeGripHiddenWhileMaximised) {
  TestDialog dialog;
  dialog.show();
  CSizeGripExt* grip = dialog.sizeGrip();
  ASSERT_NE(nullptr, grip);
  EXPECT_TRUE(grip->isVisible());
  EXPECT_EQ(QPoint(dialog.width(), dialog.height()), grip->geometry().bottomRight() + QPoint(1, 1));
  EXPECT_EQ(Qt::NoFocus, grip->focusPolicy());

  dialog.showMaximized();
  QApplication::processEvents();
  ASSERT_TRUE(dialog.isMaximized());
  EXPECT_FALSE(grip->isVisible());

  dialog.showNormal();
  QApplication::processEvents();
  EXPECT_TRUE(grip->isVisible());
  EXPECT_EQ(QPoint(dialog.width(), dialog.height()), grip->geometry().bottomRight() + QPoint(1, 1));
}

TEST_F(ResizeDlgTest, PlacementSavedWhenDestroyed) {
  {
    TestDialog dialog;
    dialog.SetPlacementEntryName("{B827E556-AD4D-480E-98F0-2BC7A581B10A}");
    dialog.setGeometry(150, 90, 420, 260);
  }
  TestDialog reopened;
  reopened.SetPlacementEntryName("{B827E556-AD4D-480E-98F0-2BC7A581B10A}");
  EXPECT_TRUE(reopened.RestorePlacement());
  EXPECT_EQ(QRect(150, 90, 420, 260), reopened.geometry());
}

TEST_F(ResizeDlgTest, FailToSaveShownWhenThePlacementCannotBeWritten) {
  // A profile below a plain file can never be written, not even by root.
  test::WriteFile(folder_ / "plain", "x");
  ProfileStore::RedirectTo(QString::fromStdString(folder_ / "plain/profile.ini"));
  test::MessageBoxScript boxes;
  boxes.Expect("Fail to Save!");
  {
    TestDialog dialog;
    dialog.SetPlacementEntryName("{DF40821B-C375-4512-B6F6-280CD34D3781}");
  }
  ASSERT_EQ(1u, boxes.shown().size());
  EXPECT_EQ("Snipster", boxes.shown()[0].caption.toStdString());
  EXPECT_EQ(MessageIcon::None, boxes.shown()[0].icon);
  EXPECT_EQ(MessageButtons::Ok, boxes.shown()[0].buttons);
}

TEST_F(ResizeDlgTest, NoEntryNameSavesNothing) {
  { TestDialog dialog; }
  ProfileStore profile;
  EXPECT_FALSE(profile.ReadBinary("Position", "").has_value());
  EXPECT_EQ(-7, profile.ReadInt("Position", "Default", -7));
}

}  // namespace
}  // namespace snipster
