// The login-setting dialog: the radio states it opens with, the choices its buttons make, and
// its results.
#include "ui/login/login_setting_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>

#include "login_test_support.h"
#include "ui/common/vtx_button.h"

namespace {

using login_test::RunModalWith;

class LoginSettingTest : public login_test::LoginUiTest {
 protected:
  void Press(CLoginSettingDlg& dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(dialog.GetDlgItem(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
  }
};

TEST_F(LoginSettingTest, OpensWithTheStatesOfTheSettings) {
  const struct {
    std::uint8_t transmission;
    std::uint8_t decode;
    int udp, tcp, jpeg, mpeg4;
  } cases[] = {
      {0, 0, 1, 0, 1, 0},
      {1, 4, 0, 1, 0, 1},
      {2, 0, 1, 0, 1, 0},  // any transmission but 1 shows UDP
      {1, 7, 0, 1, 0, 1},  // any decode type but 0 shows MPEG4
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.transmission) + "/" + std::to_string(c.decode));
    g_lpApp->m_SettingINI.m_byTransmissionType = c.transmission;
    g_lpApp->m_SettingINI.m_byDecodeType = c.decode;
    CLoginSettingDlg dialog;
    dialog.InitForPicture();
    EXPECT_EQ(dialog.RadioState(IDC_RADIO_UDP), c.udp);
    EXPECT_EQ(dialog.RadioState(IDC_RADIO_TCP), c.tcp);
    EXPECT_EQ(dialog.RadioState(IDC_RADIO_JPEG), c.jpeg);
    EXPECT_EQ(dialog.RadioState(IDC_RADIO_MPEG4), c.mpeg4);
    EXPECT_EQ(dialog.m_byTransmission, c.transmission);
    EXPECT_EQ(dialog.m_byDecode, c.decode);
  }
}

TEST_F(LoginSettingTest, ATransmissionTypeOfTwoIsKeptUntilARadioIsPressed) {
  g_lpApp->m_SettingINI.m_byTransmissionType = 2;
  CLoginSettingDlg dialog;
  const int result = RunModalWith(dialog, [&] {
    EXPECT_EQ(dialog.RadioState(IDC_RADIO_UDP), 1);
    Press(dialog, IDC_LOGIN_SETTING_OK);
  });
  EXPECT_EQ(result, IDC_LOGIN_SETTING_OK);
  EXPECT_EQ(dialog.m_byTransmission, 2);

  CLoginSettingDlg again;
  EXPECT_EQ(RunModalWith(again,
                         [&] {
                           Press(again, IDC_RADIO_TCP);
                           Press(again, IDC_RADIO_UDP);
                           Press(again, IDC_LOGIN_SETTING_OK);
                         }),
            IDC_LOGIN_SETTING_OK);
  EXPECT_EQ(again.m_byTransmission, 0);
}

TEST_F(LoginSettingTest, RadiosSelectTheirChoiceAndClearTheirPartner) {
  CLoginSettingDlg dialog;
  dialog.InitForPicture();
  Press(dialog, IDC_RADIO_TCP);
  Press(dialog, IDC_RADIO_MPEG4);
  EXPECT_EQ(dialog.m_byTransmission, 1);
  EXPECT_EQ(dialog.m_byDecode, 4);
  EXPECT_EQ(dialog.RadioState(IDC_RADIO_UDP), 0);
  EXPECT_EQ(dialog.RadioState(IDC_RADIO_TCP), 1);
  EXPECT_EQ(dialog.RadioState(IDC_RADIO_JPEG), 0);
  EXPECT_EQ(dialog.RadioState(IDC_RADIO_MPEG4), 1);
  Press(dialog, IDC_RADIO_JPEG);
  EXPECT_EQ(dialog.m_byDecode, 0);
  EXPECT_EQ(dialog.RadioState(IDC_RADIO_MPEG4), 0);
  // The radios' places and tooltips.
  EXPECT_EQ(dialog.GetDlgItem(IDC_RADIO_UDP)->geometry(), QRect(140, 45, 12, 12));
  EXPECT_EQ(dialog.GetDlgItem(IDC_RADIO_MPEG4)->toolTip(), QStringLiteral("MPEG4"));
}

TEST_F(LoginSettingTest, CancelEndsWith1198AndTheSettingsStay) {
  CLoginSettingDlg dialog;
  const int result = RunModalWith(dialog, [&] {
    Press(dialog, IDC_RADIO_TCP);
    Press(dialog, IDC_RADIO_MPEG4);
    Press(dialog, IDC_LOGIN_SETTING_CANCEL);
  });
  EXPECT_EQ(result, IDC_LOGIN_SETTING_CANCEL);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byTransmissionType, 0);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byDecodeType, 0);
}

TEST(LoginSettingLayout, RectanglesScaleAndTruncate) {
  EXPECT_EQ(ui::login::ScaledRect(QRect(140, 45, 12, 12), 1.0), QRect(140, 45, 12, 12));
  // 1.25: left 175, top 56.25 -> 56, right 190, bottom 71.25 -> 71.
  EXPECT_EQ(ui::login::ScaledRect(QRect(140, 45, 12, 12), 1.25), QRect(175, 56, 15, 15));
  EXPECT_EQ(ui::login::ScaledRect(QRect(70, 120, 12, 12), 1.5), QRect(105, 180, 18, 18));
}

}  // namespace
