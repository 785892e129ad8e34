#include "app/controls/AnchorLayout.h"

namespace snipster {

AnchorEdges AnchorAxis(AnchorMode mode, AnchorEdges stored, const AxisChange& change, double ratio1,
                       double ratio2) {
  switch (mode) {
    case AnchorMode::Fixed:
      return stored;
    case AnchorMode::Stretch:
      return {stored.first, stored.second + change.step};
    case AnchorMode::Move:
      return {stored.first + change.step, stored.second + change.step};
    case AnchorMode::Centre: {
      const int32_t size = stored.second - stored.first;
      const auto first = static_cast<int32_t>(change.newClient * ratio1 - size * 0.5);
      return {first, first + size};
    }
    case AnchorMode::Proportional:
      // A dialog that started with no client area has nothing to scale from.
      if (change.initialClient == 0) return stored;
      return {
          static_cast<int32_t>(int64_t{stored.first} * change.newClient / change.initialClient),
          static_cast<int32_t>(int64_t{stored.second} * change.newClient / change.initialClient)};
    case AnchorMode::Partial:
      return {stored.first + static_cast<int32_t>(change.total * ratio1),
              static_cast<int32_t>(stored.second + change.total * (ratio1 + ratio2))};
  }
  return stored;
}

bool TracksStoredRect(AnchorMode mode) {
  return mode != AnchorMode::Proportional && mode != AnchorMode::Partial;
}

bool PlanControlMove(ResizeControlEntry& entry, const ControlRect& current,
                     const AxisChange& horizontal, const AxisChange& vertical,
                     ControlRect* newRect) {
  const ControlRect& stored = entry.storedRect;
  const AnchorEdges x = AnchorAxis(entry.horizontalMode, {stored.left, stored.right}, horizontal,
                                   entry.horizontalRatio1, entry.horizontalRatio2);
  const AnchorEdges y = AnchorAxis(entry.verticalMode, {stored.top, stored.bottom}, vertical,
                                   entry.verticalRatio1, entry.verticalRatio2);
  const ControlRect next{x.first, y.first, x.second, y.second};
  *newRect = next;
  const bool fromStored =
      TracksStoredRect(entry.horizontalMode) && TracksStoredRect(entry.verticalMode);
  if (next == (fromStored ? stored : current)) return false;
  if (TracksStoredRect(entry.horizontalMode)) {
    entry.storedRect.left = next.left;
    entry.storedRect.right = next.right;
  }
  if (TracksStoredRect(entry.verticalMode)) {
    entry.storedRect.top = next.top;
    entry.storedRect.bottom = next.bottom;
  }
  return true;
}

double CentreRatio(int32_t first, int32_t second, int32_t client) {
  if (client == 0) return 0.0;
  return (first + second) * 0.5 / client;
}

}  // namespace snipster
