// The remote-control panel's requests over a scripted port (ScriptedDevicePort) in place of the
// sender: one request at a time in the order pressed while the window goes on painting, what a
// refusal and a full queue drop (message 4065, the presses undone), and the window's end, after
// which nothing of a request shows. The test answers each request by hand;
// what must not happen is checked once the port's record says what came before it.
#include <QTest>
#include <QTimer>
#include <thread>

#include "commands_fixture.h"
#include "scripted_device_port.h"
#include "ui/main/select_ptz_dlg.h"

namespace main_window_test {
namespace {

using namespace mainwin;

std::vector<std::uint8_t> Bytes(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

class PanelRequestsTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    m_engine = port.Bind(m_engine);
  }
  void TearDown() override {
    port.Open();
    CommandsTest::TearDown();
  }
  // Presses a shown key as the operator does.
  static void Press(CKavelinDlg& window, int id) {
    QTest::mouseClick(window.Button(id), Qt::LeftButton);
  }
  // The requests that reached the port, once the window's requests have settled; none went
  // past it to the server.
  std::vector<std::string> Sent() {
    Settle();
    EXPECT_TRUE(server->RequestsTo("/RS485Cmd.cgi").empty());
    return port.Urls();
  }
  ScriptedDevicePort port;
};

// While a key's request is held the window goes on: its events run, a new frame from the
// painter's thread is painted, and the keys pressed meanwhile wait in order behind it (never a
// second request at once). The bytes are the keys' own.
TEST_F(PanelRequestsTest, TheWindowPaintsNewFramesWhileAKeysRequestWaitsAndKeysFollowInOrder) {
  CKavelinDlg& window = OpenConnected({.width = 352, .height = 240});
  window.OnPanelUp();
  ProcessEvents();
  Press(window, 8232);  // PLAY
  ASSERT_TRUE(port.WaitArrived(1));
  EXPECT_TRUE(window.Requests().Pending());
  // The window's events run.
  bool ticked = false;
  QTimer::singleShot(0, &window, [&] { ticked = true; });
  EXPECT_TRUE(fakes::WaitUntil([&] { return ticked; }));
  // A frame handed over now is painted now.
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  std::thread kernel([&] { window.ShowImage(); });
  kernel.join();
  ProcessEvents();
  const QRect video = window.VideoRect();
  EXPECT_EQ(PixelAt(video.left() + 17, video.top() + 3), QColor(0x80, 3, 17));
  // Keys pressed meanwhile wait their turn in the queue: the port has the first alone.
  Press(window, 8230);  // PAUSE
  Press(window, 8226);  // STOP
  EXPECT_EQ(window.Requests().Waiting(), 2u);
  EXPECT_EQ(port.Requests().size(), 1u);
  for (int i = 0; i < 3; ++i)
    port.Answer(1);
  EXPECT_EQ(Sent(), (std::vector<std::string>{Rs485Target("05ffc0013d7f0132"),
                                              Rs485Target("05ffc0013b7f0132"),
                                              Rs485Target("05ffc001377f0132")}));
  const auto requests = port.Requests();
  EXPECT_EQ(requests[0].body, Bytes("05ffc0013d7f0132"));
  EXPECT_EQ(requests[2].body, Bytes("05ffc001377f0132"));
  EXPECT_EQ(port.MaxHeld(), 1);
  EXPECT_TRUE(Messages().empty());
}

// Close works while a request waits: the window ends at once, the request is cut by its stop
// and nothing of it shows afterwards.
TEST_F(PanelRequestsTest, CloseEndsTheWindowWhileAKeysRequestWaits) {
  CKavelinDlg& window = OpenConnected();
  window.OnCommand(8250);
  window.OnCommand(8251);
  ASSERT_TRUE(port.WaitArrived(1));
  window.Button(IDC_TITLE_CLOSE)->click();
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.Requests().Pending());
  EXPECT_TRUE(window.Requests().Stopped());
  // The held request ended by its stop before the close returned.
  EXPECT_EQ(port.Ends(), std::vector<ScriptedDevicePort::End>{ScriptedDevicePort::End::kStopped});
  ProcessEvents();
  EXPECT_EQ(port.Requests().size(), 1u);
  EXPECT_TRUE(box->Shown().empty());
  EXPECT_EQ(window.Requests().Dropped(), 1u);
}

// A server that does not answer collects no presses: what waits behind a refused request is
// dropped and the failure shows once; beyond the queue's room a press is dropped at once and
// says so as a refused send does (4065), each time.
TEST_F(PanelRequestsTest, KeysBehindARefusedRequestAreDroppedWithOneMessage) {
  CKavelinDlg& window = OpenConnected();
  window.OnCommand(8250);
  ASSERT_TRUE(port.WaitArrived(1));
  const std::size_t room = DeviceRequestQueue::kMaxWaiting;
  for (std::size_t i = 0; i < room + 3; ++i)
    window.OnCommand(8251);
  EXPECT_EQ(window.Requests().Waiting(), room);
  EXPECT_EQ(window.Requests().Dropped(), 3u);
  EXPECT_EQ(box->Count(), 3u);
  port.Answer(0);
  EXPECT_EQ(Messages(), std::vector<std::string>(4, Text(4065)));
  EXPECT_EQ(port.Requests().size(), 1u);
  EXPECT_EQ(window.Requests().Dropped(), 3u + room);
  // The next press goes out again, in the order pressed.
  port.Open();
  window.OnCommand(8252);
  window.OnCommand(8250);
  EXPECT_EQ(Sent(), (std::vector<std::string>{Rs485Target("05ffc001017f0132"),
                                              Rs485Target("05ffc001037f0132"),
                                              Rs485Target("05ffc001017f0132")}));
  EXPECT_EQ(Messages(), std::vector<std::string>(4, Text(4065)));
}

// PTZ control on port 1 (a type-16 recorder, id 2) behind a key request the port holds.
class PtzRequestsTest : public PanelRequestsTest {
 protected:
  CKavelinDlg& OpenHeld() {
    CKavelinDlg& window = OpenConnected({.deviceCode = '2', .type1 = 2, .type2 = 16});
    g_lpApp->m_abyChannelPtzNumber[1] = 3;
    window.OnCommand(8250);  // CH 1 on port 0, held by the port
    EXPECT_TRUE(port.WaitArrived(1));
    window.OnChannelButton(IDC_CHANNEL_DVR + 2);
    return window;
  }
  struct PortState {
    std::uint32_t flag;
    std::uint8_t type;
    std::uint8_t number;
    std::uint8_t hotPointMode;
    int button;
    bool operator==(const PortState&) const = default;
  };
  static PortState StateOf(CKavelinDlg& window) {
    return {g_lpApp->m_abPtzControl[1].load(), g_lpApp->m_SettingINI.m_byChannel2Device,
            g_lpApp->m_abyChannelPtzNumber[1].load(), g_lpApp->m_byHotPointMode.load(),
            window.Button(8312)->CurrentState()};
  }
};

// A PTZ CONTROL press that finds the queue full never reaches the camera: the window stays
// out of PTZ control, and the press says so as a refused send does (4065, the cross on the
// next two frames).
TEST_F(PtzRequestsTest, APressThatFindsTheQueueFullChangesNothingAndSaysSo) {
  CKavelinDlg& window = OpenHeld();
  for (std::size_t i = 0; i < DeviceRequestQueue::kMaxWaiting; ++i)
    window.OnCommand(8251);
  const PortState before = StateOf(window);
  EXPECT_EQ(before, (PortState{0, 16, 3, 1, 0}));
  g_lpApp->m_wMarkCount = 0;
  AnswerPtzSelection(1, 2);
  window.OnPtzControl();
  EXPECT_EQ(StateOf(window), before);
  EXPECT_EQ(g_lpApp->m_wMarkCount, 2);
  EXPECT_EQ(box->Count(), 1u);
  EXPECT_EQ(window.Requests().Dropped(), 1u);
  port.Open();
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4065)});
  EXPECT_EQ(Sent().size(), 1 + DeviceRequestQueue::kMaxWaiting);
  EXPECT_EQ(StateOf(window), before);
}

// Presses that wait behind a request the port refuses never go: each is undone, latest first,
// and the refusal's own message is the only one.
TEST_F(PtzRequestsTest, PressesDroppedBehindARefusedRequestAreUndone) {
  CKavelinDlg& window = OpenHeld();
  const PortState before = StateOf(window);
  AnswerPtzSelection(1, 2);
  window.OnPtzControl();  // enters PTZ control with number 2
  EXPECT_EQ(StateOf(window), (PortState{1, 17, 2, 2, 1}));
  AnswerPtzSelection(1, 4);
  window.OnPtzControl();  // a new number, inside
  EXPECT_EQ(StateOf(window), (PortState{1, 17, 4, 2, 1}));
  EXPECT_EQ(window.Requests().Waiting(), 2u);
  port.Answer(0);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4065)});
  EXPECT_EQ(StateOf(window), before);
  EXPECT_EQ(g_lpApp->m_abySavedDeviceType[1], 0);
  EXPECT_EQ(Sent().size(), 1u);
}

// What changed the port after a press that is then dropped stands: the undo leaves it.
TEST_F(PtzRequestsTest, AChangeMadeAfterADroppedPressStands) {
  CKavelinDlg& window = OpenHeld();
  AnswerPtzSelection(1, 2);
  window.OnPtzControl();
  // PTZ control ends without a request while the press waits.
  platform::PostMessage(window.Handle(), WM_UPDATEPTZCONTROL, 0, 0);
  ProcessEvents();
  const PortState left = StateOf(window);
  EXPECT_EQ(left, (PortState{0, 16, 2, 1, 0}));
  port.Answer(0);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4065)});
  EXPECT_EQ(StateOf(window), left);
}

}  // namespace
}  // namespace main_window_test
