#include "cutting_ui/ConvProgTemplate.h"

namespace snipster {
namespace {

using namespace ControlStyle;

// Labels are left-aligned and vertically centred. The values and paths beside them are centred
// too, so that their text lines up with the label's whatever the font; a value is right-aligned,
// and a long path is cut, never wrapped.
constexpr uint32_t kLabel = kVCentre;
constexpr uint32_t kValue = kAlignRight | kVCentre;
constexpr uint32_t kPath = kVCentre | kNoWrap;

}  // namespace

const DialogTemplate& ConvProgTemplate() {
  static const DialogTemplate kTemplate{
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
          {1076, ControlKind::StaticText, "Done:", {24, 36, 20, 10}, kLabel},
          {1080, ControlKind::StaticText, "0.00%", {48, 36, 30, 10}, kValue},
          {1078, ControlKind::StaticText, "Speed:", {106, 36, 26, 10}, kLabel},
          {1082, ControlKind::StaticText, "0.00x", {134, 36, 27, 10}, kValue},
          {1085, ControlKind::StaticText, "Elapsed:", {191, 36, 28, 10}, kLabel},
          {1087, ControlKind::StaticText, "00:00:00", {222, 37, 33, 10}, kValue},
          {1090, ControlKind::StaticText, "ETA:", {283, 36, 17, 10}, kLabel},
          {1088, ControlKind::StaticText, "00:00:00", {302, 37, 33, 10}, kValue},
          {1072, ControlKind::GroupBox, "Overall Progress", {7, 56, 354, 48}},
          {1074, ControlKind::ProgressBar, "", {13, 72, 339, 10}},
          {1077, ControlKind::StaticText, "Done:", {24, 88, 20, 10}, kLabel},
          {1081, ControlKind::StaticText, "0.00%", {48, 88, 30, 10}, kValue},
          {1079, ControlKind::StaticText, "Speed:", {106, 88, 26, 10}, kLabel},
          {1083, ControlKind::StaticText, "0.00x", {134, 88, 27, 10}, kValue},
          {1084, ControlKind::StaticText, "Elapsed:", {191, 88, 28, 10}, kLabel},
          {1086, ControlKind::StaticText, "00:00:00", {222, 89, 33, 10}, kValue},
          {1089, ControlKind::StaticText, "ETA:", {283, 88, 17, 10}, kLabel},
          {1091, ControlKind::StaticText, "00:00:00", {302, 89, 33, 10}, kValue},
          {1094, ControlKind::StaticText, "Source:", {9, 110, 34, 10}, kLabel},
          {1092, ControlKind::StaticText, "", {62, 110, 298, 10}, kPath},
          {1095, ControlKind::StaticText, "Destination:", {9, 127, 43, 10}, kLabel},
          {1093, ControlKind::StaticText, "", {62, 127, 298, 10}, kPath},
          {1003, ControlKind::ListView, "", {3, 144, 362, 105}},
          {1096, ControlKind::Button, "Clear", {75, 255, 48, 13}},
          {1075, ControlKind::Button, "Pause", {159, 255, 48, 13}},
          {2, ControlKind::Button, "Cancel", {243, 255, 48, 13}},
      }};
  return kTemplate;
}

}  // namespace snipster
