#include "app/controls/WindowPlacementStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtEndian>
#include <array>

#include "platform/ProfileStore.h"

namespace snipster {
namespace {

constexpr int kFieldCount = 11;

std::array<uint32_t, kFieldCount> Fields(const WindowPlacement& p) {
  return {p.length,
          p.flags,
          p.showCommand,
          static_cast<uint32_t>(p.minX),
          static_cast<uint32_t>(p.minY),
          static_cast<uint32_t>(p.maxX),
          static_cast<uint32_t>(p.maxY),
          static_cast<uint32_t>(p.left),
          static_cast<uint32_t>(p.top),
          static_cast<uint32_t>(p.right),
          static_cast<uint32_t>(p.bottom)};
}

void CentreOnPrimaryScreen(WindowPlacement& p) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  const int32_t width = p.right - p.left;
  const int32_t height = p.bottom - p.top;
  p.left = area.x() + (area.width() - width) / 2;
  p.right = area.x() + (area.width() + width) / 2;
  p.top = area.y() + (area.height() - height) / 2;
  p.bottom = area.y() + (area.height() + height) / 2;
}

}  // namespace

QByteArray WindowPlacement::ToBytes() const {
  QByteArray bytes(kSize, '\0');
  const auto fields = Fields(*this);
  for (int i = 0; i < kFieldCount; ++i) qToLittleEndian(fields[i], bytes.data() + 4 * i);
  return bytes;
}

std::optional<WindowPlacement> WindowPlacement::FromBytes(const QByteArray& bytes) {
  if (bytes.size() < static_cast<qsizetype>(kSize)) return std::nullopt;
  std::array<uint32_t, kFieldCount> f{};
  for (int i = 0; i < kFieldCount; ++i)
    f[i] = qFromLittleEndian<uint32_t>(bytes.constData() + 4 * i);
  WindowPlacement p;
  p.length = f[0];
  p.flags = f[1];
  p.showCommand = f[2];
  p.minX = static_cast<int32_t>(f[3]);
  p.minY = static_cast<int32_t>(f[4]);
  p.maxX = static_cast<int32_t>(f[5]);
  p.maxY = static_cast<int32_t>(f[6]);
  p.left = static_cast<int32_t>(f[7]);
  p.top = static_cast<int32_t>(f[8]);
  p.right = static_cast<int32_t>(f[9]);
  p.bottom = static_cast<int32_t>(f[10]);
  return p;
}

uint32_t AdjustShowCommand(uint32_t showCommand, uint32_t flags, int32_t showOverride) {
  switch (showOverride) {
    case 1:
      return showCommand;
    case 2:
      return WindowPlacement::kShowNormal;
    case 3:
      return WindowPlacement::kShowMaximized;
    case 4:
      return WindowPlacement::kShowMinimized;
    default:
      if (showCommand != WindowPlacement::kShowMinimized) return showCommand;
      // Only the restore-to-maximised flag decides; other flag bits must not turn the sum into
      // another show command.
      return (flags & WindowPlacement::kFlagRestoreToMaximized) ? WindowPlacement::kShowMaximized
                                                                : WindowPlacement::kShowNormal;
  }
}

WindowPlacement ReadWindowPlacement(const QWidget& window) {
  WindowPlacement p;
  const Qt::WindowStates state = window.windowState();
  const bool maximized = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
  if (state & Qt::WindowMinimized) {
    p.showCommand = WindowPlacement::kShowMinimized;
    if (maximized) p.flags = WindowPlacement::kFlagRestoreToMaximized;
  } else if (maximized) {
    p.showCommand = WindowPlacement::kShowMaximized;
  }
  QRect normal = maximized ? window.normalGeometry() : window.geometry();
  if (!normal.isValid()) normal = window.geometry();
  p.left = normal.x();
  p.top = normal.y();
  p.right = normal.x() + normal.width();
  p.bottom = normal.y() + normal.height();
  return p;
}

bool ApplyWindowPlacement(QWidget& window, const WindowPlacement& p) {
  if (p.length != WindowPlacement::kSize || p.right <= p.left || p.bottom <= p.top) return false;
  Qt::WindowStates state = Qt::WindowNoState;
  if (p.showCommand == WindowPlacement::kShowMaximized) {
    state = Qt::WindowMaximized;
  } else if (p.showCommand == WindowPlacement::kShowMinimized) {
    state = Qt::WindowMinimized;
    if (p.flags & WindowPlacement::kFlagRestoreToMaximized) state |= Qt::WindowMaximized;
  }
  QRect normal(p.left, p.top, p.right - p.left, p.bottom - p.top);
  // A rectangle left on a screen that is gone comes back on the primary screen.
  bool onScreen = false;
  for (const QScreen* screen : QGuiApplication::screens()) {
    onScreen = onScreen || screen->geometry().intersects(normal);
  }
  if (!onScreen && QGuiApplication::primaryScreen()) {
    normal.moveCenter(QGuiApplication::primaryScreen()->geometry().center());
  }
  window.setWindowState(Qt::WindowNoState);
  window.setGeometry(normal);
  window.setWindowState(state);
  return true;
}

bool WindowPlacementStore::Restore(QWidget& window, const QString& entry, const QString& section) {
  ProfileStore profile;
  if (firstRestorePending_) {
    firstRestorePending_ = false;
    defaultPlacement_ = ReadWindowPlacement(window);
    CentreOnPrimaryScreen(defaultPlacement_);
    showOverride_ = profile.ReadInt(section, QString::fromLatin1(kProfileDefaultValueName), 0);
  }
  const std::optional<QByteArray> bytes = profile.ReadBinary(section, entry);
  const std::optional<WindowPlacement> stored =
      bytes ? WindowPlacement::FromBytes(*bytes) : std::nullopt;
  if (!stored) {
    placement_ = defaultPlacement_;
    return false;
  }
  placement_ = *stored;
  placement_.showCommand =
      AdjustShowCommand(placement_.showCommand, placement_.flags, showOverride_);
  if (!ApplyWindowPlacement(window, placement_)) ApplyWindowPlacement(window, defaultPlacement_);
  return true;
}

bool WindowPlacementStore::Save(QWidget& window, const QString& entry, const QString& section) {
  placement_ = ReadWindowPlacement(window);
  ProfileStore profile;
  if (!profile.WriteBinary(section, entry, placement_.ToBytes())) return false;
  return profile.WriteInt(section, QString::fromLatin1(kProfileDefaultValueName), showOverride_);
}

}  // namespace snipster
