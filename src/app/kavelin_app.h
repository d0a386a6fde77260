// The application object: start-up (InitInstance) shows the login window, builds the process
// and login resources and runs the main window; shut-down (ExitInstance) takes them down in
// order. The resource routines are also run by the init and terminate threads around a
// re-login, and the shut-down routines by the main window when it is destroyed; every close and
// free clears its field, so a second run finds nothing to do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/window_message.h"

// Buffers of the stream rings.
inline constexpr std::size_t kSocketSlotBytes = 102400;
inline constexpr std::size_t kSocketSlots = 30;
inline constexpr std::size_t kDecodedSlotBytes = 1572864;
inline constexpr std::size_t kDecodedSlots = 20;
inline constexpr std::size_t kFrameInfoBytes = 73;

// Stop time-outs of the threads, in milliseconds.
inline constexpr std::uint32_t kMailboxLockAtExitMs = 2000;

// Start-up's fixed texts of the login window.
inline constexpr const char* kDefaultLoginPassword = "wopal";
inline constexpr const char* kLoginBitRateText = "1200";

// User levels of the login reply.
inline constexpr std::uint16_t kUserLevelReLogin = 100;
inline constexpr std::uint16_t kUserLevelWaitLonger = 102;
constexpr bool OpensMainWindow(std::uint16_t level) {
  return level == 0 || level == 10 || level == 20 || level == 30;
}

// The resolution begun for the timers: the larger of the minimum period and 1, but not above
// the maximum period.
constexpr std::uint16_t TimerResolution(std::uint32_t minPeriod, std::uint32_t maxPeriod) {
  std::uint32_t resolution = minPeriod > 1 ? minPeriod : 1;
  if (resolution > maxPeriod) {
    resolution = maxPeriod;
  }
  return static_cast<std::uint16_t>(resolution);
}

// True when the client can take a stream of this size. The MPEG-4 decoder is opened at the
// reply's size before the first picture arrives, and its maps hold 1 x 1 to 720 x 576: a larger
// MPEG-4 stream, or one of width or height 0 (a reply without its size fields), is refused, and
// the operator told so, rather than shown as a black picture for good. JPEG takes any size: the
// window's layout makes an unknown size 320 x 240 (ClassifyStreamSize) and a JPEG picture of
// another size than the session's is dropped.
bool StreamSizeFits(std::uint8_t videoFormat, std::uint16_t width, std::uint16_t height);

// Posted to the main window when the stream's picture is one the client cannot show, announced
// by a re-login's stream reply or met in the stream: wParam its width, lParam its height. The
// window ends the session (RefusePicture) and start-up opens the login window again.
inline constexpr std::uint32_t WM_PICTURETOOLARGE = platform::WM_USER + 0x1C;  // 0x41C

// The message start-up shows for such a picture.
std::string PictureTooLargeText(std::uint16_t width, std::uint16_t height);
// Notes that the session ends for a picture of this size (the first such note counts); true
// for the first.
bool RefusePicture(std::uint16_t width, std::uint16_t height);

class CKavelinApp {
 public:
  int InitInstance();
  int ExitInstance();

  int GetLocalAddress();
  int InitApplicationData();
  int LoadLanguageResource();
  int GetDisplayCaps();
  int InitialSemaphore();
  int FreeSemaphore();
  int AllocateSystemBuffer();
  int FreeSystemBuffer();
  int InitProcessResource();
  int ExitProcessResource();
  int InitLoginResource();
  int ExitLoginResource();
};

extern CKavelinApp theApp;

// The main window calls this when it has opened: it starts the receivers and the life-time
// count (the receivers' start events and m_hConnectionStartEvent).
void SignalMainWindowOpened();

// The periodic 1 ms timer that drives the show and audio threads: every tick sets both
// MainTimerTickEvents. Started by the main window when it opens; stopped by
// ExitProcessResource. Returns the timer id (m_uMainTimerId), 0 when it cannot start.
std::uint32_t StartMainTimer();
void StopMainTimer();

// Ring indexes and the stream headers' alarm flags back to their start values.
void ResetStreamState();
