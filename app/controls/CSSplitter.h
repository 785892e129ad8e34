#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>

namespace snipster {

// Two panes side by side (vertical split: first pane left, second right) or stacked (horizontal
// split: first pane top, second bottom) with a draggable bar between them. The bar's position
// survives a restart in the profile: section "splt/init_v" + id, value "VertSplitPos" (the left
// pane's right edge), or "splt/init_h" + id, value "HorizSplitPos" (the bottom pane's height).
// While dragging, a tracking bar shows where the panes will be split; they move when the button
// is released (or at once with live dragging), and Escape cancels the drag.
class CSSplitter : public QWidget {
  Q_OBJECT

 public:
  static constexpr uint32_t kVerticalSplit = 0x1;
  static constexpr uint32_t kHorizontalSplit = 0x2;
  static constexpr int kBarThickness = 3;

  // Creates the splitter as a child of owner at rect, named by its id, and moves both panes into
  // it. minimum1 and minimum2 are the least widths (heights) of the first and second pane.
  CSSplitter(uint32_t style, QWidget* owner, QWidget* pane1, QWidget* pane2, int controlId,
             const QRect& rect, int minimum1, int minimum2);
  // Saves the bar's position.
  ~CSSplitter() override;

  void SetLiveDragging(bool live) { liveDragging_ = live; }
  bool IsLeftPaneShown() const { return !leftPaneHidden_; }
  void ShowLeftPane();
  void HideLeftPane();
  bool SavePosition();

  // The profile section of a splitter: "splt/init_v" or "splt/init_h" followed by the id.
  static QString SectionName(bool vertical, int controlId);

  bool isVertical() const { return vertical_; }
  // Width of the left (height of the top) pane, as last laid out by a drag or a show.
  int firstPaneExtent() const { return firstPaneExtent_; }
  QRect firstPaneRect() const { return firstRect_; }
  QRect secondPaneRect() const { return secondRect_; }
  QRect barHitRect() const { return barHitRect_; }
  bool isDragging() const { return dragging_; }
  // The bar drawn while dragging without live dragging; hidden otherwise.
  QWidget* trackingBar() const { return trackingBar_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int Along(const QPoint& point) const { return vertical_ ? point.x() : point.y(); }
  int ClientLength() const { return vertical_ ? width() : height(); }
  // Keeps the bar inside the minimums; the first pane's minimum wins when both cannot be met.
  int Clamp(int position) const;
  // Lays both panes out around the bar at position.
  void LayoutAt(int position);
  void ShowTrackingBar(int position);
  void EndDrag();

  QPointer<QWidget> owner_;
  QPointer<QWidget> firstPane_;
  QPointer<QWidget> secondPane_;
  int minimum1_;
  int minimum2_;
  int controlId_;
  bool vertical_;
  int firstPaneExtent_ = 0;
  QRect firstRect_;
  QRect secondRect_;
  QRect barHitRect_;
  bool leftPaneHidden_ = false;
  bool liveDragging_ = false;
  bool dragging_ = false;
  int trackPosition_ = 0;
  QPointer<QWidget> previousFocus_;
  QWidget* trackingBar_ = nullptr;
};

}  // namespace snipster
