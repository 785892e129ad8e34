#include "app/controls/CResizeDlg.h"

#include <QResizeEvent>
#include <QShowEvent>

#include "app/controls/CSizeGripExt.h"
#include "platform/DialogTemplate.h"
#include "platform/MessageBox.h"

namespace snipster {
namespace {

QRect ToQRect(const ControlRect& r) {
  return QRect(r.left, r.top, r.width(), r.height());
}

}  // namespace

CResizeDlg::CResizeDlg(QWidget* parent) : QDialog(parent) {}

CResizeDlg::~CResizeDlg() {
  if (placementEntryName_.isEmpty()) return;
  if (!SavePlacement()) {
    // The dialog is half gone: the box gets no owner.
    ShowMessageBox(nullptr, QStringLiteral("Fail to Save!"));
  }
}

void CResizeDlg::InitResizeDialog() {
  if (initialised_) return;
  initialised_ = true;
  initialClient_ = size();
  currentClient_ = size();
  sizeGrip_ = new CSizeGripExt(this, /*visible=*/true, /*triangular=*/true,
                               /*transparent=*/false);
}

bool CResizeDlg::RegisterControl(int controlId, AnchorMode horizontal, AnchorMode vertical,
                                 uint32_t flags, double horizontalRatio1, double horizontalRatio2,
                                 double verticalRatio1, double verticalRatio2) {
  InitResizeDialog();
  QWidget* control = FindControl(*this, controlId);
  if (!control) return false;

  ResizeControlEntry entry;
  entry.controlId = controlId;
  entry.horizontalMode = horizontal;
  entry.verticalMode = vertical;
  entry.excludeFromErase = (flags & kExcludeFromErase) != 0;
  entry.repaintOnMove = (flags & kRepaintOnMove) != 0;
  entry.storedRect = RectInDialog(*control);
  entry.horizontalRatio1 = horizontalRatio1;
  entry.horizontalRatio2 = horizontalRatio2;
  entry.verticalRatio1 = verticalRatio1;
  entry.verticalRatio2 = verticalRatio2;
  const ControlRect& r = entry.storedRect;
  if (horizontal == AnchorMode::Centre || horizontal == AnchorMode::Proportional) {
    entry.horizontalRatio1 = CentreRatio(r.left, r.right, currentClient_.width());
  }
  if (vertical == AnchorMode::Centre || vertical == AnchorMode::Proportional) {
    entry.verticalRatio1 = CentreRatio(r.top, r.bottom, currentClient_.height());
  }

  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].controlId == controlId) {
      entries_[i] = entry;
      widgets_[i] = control;
      return true;
    }
  }
  entries_.push_back(entry);
  widgets_.emplace_back(control);
  return true;
}

void CResizeDlg::SetMinTrackSize(QSize size) {
  minTrackSize_ = size;
  ApplySizeLimits();
}

void CResizeDlg::SetResizable(bool horizontally, bool vertically) {
  resizableHorizontally_ = horizontally;
  resizableVertically_ = vertically;
  ApplySizeLimits();
}

void CResizeDlg::ApplySizeLimits() {
  // A fixed direction without a minimum would collapse to nothing; it keeps its initial size.
  const QSize initial = initialised_ ? initialClient_ : size();
  QSize minimum = minTrackSize_;
  QSize maximum(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  if (!resizableHorizontally_) {
    if (minimum.width() <= 0) minimum.setWidth(initial.width());
    maximum.setWidth(minimum.width());
  }
  if (!resizableVertically_) {
    if (minimum.height() <= 0) minimum.setHeight(initial.height());
    maximum.setHeight(minimum.height());
  }
  setMinimumSize(minimum);
  setMaximumSize(maximum);
}

bool CResizeDlg::RestorePlacement() {
  return placementStore_.Restore(*this, placementEntryName_);
}

bool CResizeDlg::SavePlacement() {
  return placementStore_.Save(*this, placementEntryName_);
}

void CResizeDlg::showEvent(QShowEvent* event) {
  InitResizeDialog();
  QDialog::showEvent(event);
}

void CResizeDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!initialised_ || isMinimized()) return;
  LayoutControls();
}

ControlRect CResizeDlg::RectInDialog(const QWidget& control) const {
  const QRect geometry = control.geometry();
  const QPoint topLeft = control.parentWidget() && control.parentWidget() != this
                             ? control.parentWidget()->mapTo(this, geometry.topLeft())
                             : geometry.topLeft();
  return ControlRect{topLeft.x(), topLeft.y(), topLeft.x() + geometry.width(),
                     topLeft.y() + geometry.height()};
}

void CResizeDlg::LayoutControls() {
  const QSize client = size();
  const AxisChange horizontal{client.width() - currentClient_.width(),
                              client.width() - initialClient_.width(), client.width(),
                              initialClient_.width()};
  const AxisChange vertical{client.height() - currentClient_.height(),
                            client.height() - initialClient_.height(), client.height(),
                            initialClient_.height()};

  struct Move {
    QWidget* control;
    ControlRect rect;
    bool repaint;
  };
  std::vector<Move> moves;
  for (size_t i = 0; i < entries_.size(); ++i) {
    QWidget* control = widgets_[i];
    if (!control) continue;
    ControlRect next;
    if (PlanControlMove(entries_[i], RectInDialog(*control), horizontal, vertical, &next)) {
      moves.push_back({control, next, entries_[i].repaintOnMove});
    }
  }

  // One batch: the dialog repaints once, after every control has moved.
  if (!moves.empty()) {
    const bool updating = updatesEnabled();
    setUpdatesEnabled(false);
    for (const Move& move : moves) {
      const QRect vacated(move.control->mapTo(this, QPoint(0, 0)), move.control->size());
      if (move.repaint) move.control->update();
      QRect target = ToQRect(move.rect);
      QWidget* parent = move.control->parentWidget();
      if (parent && parent != this) target.moveTopLeft(parent->mapFrom(this, target.topLeft()));
      move.control->setGeometry(target);
      if (move.repaint) update(vacated);
    }
    setUpdatesEnabled(updating);
  }
  currentClient_ = client;
  if (sizeGrip_) {
    sizeGrip_->SetVisible(!isMaximized());
    sizeGrip_->PlaceAtCorner();
  }
}

}  // namespace snipster
