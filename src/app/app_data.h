// The application data block: the program's one block of shared state, created once at
// start-up, reached by every thread through g_lpApp, and deleted after every thread has
// stopped. The block has no operations of its own; the code that owns a field says how it is
// used.
//
// Handles: threads are owned here (ThreadHandle). Events and semaphores are shared (EventHandle,
// SemaphoreHandle): a thread takes its own copies when it starts, so closing a handle (resetting
// the field, which clears it) never frees an object another thread still waits on. Closing and
// creating handles is done by start-up, shut-down and the init/terminate threads only, never
// while another thread reads the same field.
//
// Flags and counters that threads share without a lock are std::atomic.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "app/guarded_pointer.h"
#include "app/schedule_table.h"
#include "app/setting_ini.h"
#include "app/trace.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "platform/window_message.h"

using EventHandle = std::shared_ptr<platform::Event>;
using SemaphoreHandle = std::shared_ptr<platform::Semaphore>;
using ThreadHandle = std::unique_ptr<platform::Thread>;

// Types owned by other parts of the program, held here by pointer only.
class CKavelinDlg;
class CSysConfPropSheet;
class CMotionDetectionDlg;
class CMpeg4DecoderContext;
struct CtrlFileDevice;

// The media objects the block owns (section 36-37 below). The block holds them through one
// owning pointer, so this header needs none of the media headers; code that uses one of them
// includes its header.
class CSystemBuffer;
class CAlarmRecord;
class CUserRecord;
class CSchRecord;
class CAlarmWav;
class CFrameHeader;
struct CAppMediaObjects;

// A fixed-size text shared between threads: the session id and the local address. Reads and
// writes are whole and guarded, and a text never grows past its buffer (it is cut).
template <std::size_t N>
class SharedText {
 public:
  static constexpr std::size_t kCapacity = N;
  // Stores at most N - 1 characters (as a C buffer of N bytes with its terminator would).
  void Set(std::string_view text) {
    const std::lock_guard lock(m_lock);
    m_text.assign(text.substr(0, N - 1));
  }
  std::string Get() const {
    const std::lock_guard lock(m_lock);
    return m_text;
  }
  void Clear() { Set({}); }

 private:
  mutable std::mutex m_lock;
  std::string m_text;
};

// The session id text of the login reply (a 64-byte buffer): every CGI request sends it as
// "SessionID", and the stream and report requests in their "Session: " line.
extern SharedText<64> SessionIdBuffer;
// The client computer's first IPv4 address as dotted text; the Host header of every request.
extern SharedText<16> LocalAddressText;

// The peripherals of the login reply: two records, channel 1 then channel 2.
struct PeripheralInfo {
  struct Record {
    std::uint8_t m_byDeviceId = 0;
    std::uint16_t m_wDeviceType = 0;
    std::uint32_t m_dwBaudRate = 0;
  };
  std::array<Record, 2> m_Records{};
};

// One of the ten records the main window and the configuration pages keep: twelve bytes of
// values followed by two texts (the account list: app/account_table.h).
struct CTextPairRecord {
  std::array<std::uint8_t, 12> m_abyValues{};
  std::string m_strFirst;
  std::string m_strSecond;
};

// Sizes of the cached configuration records, as the server sends them.
inline constexpr std::size_t kIpConfigBytes = 24;
inline constexpr std::size_t kSecureConfigBytes = 408;
inline constexpr std::size_t kDnsConfigBytes = 124;
inline constexpr std::size_t kSmtpConfigBytes = 516;
inline constexpr std::size_t kFtpConfigBytes = 104;
inline constexpr std::size_t kPppoeConfigBytes = 100;
inline constexpr std::size_t kSystemConfigBytes = 36;
inline constexpr std::size_t kSntpConfigBytes = 40;
inline constexpr std::size_t kImgConfigBytes = 12;
inline constexpr std::size_t kWlanConfigBytes = 104;
inline constexpr std::size_t kTriggerConfigBytes = 12;
inline constexpr std::size_t kRs485ConfigBytes = 20;
inline constexpr std::size_t kPentaConfigBytes = 156;
inline constexpr std::size_t kInfConfigBytes = 56;

// LIFE-TIME value meaning "no limit".
inline constexpr std::uint32_t kNoLifeTimeLimit = 4294967295u;
inline constexpr const char* kProgramVersionText = "0.1.1.7";

class CAppData {
 public:
  CAppData();
  ~CAppData();
  CAppData(const CAppData&) = delete;
  CAppData& operator=(const CAppData&) = delete;

  // 1. Process threads and events.
  ThreadHandle h_Process_KernelMessageThread;
  std::uint32_t h_Process_KernelMessageThreadId = 0;
  ThreadHandle h_Process_Terminate_Thread;
  std::uint32_t h_Process_Terminate_ThreadId = 0;
  ThreadHandle h_Process_Init_Thread;
  std::uint32_t h_Process_Init_ThreadId = 0;
  EventHandle h_Process_Notify_TerminateEvent;
  EventHandle m_hTerminateDoneEvent;
  EventHandle Process_Notify_InitEvent;
  EventHandle m_hInitDoneEvent;
  EventHandle NotifyGetJPEGImageThreadResetEvent;
  EventHandle ReceiverResetDoneImageEvent;
  EventHandle NotifyGetAudioThreadResetEvent;
  EventHandle ReceiverResetDoneAudioEvent;
  EventHandle h_NotifyMessageTriggerEvent;
  SemaphoreHandle h_KernelMessageSemaphore;
  SemaphoreHandle h_FeedBackMessageTriggerSemaphore;
  ThreadHandle ConnectionThread;
  std::uint32_t ConnectionThreadId = 0;

  // 2. Stream threads (per login).
  ThreadHandle GetJpegImageThread;
  std::uint32_t GetJpegImageThreadId = 0;
  ThreadHandle h_GetAudioThread;
  std::uint32_t h_GetAudioThreadId = 0;
  ThreadHandle ComposeImageDataThread;
  std::uint32_t ComposeImageDataThreadId = 0;
  ThreadHandle ShowImageDataThread;
  std::uint32_t ShowImageDataThreadId = 0;
  ThreadHandle PlayAudioThread;
  std::uint32_t PlayAudioThreadId = 0;
  ThreadHandle RTCPThread;
  std::uint32_t RTCPThreadId = 0;

  // 3. Other threads.
  ThreadHandle h_LoginThread;
  std::uint32_t h_LoginThreadId = 0;
  ThreadHandle h_ReLoginThread;
  std::uint32_t h_ReLoginThreadId = 0;
  ThreadHandle h_PlayAudioWavThread;
  std::uint32_t h_PlayAudioWavThreadId = 0;

  // 4. Per-login events, then the connection and alarm-sound events.
  EventHandle StartToGetJpegImageEvent;
  EventHandle StartToGetAudioEvent;
  EventHandle h_EndofGetJpegImageEvent;  // manual-reset: set while the streams stop
  EventHandle ReceiverStartedEvent;
  EventHandle ShowStopEvent;
  EventHandle EndofPlayAudioEvent;
  EventHandle FinishShowImageJobEvent;
  EventHandle m_hConnectionStartEvent;
  EventHandle m_hConnectionStopEvent;
  EventHandle m_hAlarmWavEvent;
  EventHandle m_hAlarmWavStopEvent;
  EventHandle StreamRequestSentEvent;
  EventHandle RTCPStopEvent;

  // 5. Connection state.
  std::atomic<std::uint32_t> m_bStatusShown{0};
  std::atomic<std::uint32_t> m_bConnected{0};
  std::atomic<std::uint32_t> m_bStreamsStarted{0};

  // 6. Main-window picture state.
  std::atomic<std::uint8_t> m_byPictureMode{1};
  std::uint16_t m_wPictureValueA = 0;
  std::uint16_t m_wPictureValueB = 0;
  std::array<std::atomic<std::uint16_t>, 4> m_wImageAdjust{50, 50, 50, 50};
  std::uint16_t m_wPictureValueC = 0;

  // 7.-11.
  std::uint32_t m_bMmxPresent = 0;
  std::atomic<std::uint32_t> m_bReceiving{0};
  std::atomic<std::uint32_t> m_bFullScreen{0};
  std::atomic<std::uint32_t> m_bAvSwitched{0};
  float m_fDisplayScale = 1.0f;

  // 12. Stream buffers (allocated at start-up, freed at exit; sizes where they are allocated).
  std::unique_ptr<std::uint8_t[]> m_pImageSocketBuffer;
  std::unique_ptr<std::uint32_t[]> m_pImageSocketLength;
  std::unique_ptr<std::uint8_t[]> m_pAudioSocketBuffer;
  std::unique_ptr<std::uint32_t[]> m_pAudioSocketLength;
  std::unique_ptr<std::uint8_t[]> m_pStagingBuffer;
  std::unique_ptr<std::uint8_t[]> m_pImageBuffer;
  std::unique_ptr<std::uint8_t[]> m_pFrameInfoBlocks;
  std::unique_ptr<std::uint8_t[]> m_pShowImageBuffer;  // allocated by the main window
  std::unique_ptr<std::uint8_t[]> m_pPaintBuffer;
  // The picture the show thread hands over and its information block (the motion page reads
  // them too); they point into m_pImageBuffer and m_pFrameInfoBlocks.
  std::atomic<std::uint8_t*> m_pCurrentPicture{nullptr};
  std::atomic<std::uint8_t*> m_pCurrentFrameInfo{nullptr};

  // 13. Ring semaphores: free count and filled count of each ring.
  SemaphoreHandle ImageSocketBufferSem;
  SemaphoreHandle ImageSocketBufferRelSemaphore;
  SemaphoreHandle AudioSocketBufferSem;
  SemaphoreHandle AudioSocketBufferRelSemaphore;
  SemaphoreHandle JPEGImageBufferSemaphore;
  SemaphoreHandle JPEGImageBufferRelSemaphore;
  SemaphoreHandle JPEGAudioBufferSemaphore;
  SemaphoreHandle JPEGAudioBufferRelSemaphore;

  // 14. Timer and ring indexes.
  std::array<EventHandle, 2> MainTimerTickEvent;  // [0] show tick, [1] audio tick
  EventHandle SyncAudioEvent;
  std::uint16_t m_wImageSocketWriteIndex = 0;
  std::uint16_t m_wImageSocketReadIndex = 0;
  std::uint16_t m_wAudioSocketWriteIndex = 0;
  std::uint16_t m_wAudioSocketReadIndex = 0;
  std::uint16_t m_wStagingIndex = 0;
  std::uint16_t m_wImageBufferWriteIndex = 0;
  std::uint16_t m_wAudioPlayWriteIndex = 0;
  std::uint16_t m_wTimerResolution = 1;
  std::atomic<std::uint32_t> m_uMainTimerId{0};
  std::atomic<std::uint32_t> m_wAudioFrameLength{
      0};  // last audio frame's length (compose -> audio)

  // 15. Mailbox.
  std::atomic<std::uint32_t> KernelMessageCode{0};

  // 16. Rights and layout.
  std::atomic<std::uint8_t> m_byUserRightsRow{2};
  std::atomic<std::uint8_t> m_byVideoStandard{1};
  std::atomic<std::uint8_t> m_bySkinA{0};  // bitmap-set index
  std::atomic<std::uint8_t> m_bySkinB{0};  // its copy, the display mode of the status strip
  std::atomic<std::int32_t> m_nShowAudioState{-1};  // shared by the show and audio threads

  // 17. Alarm sound (the loaded sound object lives with the alarm-sound code).
  std::atomic<std::uint32_t> m_bAlarmWavPending{0};

  // 18.
  std::atomic<std::uint32_t> m_dwAudioTime{0};  // audio-play thread: time of the last block, ms
  std::array<std::atomic<std::uint8_t>, 2> m_abyChannelDeviceId{0, 0};
  std::atomic<std::uint32_t> m_dwAlarmState{0};  // main window's alarm handler
  std::uint32_t m_dwMainWindowValue = 0;
  std::atomic<std::int64_t> m_lReceivedBytes{0};
  std::atomic<std::uint32_t> m_dwBitRate{0};
  std::atomic<std::uint32_t> m_dwDisplayedFrames{0};
  std::atomic<std::uint32_t> m_dwShownFrames{0};
  std::atomic<std::uint16_t> m_wSkinIndex{0};
  std::atomic<std::uint32_t> m_dwVideoTime{0};  // show thread: time of the last picture, ms

  // 19. User level of the current login (100 while a re-login runs) and the level the main
  // window applies to its buttons.
  std::atomic<std::uint16_t> m_wUserLevel{0};
  std::atomic<std::uint16_t> m_wUserLevelShown{0};

  // 20. Main window.
  std::atomic<platform::WindowHandle> m_hWndMainDialog{platform::kNoWindow};
  std::atomic<CKavelinDlg*> lp_wndMainDialog{nullptr};

  // 21.-25.
  std::string m_strVersion = kProgramVersionText;
  std::atomic<std::uint32_t> m_dwConnectionSeconds{0};
  std::atomic<std::uint8_t> m_byDeviceType{0x32};
  void* m_hLanguageLibrary = nullptr;  // no language library is ever loaded
  std::atomic<std::uint32_t> m_dwLostPackets{0};
  std::atomic<std::uint32_t> m_dwReceivedPackets{0};

  // 26. The main window's paint surface (owned by the window) and the PTZ numbers 1..4.
  void* m_hMemDC = nullptr;
  void* m_hMemBitmap = nullptr;
  std::array<std::atomic<std::uint8_t>, 2> m_abyChannelPtzNumber{1, 1};

  // 27. Ten records of the main window and the configuration pages.
  std::array<CTextPairRecord, 10> m_TextPairRecords;

  // 28. Video format (0 JPEG, 4 MPEG-4) and the stream sizes of the login reply.
  std::atomic<std::uint8_t> m_byVideoFormat{4};
  std::atomic<std::uint16_t> m_wStreamMpeg4Width{0};
  std::atomic<std::uint16_t> m_wStreamMpeg4Height{0};
  std::atomic<std::uint16_t> m_wStreamJpegWidth{0};
  std::atomic<std::uint16_t> m_wStreamJpegHeight{0};
  // A picture the client cannot show ended the session (its width and height): start-up says
  // so and opens the login window again.
  std::atomic<std::uint32_t> m_bPictureRefused{0};
  std::atomic<std::uint16_t> m_wRefusedWidth{0};
  std::atomic<std::uint16_t> m_wRefusedHeight{0};

  // 29.-32.
  std::uint16_t m_wLanguageId = 1033;
  std::int32_t m_nCtrlFileDeviceCount = 0;
  CtrlFileDevice* m_pCtrlFileDevices = nullptr;  // owned by the command-file loader
  std::atomic<std::uint32_t> m_bRetrOn{0};
  CMpeg4DecoderContext* m_pDecoderContext = nullptr;  // owned by start-up and shut-down

  // 33. Size of the decoded picture.
  std::atomic<std::uint16_t> m_wFrameWidth{0};
  std::atomic<std::uint16_t> m_wFrameHeight{0};

  // 34. Two tables of the main window.
  std::array<std::uint8_t, 400> m_abyMainTableA{};
  std::array<std::uint8_t, 320> m_abyMainTableB{};

  // 35. Counters reset by the receivers, and the tick a receiver started measuring at.
  std::atomic<std::uint32_t> m_dwReceiverCounterA{0};
  std::atomic<std::uint32_t> m_dwReceiverCounterB{0};
  std::atomic<std::uint32_t> m_dwStreamStartTick{0};
  // The tick the session's receivers started at (the engine's clock), and whether one did since
  // the last loss was taken: a session lost soon after it started has the re-login wait first.
  std::atomic<std::uint32_t> m_dwSessionStartTick{0};
  std::atomic<std::uint32_t> m_bSessionStarted{0};

  // 36.-37. The media objects, created with the block and destroyed at this place in the
  // member order; the references below name them.
  std::unique_ptr<CAppMediaObjects> m_pMediaObjects;
  // 36. The pre-record ring and the three recorders that copy from it (start-up gives them their
  // environment, the ring among it, before it creates their threads). The recorders are
  // destroyed before the ring, so their threads end before it goes away.
  CSystemBuffer& m_SystemBuffer;
  CAlarmRecord& m_AlarmRecord;
  CUserRecord& m_UserRecord;
  CSchRecord& m_SchRecord;
  // The alarm sound played while an alarm is shown.
  CAlarmWav& m_AlarmWav;
  // 37. The stream packet headers, video then audio.
  CFrameHeader& m_VideoFrameHeader;
  CFrameHeader& m_AudioFrameHeader;

  // 38. The debug trace file. Callers compose their line in a local text: m_strTraceText is
  // kept for its place only, since threads writing one shared text at once would corrupt it.
  CTraceFile m_TraceFile;
  std::string m_strTraceText;

  // 39. The settings.
  CSettingINI m_SettingINI;

  // 40.
  std::uint8_t m_byReserved = 0;

  // 41. Values of the login reply.
  std::int32_t m_dwProductId = 0;
  std::array<char, 20> m_szFirmwareVersion{};
  std::array<std::uint8_t, 6> m_abyMacAddress{};
  std::array<char, 2> m_szVideoFormatText{};
  std::int32_t m_dwReplyUserLevel = 0;
  std::atomic<std::uint32_t> m_dwLifeTime{0};
  std::unique_ptr<PeripheralInfo> m_pPeripheralInfo;
  std::uint16_t m_wMpeg4Width = 0;
  std::uint16_t m_wMpeg4Height = 0;
  std::uint16_t m_wJpegWidth = 0;
  std::uint16_t m_wJpegHeight = 0;
  std::uint16_t m_wStreamPort = 0;

  // 42. Cached configuration records, as the server sends them.
  std::array<std::uint8_t, kIpConfigBytes> m_IpConfig{};
  std::array<std::uint8_t, kSecureConfigBytes> m_SecureConfig{};
  std::array<std::uint8_t, kDnsConfigBytes> m_DnsConfig{};
  std::array<std::uint8_t, kSmtpConfigBytes> m_SmtpConfig{};
  std::array<std::uint8_t, kFtpConfigBytes> m_FtpConfig{};
  std::array<std::uint8_t, kPppoeConfigBytes> m_PppoeConfig{};
  std::array<std::uint8_t, kSystemConfigBytes> m_SystemConfig{};
  std::array<std::uint8_t, kSntpConfigBytes> m_SntpConfig{};
  std::array<std::uint8_t, kImgConfigBytes> m_ImgConfig{};
  std::array<std::uint8_t, kWlanConfigBytes> m_WlanConfig{};
  std::array<std::uint8_t, kTriggerConfigBytes> m_TriggerConfig{};
  std::array<std::uint8_t, kRs485ConfigBytes> m_Rs485Config{};
  std::array<std::uint8_t, kPentaConfigBytes> m_PentaConfig{};
  std::array<std::uint8_t, kInfConfigBytes> m_InfConfig{};

  // 43.-44.
  std::atomic<std::uint8_t> m_bySkinMode{0};
  std::atomic<CSysConfPropSheet*> m_pOpenSysConfSheet{nullptr};

  // 45. Configuration windows: the motion-detection dialog (made on first use, kept until the
  // end; the painter signals its frame event through the pointer while it waits for frames, and
  // the dialog's end waits for such a call under way) and the motion flag (1: the dialog draws
  // the stream's motion report, m_pCurrentFrameInfo, over its picture).
  app::GuardedPointer<CMotionDetectionDlg> m_pMotionDetectionDlg;
  std::atomic<std::uint32_t> m_dwMotionFlag{0};
  // The trigger page's motion byte (TRIGGER +9) as the last APPLY left it; the schedule table
  // (GUI thread only; the schedule recorder works on copies handed to it).
  std::atomic<std::uint8_t> m_byTriggerMotionCopy{0};
  ScheduleTable m_ScheduleTable;

  // 46. Main window: the full-screen buffer's size, the hot point, the snapshot request, the
  // black-video flag, the panel modes and the values applied last (shared with the painter on
  // the kernel-message thread).
  std::atomic<std::size_t> m_nShowImageBufferBytes{0};
  std::atomic<std::uint8_t> m_byHotPointMode{1};  // 1 off, 2 on
  std::atomic<std::uint32_t> m_bHotPointOn{0};
  std::atomic<std::uint16_t> m_wMarkX{0};
  std::atomic<std::uint16_t> m_wMarkY{0};
  std::atomic<std::uint16_t> m_wClickX{0};
  std::atomic<std::uint16_t> m_wClickY{0};
  std::atomic<std::uint16_t> m_wMarkCount{0};
  std::atomic<std::uint32_t> m_bSnapshotRequest{0};
  std::atomic<std::uint32_t> m_bBlackVideo{0};
  std::atomic<std::uint32_t> m_bTurboOn{0};
  std::atomic<std::uint32_t> m_bPowerOn{0};
  std::array<std::atomic<std::uint32_t>, 2> m_abPtzControl{0, 0};
  // Each port's own device type while it is in PTZ control (it then has a PTZ type).
  std::array<std::atomic<std::uint8_t>, 2> m_abySavedDeviceType{0, 0};
  std::atomic<std::uint8_t> m_byLastChannel{0};
  std::atomic<std::int32_t> m_nLastResolution{0};
  std::atomic<std::uint8_t> m_byVideoSizeCode{0};  // 4 full size, 3 half size (message 0x420)
};

// The one application data block; null before start-up creates it and after shut-down.
extern std::unique_ptr<CAppData> g_lpApp;
