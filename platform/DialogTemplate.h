#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

namespace snipster {

// A dialog described as a resource template: caption, font, size and controls in dialog units.
// BuildDialog turns it into real widgets; every control is found again by its numeric id, which
// is its objectName ("1080").

enum class ControlKind {
  StaticText,     // QLabel
  GroupBox,       // QGroupBox (a sibling drawn behind the controls it frames)
  Button,         // QPushButton
  DefaultButton,  // QPushButton that Enter presses
  Edit,           // QLineEdit, or QPlainTextEdit with kMultiline
  ProgressBar,    // QProgressBar, 0..100, no text
  ListView,       // QTreeWidget as a flat list with columns
  TreeView,       // QTreeWidget
  Slider,         // QSlider
  ComboBox,       // QComboBox; its height is its own, the template's counts the drop-down list
  CheckBox,       // QCheckBox
  RadioButton,    // QRadioButton, exclusive within its group
  SpinBox,        // QSpinBox
  Hyperlink,      // QLabel that looks like a link; the owner makes it act
  Custom,         // a plain QWidget placeholder, unless the factory makes one
};

// Control style bits.
namespace ControlStyle {
inline constexpr uint32_t kHidden = 1u << 0;
inline constexpr uint32_t kDisabled = 1u << 1;
inline constexpr uint32_t kAlignRight = 1u << 2;
inline constexpr uint32_t kAlignCentre = 1u << 3;
inline constexpr uint32_t kVCentre = 1u << 4;  // single line, vertically centred
inline constexpr uint32_t kReadOnly = 1u << 5;
inline constexpr uint32_t kMultiline = 1u << 6;
inline constexpr uint32_t kGroup = 1u << 7;     // starts a new group of radio buttons
inline constexpr uint32_t kSunken = 1u << 8;    // static text with a sunken frame
inline constexpr uint32_t kVertical = 1u << 9;  // slider
inline constexpr uint32_t kNoWrap = 1u << 10;   // static text on one line
}  // namespace ControlStyle

// Dialog style bits.
namespace DialogStyle {
inline constexpr uint32_t kResizable = 1u << 0;
inline constexpr uint32_t kMinimizeBox = 1u << 1;
inline constexpr uint32_t kMaximizeBox = 1u << 2;
inline constexpr uint32_t kChild = 1u << 3;  // embedded in another window, no frame of its own
}  // namespace DialogStyle

struct DluRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::StaticText;
  QString text;
  DluRect rect;
  uint32_t style = 0;
};

struct DialogTemplate {
  int id = 0;
  QString caption;
  QString fontName;
  int fontPointSize = 8;
  int width = 0;  // client size in dialog units
  int height = 0;
  uint32_t style = 0;
  std::vector<ControlTemplate> controls;
};

// The font of a template; a family that is not installed falls back to the system's
// sans-serif font at the same point size.
QFont DialogFont(const QString& family, int pointSize);

// Converts dialog units to pixels for one font: x px = dlu × average character width / 4 and
// y px = dlu × character height / 8, rounded; the average width is that of the 52 Latin letters.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  int baseX() const { return baseX_; }
  int baseY() const { return baseY_; }
  int MapX(int dlu) const;
  int MapY(int dlu) const;
  // Each edge is converted on its own, as the edges of a resource rectangle are.
  QRect MapRect(const DluRect& rect) const;

 private:
  int baseX_;
  int baseY_;
};

// Makes the widget for a control, or returns nullptr to get the default one of its kind.
using ControlFactory = std::function<QWidget*(const ControlTemplate& control, QWidget* parent)>;

// Sets caption, font, size and window frame of dialog and creates every control of the
// template on it, in template order. Returns the units used.
DialogUnits BuildDialog(QWidget& dialog, const DialogTemplate& dialogTemplate,
                        const ControlFactory& factory = {});

// The control with that id anywhere below dialog, or nullptr.
QWidget* FindControl(const QWidget& dialog, int id);

template <typename T>
T* FindControlAs(const QWidget& dialog, int id) {
  return qobject_cast<T*>(FindControl(dialog, id));
}

}  // namespace snipster
