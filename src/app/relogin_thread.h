// The re-login thread: logs in again after a lost connection (or on CONNECT), keeps the main
// window informed with status posts, applies the new stream size to the layout and has the init
// thread rebuild the stream threads, then starts the receivers.
#pragma once

#include <cstdint>

#include "platform/thread.h"
#include "platform/window_message.h"

class CAppData;

// Status posts to the main window: lParam is the status code, wParam its argument.
inline constexpr std::uint32_t WM_SHOWSTATUS = platform::WM_USER + 0x1B;  // 0x41B
inline constexpr int kStatusElapsed = 0;     // wParam: seconds since the thread started
inline constexpr int kStatusStartLogin = 1;  // wParam: the text kStartLoginText
inline constexpr int kStatusFailed = 3;
inline constexpr int kStatusLoggedIn = 5;
inline constexpr int kStatusRetrying = 6;
inline constexpr int kStatusWaitLonger = 7;
inline constexpr const char* kStartLoginText = "Start login";
// The status line while the streams start at the main window's opening, until the painter's
// first rates replace it. After a re-login the line keeps the re-login's last text ("Start
// login") until then.
inline constexpr const char* kStartToGetImageText = "Start to get image!!";

// Waits of the attempt loop, in milliseconds.
inline constexpr std::uint32_t kReLoginPauseMs = 2000;
inline constexpr std::uint32_t kReLoginAfterStatusMs = 4000;
inline constexpr std::uint32_t kReLoginWaitLongerMs = 40000;
inline constexpr std::uint32_t kReLoginInitDoneMs = 5000;

// The back-off after `failures` failed attempts: (failures / 2000 + 1) x 3 s, at most 50 s.
constexpr std::uint32_t ReLoginBackOffMs(std::uint64_t failures) {
  const std::uint64_t steps = failures / 2000u + 1u;  // no product that could wrap
  return steps >= 17u ? 50000u : static_cast<std::uint32_t>(steps * 3000u);
}

// Display layout derived from a stream's width and height.
struct StreamLayout {
  std::int32_t resolution = 2;  // m_nImageResolution
  std::uint8_t standard = 1;    // m_byVideoStandard: 1 lines 112/240/480, 2 lines 144/288/576
  std::uint16_t skinIndex = 1;  // m_wSkinIndex
  std::uint8_t skinA = 0;       // m_bySkinA
  std::uint8_t skinB = 0;       // m_bySkinB
  std::uint8_t skinMode = 1;    // m_bySkinMode
  std::uint16_t width = 0;      // the frame width (an unknown width becomes 320)
  std::uint16_t height = 0;     // the frame height (an unknown height becomes 240)
  friend bool operator==(const StreamLayout&, const StreamLayout&) = default;
};

StreamLayout ClassifyStreamSize(std::uint16_t width, std::uint16_t height);
// The layout of a width x height stream written into the data block (the frame size, the
// resolution mode, the video standard and the skin), as the main window's opening and the
// re-login after a new stream size take it; returns it.
StreamLayout ApplyStreamLayout(CAppData& app, std::uint16_t width, std::uint16_t height);

// A session whose streams end sooner than this after they started (a device that closes the
// stream at once, or sends a datagram too short to be a packet) is not logged into again at once:
// the re-login first waits as after a failed attempt, so that such a device gets a login every
// few seconds, not hundreds a minute. Shorter than a stream that goes silent (7 s over TCP) or
// never forms a frame (10 s).
inline constexpr std::uint32_t kShortSessionMs = 5000;

// True when a session that started at startTicks and ended at nowTicks was a short one.
constexpr bool IsShortSession(std::uint32_t startTicks, std::uint32_t nowTicks) {
  return static_cast<std::uint32_t>(nowTicks - startTicks) < kShortSessionMs;
}

std::uint32_t ReLoginThread(platform::StopToken stop);
// The same after a short session: the first attempt waits as after a failed one.
std::uint32_t ReLoginThreadAfterShortSession(platform::StopToken stop);

// The main window's CONNECT button: starts the re-login thread into h_ReLoginThread (one still
// running is stopped first, within 30 ms). False when the thread cannot be created.
bool ConnectReLogin();
// The DISCONNECT button: ends the re-login thread, clears m_bConnected and posts the feedback
// code 5, waiting for the mailbox lock at most lockTimeoutMs so that the window never hangs on
// a busy kernel thread. False when the code could not be posted.
bool DisconnectReLogin(std::uint32_t lockTimeoutMs);
