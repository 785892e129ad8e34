#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace snipster {

// The 44-byte window placement record, stored little-endian: length, flags, show command,
// minimised position (x, y), maximised position (x, y), normal rectangle (left, top, right,
// bottom; right and bottom exclusive). Rectangles are the window's client area in screen
// coordinates, as Qt places windows.
struct WindowPlacement {
  static constexpr uint32_t kSize = 44;
  static constexpr uint32_t kFlagRestoreToMaximized = 0x2;
  static constexpr uint32_t kShowNormal = 1;
  static constexpr uint32_t kShowMinimized = 2;
  static constexpr uint32_t kShowMaximized = 3;

  uint32_t length = kSize;
  uint32_t flags = 0;
  uint32_t showCommand = kShowNormal;
  int32_t minX = -1;
  int32_t minY = -1;
  int32_t maxX = -1;
  int32_t maxY = -1;
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  QByteArray ToBytes() const;
  // The first 44 bytes; nullopt when there are fewer.
  static std::optional<WindowPlacement> FromBytes(const QByteArray& bytes);
  bool operator==(const WindowPlacement&) const = default;
};

// The show command a restored placement gets under the stored show override: 1 keeps it,
// 2 normal, 3 maximised, 4 minimised; any other value only brings a minimised window back, as
// normal or as maximised when it was maximised before.
uint32_t AdjustShowCommand(uint32_t showCommand, uint32_t flags, int32_t showOverride);

// The placement of a top-level window, read from its geometry and state.
WindowPlacement ReadWindowPlacement(const QWidget& window);

// Moves window to the placement's normal rectangle and gives it the placement's state (taking
// effect when it is shown, if it is hidden). False, and nothing changed, for a placement that
// cannot be applied: wrong length or an empty rectangle.
bool ApplyWindowPlacement(QWidget& window, const WindowPlacement& placement);

// Keeps one window's placement in the profile: a binary value named by the entry, and the
// section's default value holding the show override.
class WindowPlacementStore {
 public:
  static constexpr char kSection[] = "Position";

  // Applies the stored placement. False when none is stored (the window is not moved).
  bool Restore(QWidget& window, const QString& entry, const QString& section = kSection);
  // True when both values were written.
  bool Save(QWidget& window, const QString& entry, const QString& section = kSection);

  const WindowPlacement& placement() const { return placement_; }
  const WindowPlacement& defaultPlacement() const { return defaultPlacement_; }
  int32_t showOverride() const { return showOverride_; }

 private:
  int32_t showOverride_ = 0;
  WindowPlacement placement_;
  WindowPlacement defaultPlacement_;
  bool firstRestorePending_ = true;
};

}  // namespace snipster
