#include "app/kavelin_app.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <new>
#include <string>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/kernel_threads.h"
#include "app/login_pass.h"
#include "app/trace.h"
#include "app/utility.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "media/frame_header.h"
#include "net/blocking_socket.h"
#include "net/ctrl_file.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/message_box.h"

CKavelinApp theApp;

namespace {

using app::ThreadIdFormat;
using platform::ThreadPriority;

// Stop time-outs of the login and process threads, in milliseconds.
constexpr std::uint32_t kPlayAudioWavStopMs = 10;
constexpr std::uint32_t kReceiverStopMs = 500;
constexpr std::uint32_t kComposeStopMs = 30;
constexpr std::uint32_t kShowStopMs = 1000;
constexpr std::uint32_t kPlayAudioStopMs = 100;
constexpr std::uint32_t kReportStopMs = 100;
constexpr std::uint32_t kConnectionStopMs = 30;
constexpr std::uint32_t kKernelStopMs = 20;
constexpr std::uint32_t kInitTerminateStopMs = 500;
// Time shut-down gives threads it had to give up before it frees the memory they may touch.
constexpr std::uint32_t kAbandonedGraceMs = 2000;

struct Lifecycle {
  // Login resources are built and taken down by start-up, shut-down and the init and
  // terminate threads; never two of them at once.
  std::recursive_mutex resourceLock;
  std::atomic<bool> shuttingDown{false};
  std::unique_ptr<CMpeg4DecoderContext> decoder;
  platform::Ticker mainTimer;
};

Lifecycle& State() {
  static Lifecycle state;
  return state;
}

EventHandle NewEvent(platform::ResetMode mode = platform::ResetMode::Auto) {
  return std::make_shared<platform::Event>(mode, false);
}

template <typename T>
std::unique_ptr<T[]> Allocate(std::size_t count) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}

void Close(EventHandle& field) {
  app::StoreHandle(field, nullptr);
}

// Starts a thread from a media factory; false when the factory gives no body or the thread
// cannot be created.
bool StartMedia(const app::ThreadFactory& factory, ThreadHandle& field, std::uint32_t& id,
                const char* name, ThreadPriority priority = ThreadPriority::Normal) {
  if (!factory) {
    return false;
  }
  return app::StartEngineThread(field, id, name, factory(), priority);
}

// The size of the stream the video format decodes, as the login reply gave it.
void StreamSize(const CAppData& app, std::uint16_t& width, std::uint16_t& height) {
  if (app.m_byVideoFormat.load() == 0) {
    width = app.m_wStreamJpegWidth;
    height = app.m_wStreamJpegHeight;
  } else {
    width = app.m_wStreamMpeg4Width;
    height = app.m_wStreamMpeg4Height;
  }
}

// The login window until a login opens the main window (a user level of 100, a re-login under
// way, shows it again); false when it is cancelled.
bool RunLoginWindow(CAppData& app) {
  for (;;) {
    const auto login = app::LoginWindow();
    if (!login) {
      return false;
    }
    app::LoginDialogFields fields;
    {
      const std::lock_guard lock(app.m_SettingINI.m_TextLock);
      fields.host = app.m_SettingINI.m_strServerAddress;
      fields.userName = app.m_SettingINI.m_strUserName;
    }
    fields.password = kDefaultLoginPassword;
    fields.port = std::to_string(app.m_SettingINI.m_wWebPort);
    fields.bitRate = kLoginBitRateText;
    if (login->DoModal(fields) != platform::IDOK) {
      return false;
    }
    if (app.m_wUserLevel.load() != kUserLevelReLogin) {
      return true;
    }
  }
}

// Says why a session ended for its picture, once, and makes the next session start afresh.
void EndRefusedSession(CAppData& app) {
  platform::ShowMessageBox(PictureTooLargeText(app.m_wRefusedWidth, app.m_wRefusedHeight), {},
                           platform::MB_OK | platform::MB_ICONERROR);
  app.m_bPictureRefused = 0;
}

}  // namespace

bool StreamSizeFits(std::uint8_t videoFormat, std::uint16_t width, std::uint16_t height) {
  if (videoFormat != 4) {
    return true;
  }
  return width > 0 && height > 0 && width <= kMp4DecMaxWidth && height <= kMp4DecMaxHeight;
}

std::string PictureTooLargeText(std::uint16_t width, std::uint16_t height) {
  return "The video server sends a picture of " + std::to_string(width) + " x " +
         std::to_string(height) + ", which this program cannot show.";
}

bool RefusePicture(std::uint16_t width, std::uint16_t height) {
  if (!g_lpApp || g_lpApp->m_bPictureRefused.exchange(1) != 0) {
    return false;
  }
  g_lpApp->m_wRefusedWidth = width;
  g_lpApp->m_wRefusedHeight = height;
  return true;
}

void ResetStreamState() {
  if (!g_lpApp) {
    return;
  }
  CAppData& app = *g_lpApp;
  app.m_wImageSocketWriteIndex = 0;
  app.m_wImageSocketReadIndex = 0;
  app.m_wAudioSocketWriteIndex = 0;
  app.m_wAudioSocketReadIndex = 0;
  app.m_wStagingIndex = 0;
  app.m_wImageBufferWriteIndex = 0;
  app.m_wAudioPlayWriteIndex = 0;
  app.m_VideoFrameHeader.m_bAlarmRecordStarted = 0;
  app.m_AudioFrameHeader.m_bAlarmRecordStarted = 0;
  const std::uint8_t option = app.m_SettingINI.m_byAvSwitchOption;
  if (option == 2) {
    app.m_AudioFrameHeader.m_bRecordOnAlarm = 1;
  } else if (option == 1 || option == 3) {
    app.m_AudioFrameHeader.m_bRecordOnAlarm = 0;
  }
  if (const auto hooks = app::MediaHooks(); hooks.resetStreamHeaders) {
    hooks.resetStreamHeaders(option);
  }
}

void SignalMainWindowOpened() {
  if (!g_lpApp) {
    return;
  }
  app::SignalEvent(g_lpApp->StartToGetJpegImageEvent);
  app::SignalEvent(g_lpApp->StartToGetAudioEvent);
  app::SignalEvent(g_lpApp->m_hConnectionStartEvent);
}

std::uint32_t StartMainTimer() {
  if (!g_lpApp) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  EventHandle show = app::LoadHandle(app.MainTimerTickEvent[0]);
  EventHandle audio = app::LoadHandle(app.MainTimerTickEvent[1]);
  // The tick events are periodic: one that was last taken a period ago or more counts as set,
  // as it would be with the timer setting it every period. The timer itself runs only while the
  // show or the audio-play thread waits for a tick taken less than a period before, and sleeps
  // otherwise: a waiting thread gets its tick within the period all the same, and the stretches
  // between pictures cost no wake-ups.
  auto demand = std::make_shared<platform::Event>();
  const auto period = std::chrono::milliseconds(app.m_wTimerResolution);
  for (const EventHandle& tick : {show, audio}) {
    if (tick) {
      tick->SetPeriod(period);
      tick->SetWaitSignal(demand);
    }
  }
  const auto onTick = [show, audio] {
    if (show) {
      show->Set();
    }
    if (audio) {
      audio->Set();
    }
  };
  const auto wanted = [show, audio] {
    return (show && show->HasWaiters()) || (audio && audio->HasWaiters());
  };
  const bool started =
      State().mainTimer.StartOnDemand(app.m_wTimerResolution, onTick, wanted, std::move(demand));
  if (!started) {
    return 0;
  }
  app.m_uMainTimerId = 1;
  return 1;
}

void StopMainTimer() {
  State().mainTimer.Stop();
  if (g_lpApp) {
    g_lpApp->m_uMainTimerId = 0;
    for (const auto& field : g_lpApp->MainTimerTickEvent) {
      if (const EventHandle tick = app::LoadHandle(field)) {
        tick->SetPeriod(std::chrono::steady_clock::duration::zero());
        tick->SetWaitSignal(nullptr);
      }
    }
  }
}

int CKavelinApp::GetLocalAddress() {
  std::string address = LocalAddressText.Get();
  FormatDottedIp(address);
  LocalAddressText.Set(address);
  return 1;
}

int CKavelinApp::InitApplicationData() {
  State().shuttingDown = false;
  g_lpApp = std::make_unique<CAppData>();
  const int loaded = LoadCtrlFile();
  MatchCtrlFileDevices();
  SessionIdBuffer.Clear();
  // The engine's ticker keeps 1 ms periods; there is no coarser limit to ask for.
  g_lpApp->m_wTimerResolution = TimerResolution(1, 1000000);
  return loaded;
}

int CKavelinApp::LoadLanguageResource() {
  if (g_lpApp) {
    g_lpApp->m_wLanguageId = 1033;
  }
  return 1;
}

int CKavelinApp::GetDisplayCaps() {
  // Both resolutions are read, as the display reports them; the scale follows the horizontal.
  const platform::DisplayCaps caps = platform::ReadDisplayCaps();
  if (g_lpApp) {
    g_lpApp->m_fDisplayScale =
        static_cast<float>(caps.horizontalDpi / static_cast<double>(platform::kDefaultDotsPerInch));
  }
  return 1;
}

int CKavelinApp::InitialSemaphore() {
  const std::lock_guard lock(State().resourceLock);
  CAppData& app = *g_lpApp;
  const auto make = [](std::uint32_t initial, std::uint32_t maximum) {
    return std::make_shared<platform::Semaphore>(initial, maximum);
  };
  app::StoreHandle(app.ImageSocketBufferSem, make(29, 29));
  app::StoreHandle(app.ImageSocketBufferRelSemaphore, make(0, 29));
  app::StoreHandle(app.AudioSocketBufferSem, make(29, 29));
  app::StoreHandle(app.AudioSocketBufferRelSemaphore, make(0, 29));
  app::StoreHandle(app.JPEGImageBufferSemaphore, make(19, 19));
  app::StoreHandle(app.JPEGImageBufferRelSemaphore, make(0, 19));
  app::StoreHandle(app.JPEGAudioBufferSemaphore, make(19, 19));
  app::StoreHandle(app.JPEGAudioBufferRelSemaphore, make(0, 19));
  if (const auto hooks = app::MediaHooks(); hooks.createRecorders) {
    hooks.createRecorders();
  }
  return 1;
}

int CKavelinApp::FreeSemaphore() {
  const std::lock_guard lock(State().resourceLock);
  if (!g_lpApp) {
    return 1;
  }
  CAppData& app = *g_lpApp;
  for (SemaphoreHandle* field : {&app.ImageSocketBufferSem, &app.ImageSocketBufferRelSemaphore,
                                 &app.AudioSocketBufferSem, &app.AudioSocketBufferRelSemaphore,
                                 &app.JPEGImageBufferSemaphore, &app.JPEGImageBufferRelSemaphore,
                                 &app.JPEGAudioBufferSemaphore, &app.JPEGAudioBufferRelSemaphore}) {
    app::StoreHandle(*field, nullptr);
  }
  if (const auto hooks = app::MediaHooks(); hooks.freeRecorders) {
    hooks.freeRecorders();
  }
  return 1;
}

int CKavelinApp::AllocateSystemBuffer() {
  CAppData& app = *g_lpApp;
  Lifecycle& state = State();
  if (!state.decoder) {
    state.decoder = CreateDecoderContext(0);
    if (state.decoder) {
      state.decoder->AllocateBuffers();
    }
    app.m_pDecoderContext = state.decoder.get();
  }
  app.m_pImageSocketBuffer = Allocate<std::uint8_t>(kSocketSlots * kSocketSlotBytes);
  app.m_pImageSocketLength = Allocate<std::uint32_t>(kSocketSlots);
  app.m_pAudioSocketBuffer = Allocate<std::uint8_t>(kSocketSlots * kSocketSlotBytes);
  app.m_pAudioSocketLength = Allocate<std::uint32_t>(kSocketSlots);
  app.m_pStagingBuffer = Allocate<std::uint8_t>(kDecodedSlots * kDecodedSlotBytes);
  app.m_pImageBuffer = Allocate<std::uint8_t>(kDecodedSlots * kDecodedSlotBytes);
  app.m_pFrameInfoBlocks = Allocate<std::uint8_t>(kDecodedSlots * kFrameInfoBytes);
  if (const auto hooks = app::MediaHooks(); hooks.allocateRecorderBuffers) {
    hooks.allocateRecorderBuffers();
  }
  app.m_pPaintBuffer = Allocate<std::uint8_t>(kDecodedSlotBytes);
  if (!app.m_pStagingBuffer || !app.m_pImageBuffer) {
    return 0;
  }
  ResetStreamState();
  return 1;
}

int CKavelinApp::FreeSystemBuffer() {
  if (!g_lpApp) {
    return 1;
  }
  CAppData& app = *g_lpApp;
  app.m_pCurrentPicture = nullptr;
  app.m_pCurrentFrameInfo = nullptr;
  app.m_pImageSocketBuffer.reset();
  app.m_pImageSocketLength.reset();
  app.m_pAudioSocketBuffer.reset();
  app.m_pAudioSocketLength.reset();
  app.m_pStagingBuffer.reset();
  app.m_pImageBuffer.reset();
  app.m_pFrameInfoBlocks.reset();
  app.m_pShowImageBuffer.reset();
  app.m_pPaintBuffer.reset();
  if (const auto hooks = app::MediaHooks(); hooks.freeRecorderBuffers) {
    hooks.freeRecorderBuffers();
  }
  return 1;
}

int CKavelinApp::InitProcessResource() {
  CAppData& app = *g_lpApp;
  State().shuttingDown = false;
  app::StoreHandle(app.h_KernelMessageSemaphore, std::make_shared<platform::Semaphore>(0, 1));
  app::StoreHandle(app.h_FeedBackMessageTriggerSemaphore,
                   std::make_shared<platform::Semaphore>(1, 1));
  for (EventHandle* field :
       {&app.h_Process_Notify_TerminateEvent, &app.m_hTerminateDoneEvent,
        &app.Process_Notify_InitEvent, &app.m_hInitDoneEvent,
        &app.NotifyGetJPEGImageThreadResetEvent, &app.ReceiverResetDoneImageEvent,
        &app.NotifyGetAudioThreadResetEvent, &app.ReceiverResetDoneAudioEvent,
        &app.MainTimerTickEvent[0], &app.MainTimerTickEvent[1]}) {
    app::StoreHandle(*field, NewEvent());
  }
  OpenMailbox();
  const bool terminate =
      app::StartEngineThread(app.h_Process_Terminate_Thread, app.h_Process_Terminate_ThreadId,
                             "Terminate", Process_Terminate_Thread);
  const bool init = app::StartEngineThread(app.h_Process_Init_Thread, app.h_Process_Init_ThreadId,
                                           "Init", Process_Init_Thread);
  app::StoreHandle(app.m_hConnectionStartEvent, NewEvent());
  app::StoreHandle(app.m_hConnectionStopEvent, NewEvent());
  const bool kernel =
      app::StartEngineThread(app.h_Process_KernelMessageThread, app.h_Process_KernelMessageThreadId,
                             "KernelMessage", Process_KernelMessageThread);
  app::StartEngineThread(app.ConnectionThread, app.ConnectionThreadId, "Connection",
                         Polling_Net_Connection);
  if (!terminate || !init || !kernel) {
    app::TraceLine("InitProcessResource : Create resource failed, error \n");
  }
  return 1;
}

int CKavelinApp::ExitProcessResource() {
  if (!g_lpApp) {
    return 1;
  }
  CAppData& app = *g_lpApp;
  State().shuttingDown = true;
  app::SignalEvent(app.m_hConnectionStopEvent);
  StopMainTimer();
  Close(app.MainTimerTickEvent[0]);
  Close(app.MainTimerTickEvent[1]);
  // The kernel thread is told to end through the mailbox; the lock is waited for with a limit,
  // as the kernel thread may have ended without giving it back or be busy with a re-login.
  if (IsMailboxOpen() && !PostKernelMessage(kKernelEnd, kMailboxLockAtExitMs)) {
    app::TraceLine("ExitProcessResource : the kernel thread did not take the end message \n");
  }
  CloseMailbox();
  FreeCtrlFileDevices();
  app::StopEngineThread("ExitProcessResource", "ConnectionThread", app.ConnectionThread,
                        app.ConnectionThreadId, kConnectionStopMs);
  app::StopEngineThread("ExitProcessResource", "h_Process_KernelMessageThread",
                        app.h_Process_KernelMessageThread, app.h_Process_KernelMessageThreadId,
                        kKernelStopMs, ThreadIdFormat::Decimal);
  app::StopEngineThread("ExitProcessResource", "h_LoginThread", app.h_LoginThread,
                        app.h_LoginThreadId, app::kLoginStopMs, ThreadIdFormat::Decimal);
  app::StopEngineThread("ExitProcessResource", "h_ReLoginThread", app.h_ReLoginThread,
                        app.h_ReLoginThreadId, kReLoginStopMs, ThreadIdFormat::Decimal);
  app.m_hMemDC = nullptr;  // the main window frees its own paint surface
  for (EventHandle* field :
       {&app.h_Process_Notify_TerminateEvent, &app.m_hTerminateDoneEvent,
        &app.Process_Notify_InitEvent, &app.m_hInitDoneEvent,
        &app.NotifyGetJPEGImageThreadResetEvent, &app.ReceiverResetDoneImageEvent,
        &app.NotifyGetAudioThreadResetEvent, &app.ReceiverResetDoneAudioEvent}) {
    Close(*field);
  }
  app::StoreHandle(app.h_KernelMessageSemaphore, nullptr);
  app::StoreHandle(app.h_FeedBackMessageTriggerSemaphore, nullptr);
  app::StopEngineThread("ExitProcessResource", "Process_Init_Thread", app.h_Process_Init_Thread,
                        app.h_Process_Init_ThreadId, kInitTerminateStopMs, ThreadIdFormat::Hex,
                        false);
  app::StopEngineThread("ExitProcessResource", "Process_Terminate_Thread",
                        app.h_Process_Terminate_Thread, app.h_Process_Terminate_ThreadId,
                        kInitTerminateStopMs, ThreadIdFormat::Hex, false);
  Close(app.m_hConnectionStartEvent);
  Close(app.m_hConnectionStopEvent);
  return 1;
}

int CKavelinApp::InitLoginResource() {
  Lifecycle& state = State();
  const std::lock_guard lock(state.resourceLock);
  if (!g_lpApp || state.shuttingDown) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  if (app::AbandonedThreadCount(app::ThreadGroup::kSession) != 0) {
    // A stream thread given up by the last teardown still uses the rings, their indexes and
    // the decoder, which this build would reset and hand to new threads.
    app::TraceLine(
        "CKavelinApp::InitLoginResource : a stream thread of the session before still runs \n");
    return 0;
  }
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  StreamSize(app, width, height);
  const std::uint8_t format = app.m_byVideoFormat.load();
  if (!StreamSizeFits(format, width, height)) {
    app::TraceLine(FormatDebugText(
        "CKavelinApp::InitLoginResource : the stream size %ux%u does not fit the buffers \n",
        static_cast<unsigned>(width), static_cast<unsigned>(height)));
    return 0;
  }
  const app::MediaEngineHooks hooks = app::MediaHooks();

  // 1. Events. The loss report is a level flag: set by the first report of a loss, it stays
  // set until the next rebuild replaces it.
  for (EventHandle* field :
       {&app.StartToGetJpegImageEvent, &app.StartToGetAudioEvent, &app.SyncAudioEvent,
        &app.StreamRequestSentEvent, &app.RTCPStopEvent, &app.ReceiverStartedEvent,
        &app.ShowStopEvent, &app.EndofPlayAudioEvent, &app.FinishShowImageJobEvent}) {
    app::StoreHandle(*field, NewEvent());
  }
  app::StoreHandle(app.h_NotifyMessageTriggerEvent, NewEvent(platform::ResetMode::Manual));
  app::StoreHandle(app.h_EndofGetJpegImageEvent, NewEvent(platform::ResetMode::Manual));

  // 2.-4. Receivers by transmission type and AV switch option, at the highest priority.
  const bool tcp = app.m_SettingINI.m_byTransmissionType != 0;
  const std::uint8_t option = app.m_SettingINI.m_byAvSwitchOption;
  const bool wantVideo = option == 1 || option == 3;
  const bool wantAudio = option == 2 || option == 3;
  bool videoStarted = false;
  bool audioStarted = false;
  if (wantVideo) {
    videoStarted = StartMedia(tcp ? hooks.tcpGetImageData : hooks.udpGetImageData,
                              app.GetJpegImageThread, app.GetJpegImageThreadId,
                              tcp ? "TcpGetImageData" : "UdpGetImageData", ThreadPriority::Highest);
  }
  if (wantAudio) {
    audioStarted = StartMedia(tcp ? hooks.tcpGetAudio : hooks.udpGetAudio, app.h_GetAudioThread,
                              app.h_GetAudioThreadId, tcp ? "TcpGetAudio" : "UdpGetAudio",
                              ThreadPriority::Highest);
  }
  if ((wantVideo && !videoStarted) || (wantAudio && !audioStarted)) {
    app::TraceLine(
        option == 1 ? "CKavelinApp::InitInstance() : create the h_GetJpegImageThread failed, "
                      "error \n"
        : option == 2
            ? "CKavelinApp::InitInstance() : create the h_GetAudioThread failed,.error \n"
            : "CKavelinApp::InitInstance() : create the h_GetJpegImageThread, h_GetAudioThread "
              "failed,.error \n");
    return 0;
  }

  // 5. Compose thread and decoder by the video format.
  bool composeStarted = true;
  if (format == 0) {
    composeStarted = StartMedia(hooks.jpegCompose, app.ComposeImageDataThread,
                                app.ComposeImageDataThreadId, "JpegCompose");
  } else if (format == 4) {
    composeStarted = StartMedia(hooks.mpeg4Compose, app.ComposeImageDataThread,
                                app.ComposeImageDataThreadId, "Mpeg4Compose");
    const std::uint16_t mpeg4Width = app.m_wStreamMpeg4Width;
    const std::uint16_t mpeg4Height = app.m_wStreamMpeg4Height;
    if (state.decoder && !state.decoder->Open(mpeg4Width, mpeg4Height, 1)) {
      // No picture could ever be decoded: the session ends with the message of a picture the
      // client cannot show, never as a black picture for good. The main window ends it on the
      // message; before the window opens, start-up sees the refusal itself.
      app::TraceLine(FormatDebugText(
          "CKavelinApp::InitLoginResource : the decoder cannot be opened at %ux%u \n",
          static_cast<unsigned>(mpeg4Width), static_cast<unsigned>(mpeg4Height)));
      const platform::WindowHandle window = app.m_hWndMainDialog.load();
      if (window != platform::kNoWindow) {
        platform::PostMessage(window, WM_PICTURETOOLARGE, mpeg4Width, mpeg4Height);
      } else {
        RefusePicture(mpeg4Width, mpeg4Height);
      }
    }
  }

  // 6.-9. Show and audio play at the highest priority, recorders, receiver report.
  const bool showStarted =
      StartMedia(hooks.showImageData, app.ShowImageDataThread, app.ShowImageDataThreadId,
                 "ShowImageData", ThreadPriority::Highest);
  const bool playStarted =
      StartMedia(hooks.playAudioData, app.PlayAudioThread, app.PlayAudioThreadId, "PlayAudioData",
                 ThreadPriority::Highest);
  if (hooks.startRecorderThreads) {
    hooks.startRecorderThreads(format);
  }
  const bool reportStarted =
      StartMedia(hooks.receiverReport, app.RTCPThread, app.RTCPThreadId, "RTCP");

  // 10.
  if (!composeStarted || !showStarted || !playStarted || !reportStarted) {
    app::TraceLine("CKavelinApp::InitInstance() : Create resource failed, error \n");
  }
  return 1;
}

int CKavelinApp::ExitLoginResource() {
  const std::lock_guard lock(State().resourceLock);
  if (!g_lpApp) {
    return 1;
  }
  CAppData& app = *g_lpApp;
  const bool anyThread = app::EngineThreadRunning(app.h_PlayAudioWavThread) ||
                         app::EngineThreadRunning(app.GetJpegImageThread) ||
                         app::EngineThreadRunning(app.h_GetAudioThread) ||
                         app::EngineThreadRunning(app.ComposeImageDataThread) ||
                         app::EngineThreadRunning(app.ShowImageDataThread) ||
                         app::EngineThreadRunning(app.PlayAudioThread) ||
                         app::EngineThreadRunning(app.RTCPThread);
  // A receiver reports a lost connection when the end of the streams ends its wait; the
  // streams end on purpose here, so the report is dropped as one made while a loss is pending
  // (no re-login starts while the program shuts down or disconnects). A rebuild makes the
  // event anew.
  app::SignalEvent(app.h_NotifyMessageTriggerEvent);
  // 1. Stop requests to every stream thread; they get a moment to see them.
  for (const EventHandle* field :
       {&app.EndofPlayAudioEvent, &app.NotifyGetJPEGImageThreadResetEvent,
        &app.NotifyGetAudioThreadResetEvent, &app.ShowStopEvent, &app.h_EndofGetJpegImageEvent,
        &app.RTCPStopEvent}) {
    app::SignalEvent(*field);
  }
  if (anyThread) {
    platform::RealClock().Sleep(100);
  }
  // 2.
  constexpr const char* kRoutine = "ExitLoginResource";
  app::StopEngineThread(kRoutine, "PlayAudioWavThread", app.h_PlayAudioWavThread,
                        app.h_PlayAudioWavThreadId, kPlayAudioWavStopMs);
  // The stream threads are of the session: one given up here keeps its own handles (it took
  // them at its start), and the next session is not built before it has ended.
  const auto stopStream = [&](const char* name, ThreadHandle& field, std::uint32_t& id,
                              std::uint32_t timeoutMs) {
    app::StopEngineThread(kRoutine, name, field, id, timeoutMs, ThreadIdFormat::Hex, true,
                          app::ThreadGroup::kSession);
  };
  stopStream("GetJpegImageThread", app.GetJpegImageThread, app.GetJpegImageThreadId,
             kReceiverStopMs);
  stopStream("h_GetAudioThread", app.h_GetAudioThread, app.h_GetAudioThreadId, kReceiverStopMs);
  stopStream("ComposeImageDataThread", app.ComposeImageDataThread, app.ComposeImageDataThreadId,
             kComposeStopMs);
  // 3.
  Close(app.StartToGetJpegImageEvent);
  Close(app.StartToGetAudioEvent);
  Close(app.h_NotifyMessageTriggerEvent);
  app::ResetEvent(app.h_EndofGetJpegImageEvent);
  Close(app.h_EndofGetJpegImageEvent);
  // 4.
  stopStream("ShowImageDataThread", app.ShowImageDataThread, app.ShowImageDataThreadId,
             kShowStopMs);
  stopStream("PlayAudioThread", app.PlayAudioThread, app.PlayAudioThreadId, kPlayAudioStopMs);
  stopStream("RTCPThread", app.RTCPThread, app.RTCPThreadId, kReportStopMs);
  // 5.
  if (const auto hooks = app::MediaHooks(); hooks.endRecorderThreads) {
    hooks.endRecorderThreads();
  }
  // 6.
  for (EventHandle* field :
       {&app.EndofPlayAudioEvent, &app.ReceiverStartedEvent, &app.ShowStopEvent,
        &app.FinishShowImageJobEvent, &app.m_hAlarmWavEvent, &app.m_hAlarmWavStopEvent,
        &app.StreamRequestSentEvent, &app.RTCPStopEvent, &app.SyncAudioEvent}) {
    Close(*field);
  }
  return 1;
}

int CKavelinApp::InitInstance() {
  // Sockets, the controls and the registry key need no start-up on this platform.
  GetLocalAddress();
  if (InitApplicationData() == 0) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  LoadLanguageResource();
  app.m_bMmxPresent = IsMmxPresent() ? 1 : 0;
  GetDisplayCaps();
  app.m_SettingINI.Load();
  if (AllocateSystemBuffer() == 0) {
    DebugPrint("CKavelinApp::InitInstance() : Allocate system buffer is failed \n");
    return 0;
  }
  InitialSemaphore();
  const std::string programDir = app.m_SettingINI.m_strProgramDir;
  PrepareRollingTrace(30, programDir);
  app.m_TraceFile.Open(programDir);

  // A session whose picture the client cannot show, announced in the stream reply or met in the
  // stream, ends with the login window again.
  for (;;) {
    if (!RunLoginWindow(app)) {
      return 0;
    }
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    StreamSize(app, width, height);
    if (!StreamSizeFits(app.m_byVideoFormat.load(), width, height)) {
      RefusePicture(width, height);
      EndRefusedSession(app);
      continue;
    }
    if (InitProcessResource() == 0) {
      DebugPrint("Initial the process resource is failed \n");
      return 0;
    }
    if (InitLoginResource() == 0) {
      DebugPrint("Initial the login resource is failed\n");
      return 0;
    }
    if (app.m_bPictureRefused.load() == 0 && OpensMainWindow(app.m_wUserLevel.load())) {
      if (const auto window = app::MainWindow()) {
        window->DoModal();
      }
    }
    if (app.m_bPictureRefused.load() == 0) {
      return 0;
    }
    // The main window took the session down; the next one starts from fresh rings, once
    // every stream thread that teardown gave up has ended (else its build is refused).
    ExitLoginResource();
    ExitProcessResource();
    app::WaitForAbandonedThreads(kAbandonedGraceMs, app::ThreadGroup::kSession);
    EndRefusedSession(app);
    FreeSemaphore();
    InitialSemaphore();
    ResetStreamState();
  }
}

int CKavelinApp::ExitInstance() {
  if (ExitLoginResource() == 0) {
    DebugPrint("ExitLoginResource is failed \n");
    return 0;
  }
  if (ExitProcessResource() == 0) {
    DebugPrint("ExitProcessResource is failed\n");
    return 0;
  }
  // A thread that had to be given up (a compose thread that did not end within its 30 ms, say)
  // may still touch the stream buffers, the decoder and the data block: they are freed only once
  // every such thread has ended, else left to the end of the process.
  const bool allEnded = app::WaitForAbandonedThreads(kAbandonedGraceMs);
  if (allEnded && FreeSystemBuffer() == 0) {
    DebugPrint("Free the system buffer is failed \n");
    return 0;
  }
  if (FreeSemaphore() == 0) {
    DebugPrint("Release semaphore is failed\n");
    return 0;
  }
  if (g_lpApp) {
    g_lpApp->m_hLanguageLibrary = nullptr;
    g_lpApp->m_pDecoderContext = nullptr;
  }
  if (allEnded) {
    State().decoder.reset();
  } else {
    app::TraceLine("CKavelinApp::ExitInstance : a stopped thread still runs; memory kept \n");
    static_cast<void>(State().decoder.release());
  }
  ReleaseRollingTrace();
  if (allEnded) {
    g_lpApp.reset();
  } else {
    static_cast<void>(g_lpApp.release());
  }
  return 0;
}
