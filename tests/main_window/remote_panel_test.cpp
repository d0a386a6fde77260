// The remote-control panel against the fake server with the shipped device command file: keys to
// the exact RS485 requests, the channel strip, TURBO, the power key, PTZ control with its
// selection dialog, and the hot point.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <thread>

#include "commands_fixture.h"
#include "fakes/fake_video_server.h"
#include "ui/main/panel_table.h"
#include "ui/main/remote_commands.h"
#include "ui/main/select_ptz_dlg.h"

namespace main_window_test {
namespace {

using namespace mainwin;

using RemotePanelTest = CommandsTest;

std::vector<std::uint8_t> Bytes(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

TEST_F(RemotePanelTest, TheShippedFileHasACommandForEveryKeyAPanelShows) {
  BuildSession({});
  LoadShippedCtrlFile();
  for (int type = 1; type < panel::kDeviceTypeCount; ++type) {
    const CtrlFileDevice* device = DeviceCommandTable[static_cast<std::size_t>(type)].device;
    ASSERT_NE(device, nullptr) << type;
    for (const panel::PanelButtonRecord& key : panel::PanelEntry(type).buttons) {
      const auto command = PanelKeyCommandOf(key.controlId);
      if (!(key.flags & panel::kFlagShown) || !command)
        continue;
      EXPECT_GT(device->commands[command->index].length, 0u)
          << "type " << type << " key " << key.controlId << " index " << command->index;
    }
    EXPECT_GT(device->powerCommand.length, 0u) << type;
  }
}

TEST_F(RemotePanelTest, KeysSendTheDevicesCommandBytesToTheSelectedPort) {
  struct Case {
    const char* name;
    int key;
    std::uint8_t channel;
    std::uint32_t turbo;
    std::uint8_t step;
    const char* hex;
  };
  // Port 0: DVR 4CH (type 2) id 1; port 1: DVR 4CH id 2.
  const Case cases[] = {
      {"CH 1 never repeats", 8250, 1, 1, 3, "05ffc001017f0132"},
      {"LEFT without turbo", 8240, 1, 0, 3, "05ffc001407f0132"},
      {"LEFT, step 0 repeats 5", 8240, 1, 1, 0, "05ffc001407f0532"},
      {"LEFT, step 3", 8240, 1, 1, 3, "05ffc001407f0332"},
      {"LEFT, step 10", 8240, 1, 1, 10, "05ffc001407f0a32"},
      {"LEFT, step 11 repeats 5", 8240, 1, 1, 11, "05ffc001407f0532"},
      {"a key without a command", 8291, 1, 1, 3, ""},  // DVR 4CH has no zoom
      {"MENU never repeats", 8242, 1, 1, 3, "05ffc001427f0132"},
      {"channel DVR addresses port 1", 8250, 0, 0, 3, "05ffc002017f0132"},
      {"channel 2 addresses port 1", 8251, 2, 0, 3, "05ffc002027f0132"},
      {"channel 16 addresses port 1", 8252, 16, 0, 3, "05ffc002037f0132"},
      {"PLAY", 8232, 1, 0, 3, "05ffc0013d7f0132"},
  };
  CKavelinDlg& window = OpenConnected({.deviceCode = '2', .type1 = 2, .type2 = 2});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server->ClearRecords();
    box = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.emplace(box);
    window.OnChannelButton(IDC_CHANNEL_DVR + c.channel);
    g_lpApp->m_bTurboOn = c.turbo;
    g_lpApp->m_Rs485Config[2] = c.step;
    window.OnCommand(c.key);
    if (std::string(c.hex).empty()) {
      EXPECT_TRUE(Rs485Targets().empty());
      EXPECT_EQ(Messages(), std::vector<std::string>{Text(4084)});
      continue;
    }
    ASSERT_EQ(Rs485Targets(), std::vector<std::string>{Rs485Target(c.hex)});
    EXPECT_EQ(server->RequestsTo("/RS485Cmd.cgi")[0].body, Bytes(c.hex));
    EXPECT_TRUE(Messages().empty());
  }

  // A port type outside the device table (a value from the settings) has no protocol: 4093 and
  // nothing goes, turbo or not.
  server->ClearRecords();
  box = std::make_shared<platform::testing::FakeMessageBox>();
  scopedBox.emplace(box);
  window.OnChannelButton(IDC_CHANNEL_DVR + 1);
  g_lpApp->m_SettingINI.m_byChannel1Device = 18;
  g_lpApp->m_bTurboOn = 1;
  window.OnCommand(8240);
  window.OnCommand(8250);
  EXPECT_TRUE(Rs485Targets().empty());
  EXPECT_EQ(Messages(), std::vector<std::string>(2, Text(4093)));
}

TEST_F(RemotePanelTest, PresetsOfAPtzPortSendItsFirstSixteenCommands) {
  CKavelinDlg& window = OpenConnected({.deviceCode = '2', .type1 = 2, .type2 = 8});
  window.OnChannelButton(IDC_CHANNEL_DVR + 2);
  g_lpApp->m_abyChannelPtzNumber[1] = 3;
  // 06 a0 (id 2) (PTZ number 3) (preset) (parameter 0x20) (sum of the five) 01 32.
  window.OnCommand(8250);
  window.OnCommand(8265);
  EXPECT_EQ(Rs485Targets(), (std::vector<std::string>{Rs485Target("06a0020360202501"
                                                                  "32"),
                                                      Rs485Target("06a002036f203401"
                                                                  "32")}));
  // Their tooltips name the presets.
  EXPECT_EQ(window.Button(8250)->toolTip(), "Preset 1");
  EXPECT_EQ(window.Button(8265)->toolTip(), "Preset 16");
}

TEST_F(RemotePanelTest, RetrModeOfA0x84ServerSendsNoKey) {
  CKavelinDlg& window = OpenConnected({.deviceCode = 0x84});
  g_lpApp->m_bRetrOn = 1;
  for (const int key : {8250, 8240, 8232})
    window.OnCommand(key);
  EXPECT_TRUE(Rs485Targets().empty());
  EXPECT_TRUE(Messages().empty());
  g_lpApp->m_bRetrOn = 0;
  window.OnCommand(8250);
  EXPECT_EQ(Rs485Targets(), std::vector<std::string>{Rs485Target("05ffc001017f0132")});
}

TEST_F(RemotePanelTest, AClickOnAShownKeySendsIt) {
  CKavelinDlg& window = OpenConnected();
  window.OnPanelUp();
  ProcessEvents();
  CVtxButton* play = window.Button(8232);
  ASSERT_TRUE(play->isVisible());
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_EQ(Rs485Targets(), std::vector<std::string>{Rs485Target("05ffc0013d7f0132")});
}

TEST_F(RemotePanelTest, ChannelButtonsSelectThePortAndItsPanel) {
  CKavelinDlg& window = OpenConnected({.deviceCode = '2', .type1 = 2, .type2 = 8});
  window.OnPanelUp();
  window.OnChannelButton(IDC_CHANNEL_DVR + 3);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_bySelectedChannel, 3);
  for (int i = 0; i < 17; ++i)
    EXPECT_EQ(window.Button(IDC_CHANNEL_DVR + i)->CurrentState(), i == 3 ? 0 : 1) << i;
  // Port 1's PTZ layout: presets, no recorder keys; the hot point is on.
  EXPECT_FALSE(window.Button(8283)->isHidden());
  EXPECT_TRUE(window.Button(8232)->isHidden());
  EXPECT_EQ(g_lpApp->m_byHotPointMode, 2);
  window.OnChannelButton(IDC_CHANNEL_DVR + 1);
  EXPECT_TRUE(window.Button(8283)->isHidden());
  EXPECT_FALSE(window.Button(8232)->isHidden());
  EXPECT_EQ(g_lpApp->m_byHotPointMode, 1);
  // LEFT and RIGHT move the strip's byte offset, wrapping.
  window.OnChannelButton(IDC_CHANNEL_LEFT);
  EXPECT_EQ(window.ChannelStripOffset(), 255);
  window.OnChannelButton(IDC_CHANNEL_RIGHT);
  window.OnChannelButton(IDC_CHANNEL_RIGHT);
  EXPECT_EQ(window.ChannelStripOffset(), 1);
  EXPECT_TRUE(Rs485Targets().empty());
}

TEST_F(RemotePanelTest, TurboFlipsTheFlagTheFacesAndTheTooltip) {
  CKavelinDlg& window = OpenConnected();
  window.OnPanelUp();
  const auto face = [&](int id) {
    return window.Button(id)->ShownBitmap().toImage().pixelColor(0, 0);
  };
  EXPECT_EQ(face(8240), Colour("BMP\\N_VGA_LEFT.bmp"));
  window.OnCommand(8310);
  EXPECT_EQ(g_lpApp->m_bTurboOn, 1u);
  EXPECT_EQ(face(8240), Colour("BMP\\N_VGA_LEFT_TURBO.bmp"));
  EXPECT_EQ(face(8291), Colour("BMP\\2Col_zoom_turbo_in.bmp"));
  EXPECT_EQ(window.Button(8310)->CurrentState(), 1);
  EXPECT_EQ(window.Button(8310)->toolTip(), "TURBO_ON");
  window.OnCommand(8310);
  EXPECT_EQ(g_lpApp->m_bTurboOn, 0u);
  EXPECT_EQ(face(8240), Colour("BMP\\N_VGA_LEFT.bmp"));
  EXPECT_EQ(window.Button(8310)->CurrentState(), 0);
  EXPECT_EQ(window.Button(8310)->toolTip(), "TURBO_OFF");
  EXPECT_TRUE(Rs485Targets().empty());
}

TEST_F(RemotePanelTest, PowerSendsPortZerosPowerCommandAndFlipsTheState) {
  CKavelinDlg& window = OpenConnected({.type1 = 2, .selectedChannel = 1});
  window.OnChannelButton(IDC_CHANNEL_DVR + 5);  // power addresses port 0 whatever is selected
  g_lpApp->m_bTurboOn = 1;
  window.OnCommand(IDC_POWER);
  Settle();
  EXPECT_EQ(g_lpApp->m_bPowerOn, 1u);
  window.OnCommand(IDC_POWER);
  Settle();
  EXPECT_EQ(g_lpApp->m_bPowerOn, 0u);
  EXPECT_EQ(Rs485Targets(), std::vector<std::string>(2, Rs485Target("05ffc001507f0132")));
  EXPECT_TRUE(Messages().empty());

  // A port type outside the device table has no protocol; without a connection nothing goes.
  g_lpApp->m_SettingINI.m_byChannel1Device = 18;
  window.OnCommand(IDC_POWER);
  g_lpApp->m_SettingINI.m_byChannel1Device = 2;
  g_lpApp->m_bConnected = 0;
  window.OnCommand(IDC_POWER);
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4093), Text(4034)}));
  EXPECT_EQ(Rs485Targets().size(), 2u);
  EXPECT_EQ(g_lpApp->m_bPowerOn, 0u);
}

// PTZ control on port 1 (channel 2) whose device is a type-16 recorder with id 2, by a
// supervisor (authority 60 = 0x3c).
class PtzControlTest : public RemotePanelTest {
 protected:
  CKavelinDlg& OpenPtz(std::uint16_t type = 16) {
    CKavelinDlg& window = OpenConnected({.deviceCode = '2', .type1 = 2, .type2 = type});
    window.OnChannelButton(IDC_CHANNEL_DVR + 2);
    return window;
  }
  void PutInPtzControl(std::uint8_t saved, std::uint8_t ptzType) {
    g_lpApp->m_abPtzControl[1] = 1;
    g_lpApp->m_abySavedDeviceType[1] = saved;
    g_lpApp->m_SettingINI.m_byChannel2Device = ptzType;
  }
};

TEST_F(PtzControlTest, SelectionResultsAndNumbersToCommandsAndState) {
  struct Case {
    const char* name;
    bool inPtz;
    int result;
    int number;
    const char* hex;  // "" nothing sent
    std::vector<int> messages;
    std::uint32_t flag;
    std::uint8_t type;
    int buttonState;
    std::uint8_t storedNumber;
  };
  const Case cases[] = {
      {"enter with 1", false, 1, 1, "06ffc0023c317f0232", {}, 1, 17, 1, 1},
      {"enter with 4", false, 1, 4, "06ffc0023c347f0232", {}, 1, 17, 1, 4},
      {"enter with 0", false, 1, 0, "", {4095}, 0, 16, 0, 3},
      {"enter with 5", false, 1, 5, "", {4095}, 0, 16, 0, 3},
      {"any result but 2 enters", false, 20, 2, "06ffc0023c327f0232", {}, 1, 17, 1, 2},
      {"cancel outside", false, 2, 1, "", {}, 0, 16, 0, 3},
      {"new number inside", true, 1, 3, "06ffc0023c337f0232", {}, 1, 17, 1, 3},
      {"bad number inside", true, 1, 0, "", {4095}, 1, 17, 1, 3},
      {"leave", true, 20, 0, "06ffc0023c517f0232", {}, 0, 16, 0, 3},
      {"cancel inside", true, 2, 1, "", {}, 1, 17, 1, 3},
  };
  CKavelinDlg& window = OpenPtz();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server->ClearRecords();
    box = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.emplace(box);
    g_lpApp->m_abyChannelPtzNumber[1] = 3;
    g_lpApp->m_abPtzControl[1] = 0;
    g_lpApp->m_SettingINI.m_byChannel2Device = 16;
    if (c.inPtz)
      PutInPtzControl(16, 17);
    window.SetButtonState(8312, c.inPtz ? 1 : 0);
    AnswerPtzSelection(c.result, c.number);
    window.OnCommand(8312);
    if (std::string(c.hex).empty()) {
      EXPECT_TRUE(Rs485Targets().empty());
    } else {
      EXPECT_EQ(Rs485Targets(), std::vector<std::string>{Rs485Target(c.hex)});
      EXPECT_TRUE(server->RequestsTo("/RS485Cmd.cgi")[0].body.empty());
    }
    std::vector<std::string> texts;
    for (const int id : c.messages)
      texts.push_back(Text(id));
    EXPECT_EQ(Messages(), texts);
    EXPECT_EQ(g_lpApp->m_abPtzControl[1], c.flag);
    EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel2Device, c.type);
    EXPECT_EQ(window.Button(8312)->CurrentState(), c.buttonState);
    EXPECT_EQ(g_lpApp->m_abyChannelPtzNumber[1], c.storedNumber);
  }
}

TEST_F(PtzControlTest, EnteringGivesThePtzTypeOfTheOwnTypeAndLeavingRestoresIt) {
  CKavelinDlg& window = OpenPtz();
  for (int own = 0; own < 18; ++own) {
    SCOPED_TRACE(own);
    g_lpApp->m_abPtzControl[1] = 0;
    g_lpApp->m_SettingINI.m_byChannel2Device = static_cast<std::uint8_t>(own);
    AnswerPtzSelection(1, 2);
    window.OnPtzControl();
    Settle();
    const std::uint8_t expected = (own == 10 || own == 12 || own == 13 || own == 14 || own == 16)
                                      ? 17
                                  : own == 15 ? 11
                                              : 8;
    EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel2Device, expected);
    EXPECT_EQ(g_lpApp->m_abySavedDeviceType[1], own);
    // The refresh after the accepted command keeps the hot point on only for type 8.
    EXPECT_EQ(g_lpApp->m_byHotPointMode, expected == 8 ? 2 : 1);
    AnswerPtzSelection(CSelectPTZDlg::kResultPtzOff, 0);
    window.OnPtzControl();
    Settle();
    EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel2Device, own);
    EXPECT_EQ(g_lpApp->m_abPtzControl[1], 0u);
  }
  EXPECT_EQ(server->RequestsTo("/RS485Cmd.cgi").size(), 36u);
}

TEST_F(PtzControlTest, RetrModeRefusesAndAFailedSendKeepsTheNewState) {
  CKavelinDlg& window = OpenPtz();
  g_lpApp->m_byDeviceType = 0x84;
  g_lpApp->m_bRetrOn = 1;
  window.OnPtzControl();
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4097)});
  EXPECT_TRUE(runner->Runs().empty());

  g_lpApp->m_bRetrOn = 0;
  server->SetHandler("/RS485Cmd.cgi",
                     [](const fakes::RecordedRequest&) { return fakes::FakeReply::Status(203); });
  AnswerPtzSelection(1, 1);
  window.OnPtzControl();
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4097), Text(4065)}));
  EXPECT_EQ(g_lpApp->m_wMarkCount, 2);
  // The state changed before the send and stays.
  EXPECT_EQ(g_lpApp->m_abPtzControl[1], 1u);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel2Device, 17);
  EXPECT_EQ(window.Button(8312)->CurrentState(), 1);
}

TEST_F(PtzControlTest, TheUpdateMessageLeavesPtzControlWithoutARequest) {
  CKavelinDlg& window = OpenPtz();
  PutInPtzControl(15, 11);
  g_lpApp->m_byHotPointMode = 2;
  g_lpApp->m_bHotPointOn = 1;
  window.SetButtonState(8312, 1);
  platform::PostMessage(window.Handle(), WM_UPDATEPTZCONTROL, 0, 0);
  ProcessEvents();
  EXPECT_EQ(g_lpApp->m_abPtzControl[1], 0u);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel2Device, 15);
  EXPECT_EQ(window.Button(8312)->CurrentState(), 0);
  EXPECT_EQ(g_lpApp->m_byHotPointMode, 1);
  EXPECT_TRUE(Rs485Targets().empty());
  // Out of PTZ control it does nothing.
  g_lpApp->m_SettingINI.m_byChannel2Device = 9;
  platform::PostMessage(window.Handle(), WM_UPDATEPTZCONTROL, 0, 0);
  ProcessEvents();
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel2Device, 9);
}

TEST_F(PtzControlTest, TheSelectionDialogShowsEscOnlyInPtzControl) {
  OpenPtz();
  g_lpApp->m_abyChannelPtzNumber[1] = 3;
  for (const bool inPtz : {false, true}) {
    SCOPED_TRACE(inPtz);
    g_lpApp->m_abPtzControl[1] = inPtz ? 1 : 0;
    CSelectPTZDlg dialog;
    QTimer::singleShot(0, &dialog, [&] {
      EXPECT_EQ(dialog.windowTitle(), "Select PTZ device");
      auto* number = dialog.Controls().Get<QLineEdit>(CSelectPTZDlg::IDC_NUMBER);
      EXPECT_EQ(number->text(), "3");
      EXPECT_EQ(dialog.GetDlgItem(CSelectPTZDlg::IDC_ESC)->isVisible(), inPtz);
      EXPECT_EQ(dialog.GetDlgItem(ui::IDCANCEL)->geometry(),
                inPtz ? QRect(90, 42, 76, 37) : QRect(172, 42, 98, 37));
      EXPECT_EQ(dialog.GetDlgItem(CSelectPTZDlg::IDC_ESC)->toolTip(), "Back to control center ");
      if (inPtz) {
        QTest::mouseClick(dialog.Controls().Get<QPushButton>(CSelectPTZDlg::IDC_ESC),
                          Qt::LeftButton);
      } else {
        number->setText("2");
        QTest::mouseClick(dialog.Controls().Get<QPushButton>(ui::IDOK), Qt::LeftButton);
      }
    });
    const int result = dialog.DoModal();
    EXPECT_EQ(result, inPtz ? CSelectPTZDlg::kResultPtzOff : ui::IDOK);
    if (!inPtz) {
      EXPECT_EQ(dialog.m_nSelectNo, 2);
    }
  }
}

// The hot point over a PTZ camera (type 8) on port 1, id 2, by a supervisor.
class HotPointTest : public RemotePanelTest {
 protected:
  CKavelinDlg& OpenHotPoint(Session s = {}) {
    s.deviceCode = '2';
    s.type2 = 8;
    CKavelinDlg& window = OpenConnected(s);
    window.OnChannelButton(IDC_CHANNEL_DVR + 2);
    EXPECT_EQ(g_lpApp->m_byHotPointMode, 2);
    return window;
  }
  static std::string Command(std::uint8_t cell) {
    return CommandHexText(HotPointCommand(2, 60, cell));
  }
  void ClickAt(int x, int y) {
    g_lpApp->m_wClickX = static_cast<std::uint16_t>(x);
    g_lpApp->m_wClickY = static_cast<std::uint16_t>(y);
    platform::PostMessage(m_window->Handle(), WM_HOTPOINTCLICK, 0, 0);
    ProcessEvents();
    Settle();
  }
};

TEST_F(HotPointTest, ClicksOnTheVideoSendTheirCell) {
  CKavelinDlg& window = OpenHotPoint();
  const QRect video = window.VideoRect();  // 704 x 480: cells 44 x 40
  // A real press on the window posts the click.
  QTest::mousePress(&window, Qt::LeftButton, {}, video.topLeft() + QPoint(1, 1));
  QTest::mouseRelease(&window, Qt::LeftButton, {}, video.topLeft() + QPoint(1, 1));
  ProcessEvents();
  EXPECT_EQ(Rs485Targets(), std::vector<std::string>{Rs485Target(Command(0x00))});
  EXPECT_TRUE(server->RequestsTo("/RS485Cmd.cgi")[0].body.empty());
  EXPECT_EQ(g_lpApp->m_wMarkX, 1);
  EXPECT_EQ(g_lpApp->m_wMarkY, 1);
  EXPECT_EQ(g_lpApp->m_wMarkCount, 10);

  server->ClearRecords();
  ClickAt(video.right(), video.bottom());                    // the last pixel inside
  ClickAt(video.left(), video.top() + 5);                    // the border
  ClickAt(video.left() + 50, video.top() + video.height());  // below
  EXPECT_EQ(Rs485Targets(), std::vector<std::string>{Rs485Target(Command(0xBF))});
  EXPECT_EQ(g_lpApp->m_wMarkX, 703);
  EXPECT_EQ(g_lpApp->m_wMarkY, 479);
  EXPECT_TRUE(Messages().empty());

  // A refused request shows its message.
  server->SetHandler("/RS485Cmd.cgi",
                     [](const fakes::RecordedRequest&) { return fakes::FakeReply::Status(204); });
  g_lpApp->m_wMarkCount = 0;
  ClickAt(video.left() + 100, video.top() + 100);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4065)});
  EXPECT_EQ(g_lpApp->m_wMarkCount, 0);
}

TEST_F(HotPointTest, TheLastRowAndColumnTakeTheClicksOfAnUnevenArea) {
  {
    CKavelinDlg& window = OpenHotPoint({.width = 176, .height = 112});  // skin 4: cells 11 x 9
    const QRect video = window.VideoRect();
    ASSERT_EQ(video.size(), QSize(176, 112));
    ClickAt(video.left() + 1, video.top() + 109);
    ClickAt(video.left() + 175, video.top() + 111);
    EXPECT_EQ(Rs485Targets(),
              (std::vector<std::string>{Rs485Target(Command(0xB0)), Rs485Target(Command(0xBF))}));
    m_window.reset();
    StopMainTimer();
    FreeCtrlFileDevices();
  }
  server->ClearRecords();
  UseWorkArea(QRect(0, 0, 1366, 768));  // full screen: cells 85 x 64
  OpenHotPoint();
  g_lpApp->m_bFullScreen = 1;
  ClickAt(1361, 700);
  EXPECT_EQ(Rs485Targets(), std::vector<std::string>{Rs485Target(Command(0xAF))});
  EXPECT_EQ(g_lpApp->m_wMarkX, 1361);
  EXPECT_EQ(g_lpApp->m_wMarkY, 700);
}

TEST_F(HotPointTest, AnAcceptedClickPutsTheCrossOnTheNextTenFrames) {
  CKavelinDlg& window = OpenHotPoint({.width = 352, .height = 240});
  const QRect video = window.VideoRect();
  ClickAt(video.left() + 100, video.top() + 60);
  ASSERT_EQ(g_lpApp->m_wMarkCount, 10);
  const QPoint mark = video.topLeft() + QPoint(100, 60);
  for (int frame = 1; frame <= 11; ++frame) {
    SCOPED_TRACE(frame);
    auto picture = CodedPicture(352, 240);
    Hand(picture);
    std::thread kernel([&] { window.ShowImage(); });
    kernel.join();
    ProcessEvents();
    const bool cross = PixelAt(mark.x(), mark.y()) == QColor(0xFF, 0, 0);
    EXPECT_EQ(cross, frame <= 10);
  }
}

TEST_F(HotPointTest, TheHotPointCommandTogglesTheMode) {
  CKavelinDlg& window = OpenHotPoint();
  window.OnHotPoint();
  EXPECT_EQ(g_lpApp->m_byHotPointMode, 1);
  EXPECT_EQ(g_lpApp->m_bHotPointOn, 0u);
  // Off, a press on the video posts nothing.
  QTest::mouseClick(&window, Qt::LeftButton, {}, window.VideoRect().center());
  ProcessEvents();
  EXPECT_TRUE(Rs485Targets().empty());
  window.OnHotPoint();
  EXPECT_EQ(g_lpApp->m_byHotPointMode, 2);
  EXPECT_EQ(g_lpApp->m_bHotPointOn, 1u);
  // The menu command "PTZ HOT POINT" acts as the button.
  window.OnCommand(32782);
  EXPECT_EQ(g_lpApp->m_byHotPointMode, 1);
  EXPECT_EQ(g_lpApp->m_bHotPointOn, 0u);
  window.OnCommand(32782);
  EXPECT_EQ(g_lpApp->m_byHotPointMode, 2);
  g_lpApp->m_byHotPointMode = 0;
  window.OnHotPoint();
  EXPECT_EQ(g_lpApp->m_byHotPointMode, 0);
  // R.E.T.R. and digital zoom, button or menu, change nothing and send nothing.
  g_lpApp->m_bRetrOn = 0;
  for (const int id : {8331, 32781, 8353})
    window.OnCommand(id);
  EXPECT_EQ(g_lpApp->m_bRetrOn, 0u);
  EXPECT_EQ(g_lpApp->m_byHotPointMode, 0);
  EXPECT_TRUE(Rs485Targets().empty());
}

}  // namespace
}  // namespace main_window_test
