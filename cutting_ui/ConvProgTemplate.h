#pragma once

#include "platform/DialogTemplate.h"

namespace snipster {

// Control ids of the cutting progress window.
namespace ConvProgId {
inline constexpr int kLog = 1003;
inline constexpr int kCurrentGroup = 1071;
inline constexpr int kOverallGroup = 1072;
inline constexpr int kTaskBar = 1073;
inline constexpr int kJobBar = 1074;
inline constexpr int kPause = 1075;
inline constexpr int kTaskDoneLabel = 1076;
inline constexpr int kTaskPercent = 1080;
inline constexpr int kJobPercent = 1081;
inline constexpr int kTaskSpeed = 1082;
inline constexpr int kJobSpeed = 1083;
inline constexpr int kJobElapsed = 1086;
inline constexpr int kTaskElapsed = 1087;
inline constexpr int kTaskRemaining = 1088;
inline constexpr int kJobRemaining = 1091;
inline constexpr int kLastValue = 1091;  // 1076 to 1091: the labels and values
inline constexpr int kSource = 1092;
inline constexpr int kDestination = 1093;
inline constexpr int kClear = 1096;
inline constexpr int kCancel = 2;
}  // namespace ConvProgId

// Template 170: the cutting progress window, in dialog units.
const DialogTemplate& ConvProgTemplate();

}  // namespace snipster
