#include "ui/common/data_exchange.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>

#include "platform/message_box.h"

namespace ui {

void DataExchange::Text(int id, QString& value, int maxChars) {
  if (m_failed)
    return;
  auto* edit = m_controls.Get<QLineEdit>(id);
  if (edit == nullptr)
    return;
  if (maxChars >= 0)
    edit->setMaxLength(maxChars);
  if (m_bSaveAndValidate) {
    value = edit->text();
    if (maxChars >= 0 && value.size() > maxChars)
      value.truncate(maxChars);
  } else {
    edit->setText(value);
  }
}

bool DataExchange::ReadNumber(int id, qint64& out) {
  auto* edit = m_controls.Get<QLineEdit>(id);
  if (edit == nullptr)
    return false;
  bool ok = false;
  out = edit->text().trimmed().toLongLong(&ok, 10);
  if (!ok)
    Fail(id, QStringLiteral("Enter a whole number."));
  return ok;
}

// Both number kinds fit in 64 bits, so one range check serves them.
template <typename T>
void DataExchange::NumberInRange(int id, T& value, T minimum, T maximum) {
  if (m_failed)
    return;
  if (!m_bSaveAndValidate) {
    if (auto* edit = m_controls.Get<QLineEdit>(id))
      edit->setText(QString::number(value));
    return;
  }
  qint64 parsed = 0;
  if (!ReadNumber(id, parsed))
    return;
  if (parsed < static_cast<qint64>(minimum) || parsed > static_cast<qint64>(maximum)) {
    Fail(id, QStringLiteral("Enter a whole number from %1 to %2.").arg(minimum).arg(maximum));
    return;
  }
  value = static_cast<T>(parsed);
}

void DataExchange::Number(int id, int& value, int minimum, int maximum) {
  NumberInRange(id, value, minimum, maximum);
}

void DataExchange::Number(int id, std::uint32_t& value, std::uint32_t minimum,
                          std::uint32_t maximum) {
  NumberInRange(id, value, minimum, maximum);
}

void DataExchange::Check(int id, bool& value) {
  if (m_failed)
    return;
  auto* button = m_controls.Get<QAbstractButton>(id);
  if (button == nullptr)
    return;
  if (m_bSaveAndValidate) {
    value = button->isChecked();
  } else {
    button->setChecked(value);
  }
}

void DataExchange::ComboIndex(int id, int& index) {
  if (m_failed)
    return;
  auto* combo = m_controls.Get<QComboBox>(id);
  if (combo == nullptr)
    return;
  if (m_bSaveAndValidate) {
    index = combo->currentIndex();
  } else {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
  }
}

void DataExchange::Slider(int id, int& position) {
  if (m_failed)
    return;
  auto* slider = m_controls.Get<QAbstractSlider>(id);
  if (slider == nullptr)
    return;
  if (m_bSaveAndValidate) {
    position = slider->value();
  } else {
    slider->setValue(position);
  }
}

void DataExchange::Fail(int id, const QString& text) {
  m_failed = true;
  platform::ShowMessageBox(text.toStdString(), {}, platform::MB_OK | platform::MB_ICONWARNING);
  if (QWidget* control = m_controls.Get(id)) {
    control->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(control))
      edit->selectAll();
  }
}

}  // namespace ui
