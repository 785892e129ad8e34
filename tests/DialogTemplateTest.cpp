#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

#include "platform/DialogTemplate.h"

namespace snipster {
namespace {

// Part of the cutting progress window, and a few kinds it does not have.
const DialogTemplate kTemplate{
    170,
    "",
    "Tahoma",
    8,
    367,
    273,
    DialogStyle::kResizable | DialogStyle::kMinimizeBox | DialogStyle::kMaximizeBox,
    {
        {1071, ControlKind::GroupBox, "Current Progress", {7, 4, 354, 48}},
        {1073, ControlKind::ProgressBar, "", {14, 20, 339, 10}},
        {1076, ControlKind::StaticText, "Done:", {24, 36, 20, 10}, ControlStyle::kVCentre},
        {1080,
         ControlKind::StaticText,
         "0.00%",
         {48, 36, 30, 10},
         ControlStyle::kAlignRight | ControlStyle::kVCentre},
        {1003, ControlKind::ListView, "", {3, 144, 362, 105}},
        {1075, ControlKind::DefaultButton, "Pause", {159, 255, 48, 13}},
        {2, ControlKind::Button, "Cancel", {243, 255, 48, 13}, ControlStyle::kDisabled},
        {10, ControlKind::RadioButton, "A", {5, 5, 20, 10}, ControlStyle::kGroup},
        {11, ControlKind::RadioButton, "B", {5, 15, 20, 10}},
        {12, ControlKind::ComboBox, "", {30, 5, 60, 80}},
        {13, ControlKind::RadioButton, "C", {5, 25, 20, 10}, ControlStyle::kGroup},
        {14, ControlKind::RadioButton, "D", {5, 35, 20, 10}},
        {15, ControlKind::Custom, "", {100, 5, 20, 10}, ControlStyle::kHidden},
    }};

TEST(DialogTemplateTest, BuildsEveryControlWithItsIdTextAndPixels) {
  QDialog dialog;
  const DialogUnits units = BuildDialog(dialog, kTemplate);

  // Tahoma falls back to the system's sans-serif font at 8 points when it is not installed.
  const QString family = QFontDatabase::families().contains("Tahoma", Qt::CaseInsensitive)
                             ? QString("Tahoma")
                             : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  EXPECT_EQ(family.toStdString(), dialog.font().family().toStdString());
  EXPECT_EQ(8, dialog.font().pointSize());

  const QFontMetrics metrics(dialog.font());
  const int baseX = static_cast<int>(std::lround(
      metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0));
  const int baseY = metrics.height();
  ASSERT_EQ(baseX, units.baseX());
  ASSERT_EQ(baseY, units.baseY());
  auto px = [](int dlu, int base, int div) {
    return static_cast<int>(std::lround(dlu * static_cast<double>(base) / div));
  };

  EXPECT_EQ(QSize(px(367, baseX, 4), px(273, baseY, 8)), dialog.size());
  EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);

  auto* group = FindControlAs<QGroupBox>(dialog, 1071);
  ASSERT_NE(nullptr, group);
  EXPECT_EQ("Current Progress", group->title().toStdString());
  const QRect groupRect(px(7, baseX, 4), px(4, baseY, 8), px(7 + 354, baseX, 4) - px(7, baseX, 4),
                        px(4 + 48, baseY, 8) - px(4, baseY, 8));
  EXPECT_EQ(groupRect, group->geometry());

  auto* value = FindControlAs<QLabel>(dialog, 1080);
  ASSERT_NE(nullptr, value);
  EXPECT_EQ("0.00%", value->text().toStdString());
  EXPECT_EQ(Qt::AlignRight | Qt::AlignVCenter, value->alignment());
  auto* bar = FindControlAs<QProgressBar>(dialog, 1073);
  ASSERT_NE(nullptr, bar);
  EXPECT_EQ(0, bar->value());
  EXPECT_FALSE(bar->isTextVisible());

  auto* pause = FindControlAs<QPushButton>(dialog, 1075);
  ASSERT_NE(nullptr, pause);
  EXPECT_TRUE(pause->isDefault());
  EXPECT_FALSE(FindControl(dialog, 2)->isEnabled());
  EXPECT_TRUE(FindControl(dialog, 15)->isHidden());
  EXPECT_EQ(nullptr, FindControl(dialog, 9999));

  // A combo box gets its own height, not the template's (which counts the drop-down list).
  auto* combo = FindControlAs<QComboBox>(dialog, 12);
  ASSERT_NE(nullptr, combo);
  EXPECT_EQ(combo->sizeHint().height(), combo->height());
}

TEST(DialogTemplateTest, RadioButtonsAreExclusiveWithinTheirGroup) {
  QDialog dialog;
  BuildDialog(dialog, kTemplate);
  auto radio = [&](int id) { return FindControlAs<QRadioButton>(dialog, id); };
  radio(10)->setChecked(true);
  radio(13)->setChecked(true);
  EXPECT_TRUE(radio(10)->isChecked()) << "another group does not uncheck it";
  radio(11)->setChecked(true);
  EXPECT_FALSE(radio(10)->isChecked());
  EXPECT_TRUE(radio(13)->isChecked());
  radio(14)->setChecked(true);
  EXPECT_FALSE(radio(13)->isChecked());
  EXPECT_TRUE(radio(11)->isChecked());
}

TEST(DialogTemplateTest, FactoryReplacesTheDefaultWidget) {
  QDialog dialog;
  BuildDialog(dialog, kTemplate, [](const ControlTemplate& control, QWidget* parent) -> QWidget* {
    if (control.id != 1003) return nullptr;
    return new QLabel("log", parent);
  });
  auto* log = FindControlAs<QLabel>(dialog, 1003);
  ASSERT_NE(nullptr, log);
  EXPECT_EQ("1003", log->objectName().toStdString());
}

}  // namespace
}  // namespace snipster
