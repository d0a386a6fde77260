// CLoginSettingDlg ("Login Setting"): before logging in, the operator chooses how the stream
// travels (UDP or TCP) and which stream is decoded (JPEG or MPEG-4) with two pairs of bitmap
// radio buttons. OK ends with 1410 and CANCEL with 1198; the login window stores the choices on
// 1410 only.
#pragma once

#include <QRect>
#include <cstdint>
#include <vector>

#include "ui/common/ui_dialog.h"

inline constexpr int IDC_LOGIN_SETTING_OK = 1410;
inline constexpr int IDC_LOGIN_SETTING_CANCEL = 1198;
inline constexpr int IDC_GROUP_TRANSMISSION = 1411;
inline constexpr int IDC_GROUP_DECODE = 1412;
inline constexpr int IDC_RADIO_UDP = 8650;
inline constexpr int IDC_RADIO_TCP = 8651;
inline constexpr int IDC_RADIO_JPEG = 8652;
inline constexpr int IDC_RADIO_MPEG4 = 8653;

namespace ui::login {

struct SettingRadio {
  int id;
  QRect rect;          // unscaled
  QPoint labelAt;      // unscaled
  bool transmission;   // which choice it sets
  std::uint8_t value;  // the value it selects
};
// The four radio buttons, as the dialog creates them.
const std::vector<SettingRadio>& SettingRadios();
// A rectangle multiplied by the display scale, each coordinate truncated.
QRect ScaledRect(const QRect& rect, double scale);

}  // namespace ui::login

class CLoginSettingDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit CLoginSettingDlg(QWidget* parent = nullptr);

  std::uint8_t m_byTransmission = 0;  // 0 UDP, 1 TCP (other values kept until a press)
  std::uint8_t m_byDecode = 0;        // 0 JPEG, 4 MPEG-4

  // The state (0 or 1) a radio button shows; -1 for an unknown id.
  int RadioState(int id) const;
  void InitForPicture() { OnInitDialog(); }

 protected:
  bool OnInitDialog() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnRadio(int id);
  void ShowPair(int selected, int other);

  double m_scale = 1.0;
};
