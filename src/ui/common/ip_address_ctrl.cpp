#include "ui/common/ip_address_ctrl.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

namespace ui {

IpAddressCtrl::IpAddressCtrl(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    if (i > 0)
      layout->addWidget(new QLabel(QStringLiteral("."), this));
    auto* field = new QLineEdit(this);
    field->setMaxLength(3);
    field->setValidator(new QIntValidator(0, 255, field));
    field->setAlignment(Qt::AlignCenter);
    field->setObjectName(QStringLiteral("octet%1").arg(i));
    connect(field, &QLineEdit::textChanged, this, &IpAddressCtrl::AddressChanged);
    layout->addWidget(field);
    m_fields[i] = field;
  }
}

void IpAddressCtrl::SetAddress(std::uint32_t address) {
  SetAddress(static_cast<int>(address >> 24), static_cast<int>((address >> 16) & 0xFF),
             static_cast<int>((address >> 8) & 0xFF), static_cast<int>(address & 0xFF));
}

void IpAddressCtrl::SetAddress(int a, int b, int c, int d) {
  const int octets[] = {a, b, c, d};
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    m_fields[i]->setText(QString::number(octets[i] & 0xFF));
  }
}

int IpAddressCtrl::GetAddress(std::uint32_t& address) const {
  address = 0;
  int filled = 0;
  for (QLineEdit* field : m_fields) {
    const QString text = field->text().trimmed();
    int value = 0;
    if (!text.isEmpty()) {
      ++filled;
      value = std::min(255, std::max(0, text.toInt()));
    }
    address = (address << 8) | static_cast<std::uint32_t>(value);
  }
  return filled;
}

int IpAddressCtrl::OutOfRangeField() const {
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    const QString text = m_fields[i]->text().trimmed();
    if (!text.isEmpty() && text.toInt() > 255)
      return static_cast<int>(i);
  }
  return -1;
}

bool IpAddressCtrl::IsBlank() const {
  for (QLineEdit* field : m_fields) {
    if (!field->text().trimmed().isEmpty())
      return false;
  }
  return true;
}

void IpAddressCtrl::ClearAddress() {
  for (QLineEdit* field : m_fields)
    field->clear();
}

QString IpAddressText(std::uint32_t address) {
  return QStringLiteral("%1.%2.%3.%4")
      .arg(address >> 24)
      .arg((address >> 16) & 0xFF)
      .arg((address >> 8) & 0xFF)
      .arg(address & 0xFF);
}

}  // namespace ui
