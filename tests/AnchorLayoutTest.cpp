#include <gtest/gtest.h>

#include "app/controls/AnchorLayout.h"

namespace snipster {
namespace {

struct AxisCase {
  const char* name;
  AnchorMode mode;
  AnchorEdges stored;
  AxisChange change;
  double ratio1;
  double ratio2;
  AnchorEdges expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const AxisCase& c, std::ostream* out) { *out << c.name; }

// Growing from 200 to 230 pixels (20 of it since the previous layout), and shrinking.
const AxisChange kGrow{20, 30, 230, 200};
const AxisChange kShrink{-50, -30, 170, 200};

const AxisCase kAxisCases[] = {
    {"FixedStays", AnchorMode::Fixed, {10, 50}, kGrow, -1, -1, {10, 50}},
    {"StretchFollowsStep", AnchorMode::Stretch, {10, 50}, kGrow, -1, -1, {10, 70}},
    {"StretchShrinks", AnchorMode::Stretch, {10, 50}, kShrink, -1, -1, {10, 0}},
    {"MoveFollowsStep", AnchorMode::Move, {10, 50}, kGrow, -1, -1, {30, 70}},
    // Centre fraction 0.15 of 230 is 34.5; minus half the width 20 gives 14.5, truncated.
    {"CentreKeepsFraction", AnchorMode::Centre, {10, 50}, kGrow, 0.15, -1, {14, 54}},
    // 25 - 25.5 = -0.5 truncates toward zero, not down.
    {"CentreTruncatesTowardZero", AnchorMode::Centre, {0, 51}, {0, 0, 50, 50}, 0.5, -1, {0, 51}},
    {"CentreNegative", AnchorMode::Centre, {0, 101}, {0, 0, 50, 50}, 0.5, -1, {-25, 76}},
    // 10 × 230 / 200 = 11.5 and 50 × 230 / 200 = 57.5, each truncated.
    {"ProportionalScales", AnchorMode::Proportional, {10, 50}, kGrow, 0.15, -1, {11, 57}},
    {"ProportionalShrinks",
     AnchorMode::Proportional,
     {33, 99},
     {0, -100, 100, 200},
     0.33,
     -1,
     {16, 49}},
    {"ProportionalWithoutInitialSize",
     AnchorMode::Proportional,
     {33, 99},
     {5, 5, 5, 0},
     0,
     -1,
     {33, 99}},
    // Moves by 30 × 0.5 = 15; the far edge is 50 + 30 × 0.75 = 72.5, truncated.
    {"PartialUsesTotalChange", AnchorMode::Partial, {10, 50}, kGrow, 0.5, 0.25, {25, 72}},
    // -15 and 50 - 22.5 = 27.5: both truncated toward zero.
    {"PartialShrinks", AnchorMode::Partial, {10, 50}, kShrink, 0.5, 0.25, {-5, 27}},
    {"PartialOddFractions", AnchorMode::Partial, {10, 50}, {0, -3, 197, 200}, 0.5, 0.5, {9, 47}},
};

class AnchorAxisTest : public testing::TestWithParam<AxisCase> {};

TEST_P(AnchorAxisTest, GivesTheDescribedEdges) {
  const AxisCase& c = GetParam();
  const AnchorEdges got = AnchorAxis(c.mode, c.stored, c.change, c.ratio1, c.ratio2);
  EXPECT_EQ(c.expected.first, got.first);
  EXPECT_EQ(c.expected.second, got.second);
}

INSTANTIATE_TEST_SUITE_P(Modes, AnchorAxisTest, testing::ValuesIn(kAxisCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlanControlMoveTest, UnchangedControlIsLeftAlone) {
  ResizeControlEntry entry;
  entry.horizontalMode = AnchorMode::Move;
  entry.verticalMode = AnchorMode::Fixed;
  entry.storedRect = {10, 10, 50, 30};
  ControlRect next;
  // Only the height changed: a control that follows the width stays where it is.
  EXPECT_FALSE(
      PlanControlMove(entry, entry.storedRect, {0, 0, 200, 200}, {40, 40, 240, 200}, &next));
  EXPECT_TRUE(
      PlanControlMove(entry, entry.storedRect, {40, 40, 240, 200}, {0, 0, 200, 200}, &next));
  EXPECT_EQ((ControlRect{50, 10, 90, 30}), next);
  EXPECT_EQ(next, entry.storedRect) << "Move keeps the stored rectangle up to date";
}

TEST(PlanControlMoveTest, ProportionalComparesWithCurrentAndKeepsRegisteredRect) {
  ResizeControlEntry entry;
  entry.horizontalMode = AnchorMode::Proportional;
  entry.verticalMode = AnchorMode::Stretch;
  entry.storedRect = {20, 10, 60, 30};
  ControlRect next;
  const AxisChange wider{100, 100, 300, 200};
  const AxisChange taller{10, 10, 110, 100};
  ASSERT_TRUE(PlanControlMove(entry, entry.storedRect, wider, taller, &next));
  EXPECT_EQ((ControlRect{30, 10, 90, 40}), next);
  // The horizontal edges stay the registered ones; the stretched bottom edge is stored.
  EXPECT_EQ((ControlRect{20, 10, 60, 40}), entry.storedRect);
  // The same size again: the control is already there, so it is not moved.
  EXPECT_FALSE(PlanControlMove(entry, next, {0, 100, 300, 200}, {0, 10, 110, 100}, &next));
}

TEST(CentreRatioTest, IsTheCentreOverTheClientSize) {
  EXPECT_DOUBLE_EQ(0.15, CentreRatio(10, 50, 200));
  EXPECT_DOUBLE_EQ(0.0, CentreRatio(10, 50, 0));
}

}  // namespace
}  // namespace snipster
