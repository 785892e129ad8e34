#include "platform/DialogTemplate.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTreeWidget>
#include <cmath>

namespace snipster {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

bool Has(uint32_t style, uint32_t bit) {
  return (style & bit) != 0;
}

QLabel* MakeLabel(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(control.text, parent);
  label->setTextFormat(Qt::PlainText);
  Qt::Alignment alignment = Qt::AlignLeft;
  if (Has(control.style, ControlStyle::kAlignRight)) alignment = Qt::AlignRight;
  if (Has(control.style, ControlStyle::kAlignCentre)) alignment = Qt::AlignHCenter;
  const bool singleLine =
      Has(control.style, ControlStyle::kVCentre) || Has(control.style, ControlStyle::kNoWrap);
  alignment |= Has(control.style, ControlStyle::kVCentre) ? Qt::AlignVCenter : Qt::AlignTop;
  label->setAlignment(alignment);
  label->setWordWrap(!singleLine);
  if (Has(control.style, ControlStyle::kSunken))
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  return label;
}

QWidget* MakeDefault(const ControlTemplate& control, QWidget* parent) {
  switch (control.kind) {
    case ControlKind::StaticText:
      return MakeLabel(control, parent);
    case ControlKind::GroupBox:
      return new QGroupBox(control.text, parent);
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
      auto* button = new QPushButton(control.text, parent);
      button->setDefault(control.kind == ControlKind::DefaultButton);
      return button;
    }
    case ControlKind::Edit: {
      if (Has(control.style, ControlStyle::kMultiline)) {
        auto* edit = new QPlainTextEdit(control.text, parent);
        edit->setReadOnly(Has(control.style, ControlStyle::kReadOnly));
        return edit;
      }
      auto* edit = new QLineEdit(control.text, parent);
      edit->setReadOnly(Has(control.style, ControlStyle::kReadOnly));
      return edit;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::ListView:
    case ControlKind::TreeView: {
      auto* view = new QTreeWidget(parent);
      if (control.kind == ControlKind::ListView) {
        view->setRootIsDecorated(false);
        view->setItemsExpandable(false);
        view->setUniformRowHeights(true);
      }
      return view;
    }
    case ControlKind::Slider:
      return new QSlider(
          Has(control.style, ControlStyle::kVertical) ? Qt::Vertical : Qt::Horizontal, parent);
    case ControlKind::ComboBox:
      return new QComboBox(parent);
    case ControlKind::CheckBox:
      return new QCheckBox(control.text, parent);
    case ControlKind::RadioButton:
      return new QRadioButton(control.text, parent);
    case ControlKind::SpinBox:
      return new QSpinBox(parent);
    case ControlKind::Hyperlink: {
      QLabel* label = MakeLabel(control, parent);
      QFont font = label->font();
      font.setUnderline(true);
      label->setFont(font);
      QPalette palette = label->palette();
      palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
      label->setPalette(palette);
      label->setCursor(Qt::PointingHandCursor);
      return label;
    }
    case ControlKind::Custom:
      break;
  }
  return new QWidget(parent);
}

Qt::WindowFlags FrameFlags(const QWidget& dialog, uint32_t style) {
  Qt::WindowFlags flags = dialog.parentWidget() ? Qt::Dialog : Qt::Window;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
  if (Has(style, DialogStyle::kMinimizeBox)) flags |= Qt::WindowMinimizeButtonHint;
  if (Has(style, DialogStyle::kMaximizeBox)) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

}  // namespace

QFont DialogFont(const QString& family, int pointSize) {
  QFont font;
  if (QFontDatabase::families().contains(family, Qt::CaseInsensitive)) {
    font = QFont(family);
  } else {
    font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  }
  font.setPointSize(pointSize);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  baseX_ = static_cast<int>(
      std::lround(metrics.horizontalAdvance(QString::fromLatin1(kAlphabet)) / 52.0));
  baseY_ = metrics.height();
}

int DialogUnits::MapX(int dlu) const {
  return static_cast<int>(std::lround(dlu * static_cast<double>(baseX_) / 4.0));
}

int DialogUnits::MapY(int dlu) const {
  return static_cast<int>(std::lround(dlu * static_cast<double>(baseY_) / 8.0));
}

QRect DialogUnits::MapRect(const DluRect& rect) const {
  const int left = MapX(rect.x);
  const int top = MapY(rect.y);
  return QRect(left, top, MapX(rect.x + rect.width) - left, MapY(rect.y + rect.height) - top);
}

DialogUnits BuildDialog(QWidget& dialog, const DialogTemplate& dialogTemplate,
                        const ControlFactory& factory) {
  const QFont font = DialogFont(dialogTemplate.fontName, dialogTemplate.fontPointSize);
  dialog.setFont(font);
  const DialogUnits units(font);
  dialog.setWindowTitle(dialogTemplate.caption);
  dialog.setProperty("templateId", dialogTemplate.id);
  if (!Has(dialogTemplate.style, DialogStyle::kChild)) {
    dialog.setWindowFlags(FrameFlags(dialog, dialogTemplate.style));
  }
  const QSize client(units.MapX(dialogTemplate.width), units.MapY(dialogTemplate.height));
  if (Has(dialogTemplate.style, DialogStyle::kResizable)) {
    dialog.resize(client);
  } else {
    dialog.setFixedSize(client);
  }

  QButtonGroup* radioGroup = nullptr;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = factory ? factory(control, &dialog) : nullptr;
    if (!widget) widget = MakeDefault(control, &dialog);
    widget->setObjectName(QString::number(control.id));
    QRect rect = units.MapRect(control.rect);
    if (control.kind == ControlKind::ComboBox) rect.setHeight(widget->sizeHint().height());
    widget->setGeometry(rect);
    if (Has(control.style, ControlStyle::kDisabled)) widget->setEnabled(false);
    if (Has(control.style, ControlStyle::kHidden)) widget->setVisible(false);

    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
      if (!radioGroup || Has(control.style, ControlStyle::kGroup)) {
        radioGroup = new QButtonGroup(&dialog);
      }
      radio->setAutoExclusive(false);
      radioGroup->addButton(radio, control.id);
    } else {
      radioGroup = nullptr;
    }
  }
  return units;
}

QWidget* FindControl(const QWidget& dialog, int id) {
  return dialog.findChild<QWidget*>(QString::number(id));
}

}  // namespace snipster
