// An IPv4 address field: four boxes of 0..255. The address travels as a 32-bit number with the
// first octet in the most significant byte.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class QLineEdit;

namespace ui {

class IpAddressCtrl : public QWidget {
  Q_OBJECT

 public:
  explicit IpAddressCtrl(QWidget* parent = nullptr);

  void SetAddress(std::uint32_t address);
  void SetAddress(int a, int b, int c, int d);
  // Reads the address into address (blank boxes read 0); returns the number of boxes that are
  // not blank. A box above 255 reads 255: check OutOfRangeField first where that matters.
  int GetAddress(std::uint32_t& address) const;
  // The first box whose number is above 255 (a box takes three digits, so 256..999 can be
  // typed), or -1 when every box fits.
  int OutOfRangeField() const;
  bool IsBlank() const;
  void ClearAddress();
  QLineEdit* Field(int index) const { return m_fields[static_cast<std::size_t>(index)]; }

 signals:
  void AddressChanged();

 private:
  std::array<QLineEdit*, 4> m_fields{};
};

// "a.b.c.d" of a 32-bit address (first octet most significant).
QString IpAddressText(std::uint32_t address);

}  // namespace ui
