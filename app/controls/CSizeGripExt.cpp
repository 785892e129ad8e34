#include "app/controls/CSizeGripExt.h"

#include <QEvent>
#include <QPolygon>
#include <QRegion>
#include <QStyle>

namespace snipster {

CSizeGripExt::CSizeGripExt(QWidget* parent, bool visible, bool triangular, bool transparent)
    : QSizeGrip(parent), visible_(visible), triangular_(triangular), transparent_(transparent) {
  setFocusPolicy(Qt::NoFocus);
  setAutoFillBackground(!transparent_);
  ApplyMetrics();
  PlaceAtCorner();
  setVisible(visible_);
}

void CSizeGripExt::SetVisible(bool visible) {
  visible_ = visible;
  if (isVisibleTo(parentWidget()) != visible) setVisible(visible);
}

void CSizeGripExt::PlaceAtCorner() {
  if (!parentWidget()) return;
  const QRect client = parentWidget()->rect();
  move(client.right() + 1 - width(), client.bottom() + 1 - height());
  raise();
}

void CSizeGripExt::changeEvent(QEvent* event) {
  QSizeGrip::changeEvent(event);
  // A new style or font means new metrics: rebuild, keeping the lower right corner in place.
  if (event->type() == QEvent::StyleChange) {
    const QPoint corner = geometry().bottomRight();
    ApplyMetrics();
    move(corner.x() + 1 - width(), corner.y() + 1 - height());
  }
}

void CSizeGripExt::ApplyMetrics() {
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  setFixedSize(extent, extent);
  if (triangular_) {
    // Lower left, lower right and upper right corners.
    const QPolygon triangle({QPoint(0, extent), QPoint(extent, extent), QPoint(extent, 0)});
    setMask(QRegion(triangle));
  } else {
    clearMask();
  }
}

}  // namespace snipster
