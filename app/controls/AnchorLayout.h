#pragma once

#include <cstdint>

namespace snipster {

// How a registered control's two edges on one axis follow a change of the dialog's client size.
enum class AnchorMode : uint8_t {
  Fixed = 0,         // both edges stay
  Stretch = 1,       // the far edge follows the change
  Move = 2,          // both edges follow the change
  Centre = 3,        // the centre stays at the same fraction of the client size
  Proportional = 4,  // both edges scale with the client size
  Partial = 5,       // the control moves and grows by given fractions of the change
};

// A rectangle in dialog client pixels; right and bottom are exclusive.
struct ControlRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool operator==(const ControlRect&) const = default;
};

// Registration flags.
inline constexpr uint32_t kExcludeFromErase = 1u << 0;
inline constexpr uint32_t kRepaintOnMove = 1u << 1;

// One control of a resizable dialog.
struct ResizeControlEntry {
  int32_t controlId = 0;
  AnchorMode horizontalMode : 4 = AnchorMode::Fixed;
  AnchorMode verticalMode : 4 = AnchorMode::Fixed;
  // Qt widgets clip their children, so this only records the caller's wish.
  bool excludeFromErase : 1 = false;
  bool repaintOnMove : 1 = false;
  // Where the control is; kept up to date in modes Fixed to Centre, the registered rectangle
  // in Proportional and Partial.
  ControlRect storedRect;
  double horizontalRatio1 = -1.0;  // Centre: centre fraction; Partial: move fraction
  double horizontalRatio2 = -1.0;  // Partial: stretch fraction
  double verticalRatio1 = -1.0;
  double verticalRatio2 = -1.0;
};

// The two edges of one axis: left and right, or top and bottom.
struct AnchorEdges {
  int32_t first = 0;
  int32_t second = 0;
  bool operator==(const AnchorEdges&) const = default;
};

// One axis of a client size change.
struct AxisChange {
  int32_t step = 0;           // change since the previous layout
  int32_t total = 0;          // change since the initial client size
  int32_t newClient = 0;      // new client size
  int32_t initialClient = 0;  // client size at initialisation
};

// New edges of a control on one axis, from its stored edges.
AnchorEdges AnchorAxis(AnchorMode mode, AnchorEdges stored, const AxisChange& change, double ratio1,
                       double ratio2);

// Modes Proportional and Partial work from the registered rectangle; the others from the
// stored one, which follows every move.
bool TracksStoredRect(AnchorMode mode);

// Decides one control's move for a size change: the new rectangle, and whether the control has
// to move at all (compared with its stored rectangle, or with current for Proportional and
// Partial). Stores the new edges of the axes in modes Fixed to Centre.
bool PlanControlMove(ResizeControlEntry& entry, const ControlRect& current,
                     const AxisChange& horizontal, const AxisChange& vertical,
                     ControlRect* newRect);

// The centre fraction recorded at registration for Centre and Proportional.
double CentreRatio(int32_t first, int32_t second, int32_t client);

}  // namespace snipster
