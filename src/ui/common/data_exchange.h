// Dialog data exchange: a window's DoDataExchange moves values between its members and its
// controls, in one direction per call. On saving, numbers are parsed and range-checked; the
// first value that fails shows a message box, gets the keyboard focus and ends the exchange.
#pragma once

#include <QString>
#include <cstdint>

#include "ui/common/control_registry.h"

namespace ui {

class DataExchange {
 public:
  DataExchange(ControlRegistry& controls, bool saveAndValidate)
      : m_controls(controls), m_bSaveAndValidate(saveAndValidate) {}

  bool Saving() const { return m_bSaveAndValidate; }
  bool Failed() const { return m_failed; }

  // Edit text; maxChars >= 0 also limits what the edit accepts.
  void Text(int id, QString& value, int maxChars = -1);
  // A whole number in an edit, checked against [minimum, maximum] when saving.
  void Number(int id, int& value, int minimum, int maximum);
  void Number(int id, std::uint32_t& value, std::uint32_t minimum, std::uint32_t maximum);
  // Check box or radio button.
  void Check(int id, bool& value);
  // Combo box selection (-1 none).
  void ComboIndex(int id, int& index);
  // Slider position.
  void Slider(int id, int& position);

  // Marks the exchange failed at control id: message box with text, focus on the control.
  void Fail(int id, const QString& text);

 private:
  bool ReadNumber(int id, qint64& out);
  template <typename T>
  void NumberInRange(int id, T& value, T minimum, T maximum);

  ControlRegistry& m_controls;
  bool m_bSaveAndValidate;
  bool m_failed = false;
};

}  // namespace ui
