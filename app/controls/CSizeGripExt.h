#pragma once

#include <QSizeGrip>

namespace snipster {

// The size grip in a resizable dialog's lower right corner: the size of the scroll bars, drawn
// on the dialog's background (transparent) or on its own, optionally cut to the lower right
// triangle. It never takes the focus.
class CSizeGripExt : public QSizeGrip {
  Q_OBJECT

 public:
  CSizeGripExt(QWidget* parent, bool visible, bool triangular, bool transparent);

  void SetVisible(bool visible);
  bool visibleFlag() const { return visible_; }
  // Puts the grip's lower right corner on the parent's client lower right corner, on top.
  void PlaceAtCorner();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void ApplyMetrics();

  bool visible_;
  bool triangular_;
  bool transparent_;
};

}  // namespace snipster
