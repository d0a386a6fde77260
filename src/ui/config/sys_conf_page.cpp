#include "ui/config/sys_conf_page.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "ui/common/ip_address_ctrl.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/property_sheet.h"
#include "ui/config/config_text.h"
#include "ui/config/sys_conf_sheet_base.h"

namespace syscfg {
namespace {

template <typename T>
T* Registered(ui::ControlRegistry& controls, int id, T* control) {
  if (id != 0)
    controls.Register(id, control);
  return control;
}

}  // namespace

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

bool CSysConfPage::OnSetActive() {
  if (CSysConfSheetBase* sheet = GetConfSheet())
    sheet->SysConfPageCode = PageCode();
  return CPropertyPage::OnSetActive();
}
