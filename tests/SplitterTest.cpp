#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTest>
#include <QWidget>
#include <memory>

#include "app/controls/CSSplitter.h"
#include "platform/ProfileStore.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

constexpr int kId = 103;
constexpr int kMinLeft = 100;
constexpr int kMinRight = 150;
constexpr int kHalfBar = CSSplitter::kBarThickness / 2;

class SplitterTest : public testing::Test {
 protected:
  void SetUp() override {
    previousProfile_ = ProfileStore::RedirectedPath();
    profilePath_ = QString::fromStdString(folder_ / "profile.ini");
    ProfileStore::RedirectTo(profilePath_);
  }
  void TearDown() override {
    owner_.reset();
    ProfileStore::RedirectTo(previousProfile_);
  }

  // An owner window 600 × 400 with a splitter over all of it, like the main window's.
  CSSplitter* Make(uint32_t style = CSSplitter::kVerticalSplit, int id = kId) {
    owner_ = std::make_unique<QWidget>();
    owner_->resize(600, 400);
    left_ = new QWidget;
    right_ = new QWidget;
    right_->setFocusPolicy(Qt::StrongFocus);
    splitter_ = new CSSplitter(style, owner_.get(), left_, right_, id, QRect(0, 0, 600, 400),
                               kMinLeft, kMinRight);
    return splitter_;
  }
  void Show() {
    owner_->show();
    QApplication::processEvents();
  }
  // Ends the splitter (it saves its position) and reads what it stored.
  QVariant DestroyAndRead(const QString& key) {
    owner_.reset();
    return QSettings(profilePath_, QSettings::IniFormat).value(key);
  }
  int LeftEdge() const { return left_->geometry().right() + 1; }

  test::TempDir folder_;
  QString previousProfile_;
  QString profilePath_;
  std::unique_ptr<QWidget> owner_;
  QWidget* left_ = nullptr;
  QWidget* right_ = nullptr;
  CSSplitter* splitter_ = nullptr;
};

TEST_F(SplitterTest, StartsAtTwiceTheLeftMinimumAndLaysOutAroundTheBar) {
  Make();
  Show();
  EXPECT_EQ(left_->parentWidget(), splitter_);
  EXPECT_EQ(right_->parentWidget(), splitter_);
  EXPECT_EQ(QRect(0, 0, 200, 400), left_->geometry());
  EXPECT_EQ(QRect(200 + CSSplitter::kBarThickness, 0, 600 - 203, 400), right_->geometry());
  EXPECT_EQ(QRect(201 - 3, 0, 6, 400), splitter_->barHitRect());
  EXPECT_EQ("103", splitter_->objectName().toStdString());
}

TEST_F(SplitterTest, StoredPositionIsUsedUnclampedAtCreation) {
  ASSERT_TRUE(ProfileStore().WriteInt("splt/init_v103", "VertSplitPos", 590));
  Make();
  EXPECT_EQ(590, LeftEdge());
}

TEST_F(SplitterTest, ResizeClampsAndTheLeftMinimumWins) {
  ASSERT_TRUE(ProfileStore().WriteInt("splt/init_v103", "VertSplitPos", 320));
  Make();
  Show();
  EXPECT_EQ(320, LeftEdge());
  // Too narrow for the right minimum: the bar moves left until the right pane has its 150.
  splitter_->resize(400, 400);
  EXPECT_EQ(400 - kMinRight - kHalfBar, LeftEdge());
  // Too narrow for both: the left minimum wins and the right pane gets less than its minimum.
  splitter_->resize(240, 400);
  EXPECT_EQ(kMinLeft - kHalfBar, LeftEdge());
  EXPECT_LT(right_->width(), kMinRight);
  // Growing again brings the pane back to the width it had.
  splitter_->resize(600, 400);
  EXPECT_EQ(320, LeftEdge());
}

TEST_F(SplitterTest, DragMovesThePanesWhenReleasedAndIsSaved) {
  Make();
  Show();
  const QPoint bar(201, 50);
  QTest::mousePress(splitter_, Qt::LeftButton, {}, bar);
  ASSERT_TRUE(splitter_->isDragging());
  QTest::mouseMove(splitter_, QPoint(321, 60));
  // Only the tracking bar follows the mouse while the button is down.
  EXPECT_EQ(200, LeftEdge());
  EXPECT_TRUE(splitter_->trackingBar()->isVisible());
  EXPECT_EQ(321 - kHalfBar, splitter_->trackingBar()->x());
  QTest::mouseRelease(splitter_, Qt::LeftButton, {}, QPoint(321, 60));
  EXPECT_FALSE(splitter_->isDragging());
  EXPECT_FALSE(splitter_->trackingBar()->isVisible());
  EXPECT_EQ(320, LeftEdge());
  EXPECT_EQ(323, right_->x());
  EXPECT_EQ(320, splitter_->firstPaneExtent());

  // A drag past the right minimum stops there.
  QTest::mousePress(splitter_, Qt::LeftButton, {}, QPoint(321, 50));
  QTest::mouseMove(splitter_, QPoint(595, 50));
  QTest::mouseRelease(splitter_, Qt::LeftButton, {}, QPoint(595, 50));
  EXPECT_EQ(600 - kMinRight - kHalfBar, LeftEdge());

  EXPECT_EQ(600 - kMinRight - kHalfBar, DestroyAndRead("splt/init_v103/VertSplitPos").toInt());
}

TEST_F(SplitterTest, LiveDraggingMovesThePanesAtOnce) {
  Make();
  Show();
  splitter_->SetLiveDragging(true);
  QTest::mousePress(splitter_, Qt::LeftButton, {}, QPoint(201, 50));
  QTest::mouseMove(splitter_, QPoint(261, 50));
  EXPECT_EQ(260, LeftEdge());
  EXPECT_FALSE(splitter_->trackingBar()->isVisible());
  QTest::mouseRelease(splitter_, Qt::LeftButton, {}, QPoint(261, 50));
  EXPECT_EQ(260, splitter_->firstPaneExtent());
}

TEST_F(SplitterTest, EscapeCancelsTheDrag) {
  Make();
  Show();
  QApplication::setActiveWindow(owner_.get());
  right_->setFocus();
  QTest::mousePress(splitter_, Qt::LeftButton, {}, QPoint(201, 50));
  EXPECT_EQ(splitter_, QApplication::focusWidget());
  QTest::mouseMove(splitter_, QPoint(400, 50));
  QTest::keyClick(splitter_, Qt::Key_Escape);
  EXPECT_FALSE(splitter_->isDragging());
  EXPECT_FALSE(splitter_->trackingBar()->isVisible());
  EXPECT_EQ(right_, QApplication::focusWidget()) << "the focus goes back";
  // The rest of the gesture does nothing.
  QTest::mouseMove(splitter_, QPoint(450, 50));
  QTest::mouseRelease(splitter_, Qt::LeftButton, {}, QPoint(450, 50));
  EXPECT_EQ(200, LeftEdge());
  EXPECT_EQ(203, right_->x());
  EXPECT_EQ(200, splitter_->firstPaneExtent());
}

TEST_F(SplitterTest, PressOutsideTheBarDoesNotDrag) {
  Make();
  Show();
  QTest::mousePress(splitter_, Qt::LeftButton, {}, QPoint(260, 50));
  EXPECT_FALSE(splitter_->isDragging());
  QTest::mouseRelease(splitter_, Qt::LeftButton, {}, QPoint(260, 50));
}

TEST_F(SplitterTest, HiddenLeftPaneKeepsTheSavedPosition) {
  ASSERT_TRUE(ProfileStore().WriteInt("splt/init_v103", "VertSplitPos", 250));
  Make();
  Show();
  splitter_->HideLeftPane();
  EXPECT_FALSE(splitter_->IsLeftPaneShown());
  EXPECT_FALSE(left_->isVisible());
  EXPECT_EQ(QRect(0, 0, 600, 400), right_->geometry());
  EXPECT_TRUE(splitter_->barHitRect().isEmpty());
  // No drag while hidden, and a resize keeps the right pane filling the splitter.
  QTest::mousePress(splitter_, Qt::LeftButton, {}, QPoint(251, 50));
  EXPECT_FALSE(splitter_->isDragging());
  QTest::mouseRelease(splitter_, Qt::LeftButton, {}, QPoint(251, 50));
  splitter_->resize(500, 400);
  EXPECT_EQ(QRect(0, 0, 500, 400), right_->geometry());

  splitter_->ShowLeftPane();
  EXPECT_TRUE(left_->isVisible());
  EXPECT_EQ(250, LeftEdge());
  EXPECT_EQ(253, right_->x());
  splitter_->HideLeftPane();
  EXPECT_EQ(250, DestroyAndRead("splt/init_v103/VertSplitPos").toInt());
}

TEST_F(SplitterTest, HorizontalSplitSavesTheBottomHeight) {
  ASSERT_TRUE(ProfileStore().WriteInt("splt/init_h7", "HorizSplitPos", 200));
  Make(CSSplitter::kHorizontalSplit, 7);
  Show();
  EXPECT_EQ(200, right_->height());
  EXPECT_EQ(400 - 200 - CSSplitter::kBarThickness, left_->height());
  const int barY = left_->height() + kHalfBar;
  QTest::mousePress(splitter_, Qt::LeftButton, {}, QPoint(300, barY));
  QTest::mouseMove(splitter_, QPoint(300, 151));
  QTest::mouseRelease(splitter_, Qt::LeftButton, {}, QPoint(300, 151));
  EXPECT_EQ(150, left_->height());
  EXPECT_EQ(400 - 153, right_->height());
  EXPECT_EQ(400 - 153, DestroyAndRead("splt/init_h7/HorizSplitPos").toInt());
}

}  // namespace
}  // namespace snipster
