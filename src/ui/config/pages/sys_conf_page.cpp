#include "ui/config/pages/sys_conf_page.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <algorithm>

#include "ui/common/ip_address_ctrl.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/property_sheet.h"
#include "ui/config/records/config_text.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

namespace syscfg {
namespace {

template <typename T>
T* Registered(ui::ControlRegistry& controls, int id, T* control) {
  if (id != 0)
    controls.Register(id, control);
  return control;
}

// A field's label: a text that ends with ":" (its first line, for a label of two).
bool IsFieldLabel(const QWidget* widget) {
  const auto* label = qobject_cast<const QLabel*>(widget);
  if (label == nullptr)
    return false;
  const QString first = label->text().section(QLatin1Char('\n'), 0, 0).trimmed();
  return first.endsWith(QLatin1Char(':'));
}

// The group box whose contents a layout arranges; null for the page's own rows.
const QGroupBox* GroupOf(const QLayout& layout, const QWidget& window) {
  for (const QWidget* w = layout.parentWidget(); w != nullptr && w != &window;
       w = w->parentWidget()) {
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
      return group;
  }
  return nullptr;
}

// How far the style sets a group box's contents in from its left edge (the box computes it only
// once it has a size).
int GroupFrameLeft(const QGroupBox& group) {
  QStyleOptionGroupBox option;
  option.initFrom(&group);
  option.rect = QRect(0, 0, 400, 200);
  option.text = group.title();
  option.lineWidth = 1;
  option.subControls = QStyle::SC_GroupBoxFrame;
  if (!group.title().isEmpty())
    option.subControls |= QStyle::SC_GroupBoxLabel;
  return group.style()
      ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, &group)
      .left();
}

// The field label that begins a row of layout, null when its row begins otherwise (a grid's
// rows: the first one found).
QWidget* LeadingLabel(QLayout& layout) {
  if (auto* grid = qobject_cast<QGridLayout*>(&layout)) {
    for (int row = 0; row < grid->rowCount(); ++row) {
      QLayoutItem* item = grid->itemAtPosition(row, 0);
      if (item != nullptr && IsFieldLabel(item->widget()))
        return item->widget();
    }
    return nullptr;
  }
  auto* box = qobject_cast<QBoxLayout*>(&layout);
  if (box == nullptr || box->count() == 0 ||
      (box->direction() != QBoxLayout::LeftToRight && box->direction() != QBoxLayout::RightToLeft))
    return nullptr;
  QWidget* first = box->itemAt(0)->widget();
  return IsFieldLabel(first) ? first : nullptr;
}

}  // namespace

void ApplyPageMetrics(QWidget& window) {
  const QList<QLayout*> layouts = window.findChildren<QLayout*>();
  // A field outside the group boxes lines up with the fields inside them, where the page has
  // such: its label column is wider by the boxes' frame and padding. Elsewhere it keeps its
  // room (a long path beside a short label).
  int groupInset = kGroupPadding;
  if (const auto* group = window.findChild<QGroupBox*>())
    groupInset += GroupFrameLeft(*group);
  const bool groupedFields = std::any_of(layouts.begin(), layouts.end(), [&](QLayout* layout) {
    return GroupOf(*layout, window) != nullptr && LeadingLabel(*layout) != nullptr;
  });
  for (QLayout* layout : layouts) {
    const QGroupBox* group = GroupOf(*layout, window);
    const bool ownsWidget =
        layout->parentWidget() != nullptr && layout->parentWidget()->layout() == layout;
    auto* box = qobject_cast<QBoxLayout*>(layout);
    const bool across = box != nullptr && (box->direction() == QBoxLayout::LeftToRight ||
                                           box->direction() == QBoxLayout::RightToLeft);
    const int spacing = across ? kColumnSpacing : kRowSpacing;
    if (layout == window.layout()) {
      layout->setContentsMargins(kPagePadding, kPagePadding, kPagePadding, kPagePadding);
      layout->setSpacing(kRowSpacing + 2);
    } else if (ownsWidget && group != nullptr && layout->parentWidget() == group) {
      layout->setContentsMargins(kGroupPadding, kRowSpacing, kGroupPadding, kGroupPadding);
      layout->setSpacing(spacing);
    } else if (!ownsWidget) {
      layout->setSpacing(spacing);
    }
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
      grid->setHorizontalSpacing(kColumnSpacing);
      grid->setVerticalSpacing(kRowSpacing);
    }
    QWidget* label = LeadingLabel(*layout);
    if (label == nullptr || (group == nullptr && !groupedFields))
      continue;
    const int gutter = group != nullptr ? kLabelGutter : kLabelGutter + groupInset;
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
      grid->setColumnMinimumWidth(0, gutter);
    else
      label->setMinimumWidth(gutter);
  }
}

QLabel* NewLabel(ui::ControlRegistry& controls, int id, const QString& text, QWidget* parent) {
  return Registered(controls, id, new QLabel(text, parent));
}

QLineEdit* NewEdit(ui::ControlRegistry& controls, int id, QWidget* parent, int maxBytes,
                   bool password) {
  auto* edit = new QLineEdit(parent);
  if (maxBytes >= 0)
    LimitTextBytes(*edit, maxBytes);
  if (password)
    edit->setEchoMode(QLineEdit::Password);
  return Registered(controls, id, edit);
}

QLineEdit* NewPortEdit(ui::ControlRegistry& controls, int id, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setMaxLength(5);
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), edit));
  edit->setMaximumWidth(90);
  return Registered(controls, id, edit);
}

QRadioButton* NewRadio(ui::ControlRegistry& controls, int id, const QString& text,
                       QWidget* parent) {
  auto* radio = new QRadioButton(text, parent);
  radio->setAutoExclusive(false);
  return Registered(controls, id, radio);
}

QPushButton* NewButton(ui::ControlRegistry& controls, int id, const QString& text,
                       QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  // The style pads a long text by only a few pixels; give every key the same air on both sides
  // as the short ones get from their minimum width.
  const int textWidth = button->fontMetrics().size(0, text).width();
  button->setMinimumWidth(std::max(button->minimumSizeHint().width(), textWidth + 24));
  return Registered(controls, id, button);
}

QComboBox* NewCombo(ui::ControlRegistry& controls, int id, QWidget* parent) {
  return Registered(controls, id, new QComboBox(parent));
}

QGroupBox* NewGroup(ui::ControlRegistry& controls, int id, const QString& title, QWidget* parent) {
  return Registered(controls, id, new QGroupBox(title, parent));
}

ui::IpAddressCtrl* NewAddress(ui::ControlRegistry& controls, int id, QWidget* parent) {
  auto* address = new ui::IpAddressCtrl(parent);
  address->setMaximumWidth(180);
  return Registered(controls, id, address);
}

ui::ListCtrl* NewList(ui::ControlRegistry& controls, int id, QWidget* parent) {
  return Registered(controls, id, new ui::ListCtrl(parent));
}

void ExchangeAddress(ui::DataExchange& dx, ui::ControlRegistry& controls, int id,
                     std::uint32_t& value) {
  auto* address = controls.Get<ui::IpAddressCtrl>(id);
  if (dx.Failed() || address == nullptr)
    return;
  if (!dx.Saving()) {
    address->SetAddress(value);
    return;
  }
  // A part above 255 is refused as a number out of its range is, not cut to 255.
  if (const int field = address->OutOfRangeField(); field >= 0) {
    dx.Fail(id, QStringLiteral("Enter a whole number from 0 to 255."));
    if (address->isEnabled()) {
      address->Field(field)->setFocus();
      address->Field(field)->selectAll();
    }
    return;
  }
  std::uint32_t read = 0;
  if (address->GetAddress(read) != 4 && address->isEnabled()) {
    dx.Fail(id, QStringLiteral("Fill in all four parts of the address."));
    return;
  }
  value = read;
}

void ExchangeText(ui::DataExchange& dx, int id, QString& value, int maxBytes) {
  dx.Text(id, value, maxBytes);
  if (dx.Saving() && !dx.Failed() && !FitsBytes(value, maxBytes))
    dx.Fail(id, TooLongText(QStringLiteral("The text"), maxBytes));
}

void EnableControls(ui::ControlRegistry& controls, std::initializer_list<int> ids, bool enable) {
  for (int id : ids) {
    if (QWidget* control = controls.Get(id))
      control->setEnabled(enable);
  }
}

void CheckRadio(ui::ControlRegistry& controls, int id, bool checked) {
  if (auto* button = controls.Get<QAbstractButton>(id))
    button->setChecked(checked);
}

bool IsChecked(ui::ControlRegistry& controls, int id) {
  auto* button = controls.Get<QAbstractButton>(id);
  return button != nullptr && button->isChecked();
}

}  // namespace syscfg

CSysConfSheetBase* CSysConfPage::GetConfSheet() const {
  return dynamic_cast<CSysConfSheetBase*>(GetSheet());
}

const ports::SysConfEngine& CSysConfPage::Engine() const {
  const CSysConfSheetBase* sheet = GetConfSheet();
  // A page asks the engine only from its sheet's window: a page outside a configuration sheet
  // has no engine to ask, and going on would send its request nowhere.
  if (sheet == nullptr)
    qFatal("CSysConfPage::Engine: the page \"%s\" (code %d) is not in a configuration sheet",
           qPrintable(GetCaption()), PageCode());
  return sheet->Engine();
}

void CSysConfPage::OnControlsCreated(QWidget* window) {
  syscfg::ApplyPageMetrics(*window);
}

bool CSysConfPage::OnSetActive() {
  if (CSysConfSheetBase* sheet = GetConfSheet())
    sheet->SysConfPageCode = PageCode();
  return CPropertyPage::OnSetActive();
}
