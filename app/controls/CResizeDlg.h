#pragma once

#include <QDialog>
#include <QPointer>
#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

#include "app/controls/AnchorLayout.h"
#include "app/controls/WindowPlacementStore.h"

namespace snipster {

class CSizeGripExt;

// Base of every resizable dialog. A derived dialog builds its controls, registers those that
// follow the size (RegisterControl), sets its placement entry name and restores its placement.
// Each size change then moves the registered controls in one batch, and the placement is saved
// when the dialog is destroyed.
class CResizeDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CResizeDlg(QWidget* parent = nullptr);
  ~CResizeDlg() override;

  // Records the client size as the initial and current one and creates the size grip. Runs
  // once; registering a control or showing the dialog runs it when the derived dialog did not.
  void InitResizeDialog();

  // Registers the control with that id (flags: kExcludeFromErase, kRepaintOnMove; ratios -1.0
  // when unused). A second registration of an id replaces its entry. False when no such control.
  bool RegisterControl(int controlId, AnchorMode horizontal, AnchorMode vertical,
                       uint32_t flags = 0, double horizontalRatio1 = -1.0,
                       double horizontalRatio2 = -1.0, double verticalRatio1 = -1.0,
                       double verticalRatio2 = -1.0);

  // Client size limits; a direction that is not resizable stays at its minimum (at the initial
  // size when no minimum is set).
  void SetMinTrackSize(QSize size);
  void SetResizable(bool horizontally, bool vertically);
  QSize minTrackSize() const { return minTrackSize_; }

  // Empty: the placement is not saved when the dialog is destroyed.
  void SetPlacementEntryName(const QString& name) { placementEntryName_ = name; }
  const QString& placementEntryName() const { return placementEntryName_; }
  bool RestorePlacement();
  bool SavePlacement();

  CSizeGripExt* sizeGrip() const { return sizeGrip_; }
  const std::vector<ResizeControlEntry>& registeredControls() const { return entries_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void LayoutControls();
  void ApplySizeLimits();
  ControlRect RectInDialog(const QWidget& control) const;

  WindowPlacementStore placementStore_;
  QString placementEntryName_;
  std::vector<ResizeControlEntry> entries_;
  std::vector<QPointer<QWidget>> widgets_;  // parallel to entries_
  QSize currentClient_;
  QSize initialClient_;
  QSize minTrackSize_{0, 0};
  bool resizableHorizontally_ = true;
  bool resizableVertically_ = true;
  bool initialised_ = false;
  CSizeGripExt* sizeGrip_ = nullptr;
};

}  // namespace snipster
