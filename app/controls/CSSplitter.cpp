#include "app/controls/CSSplitter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <algorithm>

#include "platform/ProfileStore.h"

namespace snipster {
namespace {

constexpr int kHalfBar = CSSplitter::kBarThickness / 2;

const QString kVertValue = QStringLiteral("VertSplitPos");
const QString kHorizValue = QStringLiteral("HorizSplitPos");

}  // namespace

CSSplitter::CSSplitter(uint32_t style, QWidget* owner, QWidget* pane1, QWidget* pane2,
                       int controlId, const QRect& rect, int minimum1, int minimum2)
    : QWidget(owner),
      owner_(owner),
      firstPane_(pane1),
      secondPane_(pane2),
      minimum1_(minimum1),
      minimum2_(minimum2),
      controlId_(controlId),
      vertical_((style & kVerticalSplit) != 0 || (style & kHorizontalSplit) == 0) {
  setObjectName(QString::number(controlId));
  setGeometry(rect);
  setCursor(vertical_ ? Qt::SizeHorCursor : Qt::SizeVerCursor);
  for (QWidget* pane : {pane1, pane2}) {
    if (!pane) continue;
    pane->setParent(this);
    pane->show();
  }

  trackingBar_ = new QWidget(this);
  trackingBar_->setObjectName(QStringLiteral("trackingBar"));
  trackingBar_->setAttribute(Qt::WA_TransparentForMouseEvents);
  trackingBar_->setAutoFillBackground(true);
  QPalette palette = trackingBar_->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Dark));
  trackingBar_->setPalette(palette);
  trackingBar_->hide();

  ProfileStore profile;
  const QString section = SectionName(vertical_, controlId_);
  if (vertical_) {
    firstPaneExtent_ = profile.ReadInt(section, kVertValue, 2 * minimum1_);
  } else {
    const int bottom = profile.ReadInt(section, kHorizValue, 2 * minimum2_);
    firstPaneExtent_ = rect.height() - bottom - kBarThickness;
  }
  LayoutAt(firstPaneExtent_ + kHalfBar);
}

CSSplitter::~CSSplitter() {
  SavePosition();
}

QString CSSplitter::SectionName(bool vertical, int controlId) {
  return (vertical ? QStringLiteral("splt/init_v") : QStringLiteral("splt/init_h")) +
         QString::number(controlId);
}

bool CSSplitter::SavePosition() {
  ProfileStore profile;
  const QString section = SectionName(vertical_, controlId_);
  if (vertical_) {
    // While the left pane is hidden its rectangle keeps the place it had before.
    if (firstRect_.isEmpty()) return false;
    return profile.WriteInt(section, kVertValue, firstRect_.x() + firstRect_.width());
  }
  if (secondRect_.isEmpty()) return false;
  return profile.WriteInt(section, kHorizValue, secondRect_.height());
}

int CSSplitter::Clamp(int position) const {
  position = std::min(position, ClientLength() - minimum2_);
  return std::max(position, minimum1_);
}

void CSSplitter::LayoutAt(int position) {
  const int length = ClientLength();
  const int firstEnd = std::max(0, position - kHalfBar);
  const int secondStart = firstEnd + kBarThickness;
  const int secondLength = std::max(0, length - secondStart);
  if (vertical_) {
    barHitRect_ = QRect(position - kBarThickness, 0, 2 * kBarThickness, height());
    firstRect_ = QRect(0, 0, firstEnd, height());
    secondRect_ = QRect(secondStart, 0, secondLength, height());
  } else {
    barHitRect_ = QRect(0, position - kBarThickness, width(), 2 * kBarThickness);
    firstRect_ = QRect(0, 0, width(), firstEnd);
    secondRect_ = QRect(0, secondStart, width(), secondLength);
  }
  if (firstPane_) firstPane_->setGeometry(firstRect_);
  if (secondPane_) secondPane_->setGeometry(secondRect_);
}

void CSSplitter::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (leftPaneHidden_) {
    secondRect_ = rect();
    if (secondPane_) secondPane_->setGeometry(secondRect_);
    return;
  }
  LayoutAt(Clamp(firstPaneExtent_ + kHalfBar));
}

void CSSplitter::HideLeftPane() {
  if (!vertical_ || leftPaneHidden_ || !secondPane_) return;
  leftPaneHidden_ = true;
  barHitRect_ = QRect();
  if (firstPane_) firstPane_->hide();
  secondRect_ = rect();
  secondPane_->setGeometry(secondRect_);
}

void CSSplitter::ShowLeftPane() {
  if (!vertical_ || !leftPaneHidden_) return;
  leftPaneHidden_ = false;
  firstPaneExtent_ = firstRect_.width();
  LayoutAt(firstRect_.x() + firstRect_.width() + kHalfBar);
  if (firstPane_) firstPane_->show();
}

void CSSplitter::ShowTrackingBar(int position) {
  const int start = position - kHalfBar;
  trackingBar_->setGeometry(vertical_ ? QRect(start, 0, kBarThickness, height())
                                      : QRect(0, start, width(), kBarThickness));
  trackingBar_->raise();
  trackingBar_->show();
}

void CSSplitter::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() != Qt::LeftButton || !barHitRect_.contains(pos)) {
    QWidget::mousePressEvent(event);
    return;
  }
  dragging_ = true;
  trackPosition_ = Clamp(Along(pos));
  if (!liveDragging_) ShowTrackingBar(trackPosition_);
  previousFocus_ = QApplication::focusWidget();
  setFocus(Qt::MouseFocusReason);
  event->accept();
}

void CSSplitter::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  trackPosition_ = Clamp(Along(event->position().toPoint()));
  if (liveDragging_) {
    LayoutAt(trackPosition_);
  } else {
    ShowTrackingBar(trackPosition_);
  }
}

void CSSplitter::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  const int position = Clamp(Along(event->position().toPoint()));
  LayoutAt(position);
  firstPaneExtent_ = vertical_ ? firstRect_.width() : firstRect_.height();
  EndDrag();
}

void CSSplitter::keyPressEvent(QKeyEvent* event) {
  if (!dragging_ || event->key() != Qt::Key_Escape) {
    QWidget::keyPressEvent(event);
    return;
  }
  // Live dragging has moved the panes already; put them back.
  if (liveDragging_) LayoutAt(firstPaneExtent_ + kHalfBar);
  EndDrag();
}

void CSSplitter::EndDrag() {
  dragging_ = false;
  trackingBar_->hide();
  if (previousFocus_) previousFocus_->setFocus(Qt::OtherFocusReason);
  previousFocus_ = nullptr;
}

}  // namespace snipster
