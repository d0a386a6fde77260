#include "app/relogin_thread.h"

#include <array>
#include <mutex>
#include <string>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/kavelin_app.h"
#include "app/kernel_threads.h"
#include "app/trace.h"
#include "media/frame_header.h"
#include "net/login_exchange.h"
#include "net/login_reply.h"
#include "net/net_environment.h"
#include "platform/clock.h"

namespace {

void PostStatus(CAppData& app, int status, platform::WParam argument = 0) {
  platform::PostMessage(app.m_hWndMainDialog.load(), WM_SHOWSTATUS, argument, status);
}

void PostStep(CAppData& app, const char* step, int status, platform::WParam argument = 0) {
  app::TraceStep(std::string("ReLoginThread: \"") + step + "\" in");
  PostStatus(app, status, argument);
  app::TraceStep(std::string("ReLoginThread: \"") + step + "\" out");
}

platform::WParam StartLoginArgument() {
  return reinterpret_cast<platform::WParam>(kStartLoginText);
}

// The re-login's requests wait 2 s for each send and read.
constexpr std::uint16_t kReLoginTimeoutSeconds = 2;

enum class Attempt { kLoggedIn, kFailed, kPictureTooLarge };

// The login and stream requests, their replies stored as the session's.
Attempt AttemptLogin(CAppData& app, const platform::StopToken& stop) {
  net::LoginRequest request;
  {
    const std::lock_guard lock(app.m_SettingINI.m_TextLock);
    request.userName = app.m_SettingINI.m_strUserName;
    request.password = app.m_SettingINI.m_strPassword;
  }
  request.timeoutSeconds = kReLoginTimeoutSeconds;
  request.stop = stop;
  net::INetEnvironment& environment = net::Environment();
  environment.SetSessionId({});
  const net::LoginExchange exchange =
      net::RunLoginExchange(environment, request, kReLoginTimeoutSeconds);
  if (exchange.loggedIn)
    StoreLoginReplyFields(exchange.login);
  if (exchange.code != 1 || exchange.stopped)
    return Attempt::kFailed;
  StoreStreamReplyFields(exchange.stream);
  const std::uint8_t format = app.m_byVideoFormat.load();
  const std::uint16_t width = format == 0 ? app.m_wJpegWidth : app.m_wMpeg4Width;
  const std::uint16_t height = format == 0 ? app.m_wJpegHeight : app.m_wMpeg4Height;
  if (!StreamSizeFits(format, width, height)) {
    app::TraceLine(
        FormatDebugText("ReLoginThread : the stream size %ux%u does not fit the picture buffers \n",
                        static_cast<unsigned>(width), static_cast<unsigned>(height)));
    // The session ends: the main window closes, start-up says why and opens the login window.
    platform::PostMessage(app.m_hWndMainDialog.load(), WM_PICTURETOOLARGE, width, height);
    return Attempt::kPictureTooLarge;
  }
  return Attempt::kLoggedIn;
}

void ApplyReply(CAppData& app) {
  const auto level = static_cast<std::uint16_t>(app.m_dwReplyUserLevel);
  app.m_wUserLevel = level;
  app.m_wUserLevelShown = level;
  const std::uint8_t format = app.m_byVideoFormat.load();
  std::uint16_t width = app.m_wFrameWidth;
  std::uint16_t height = app.m_wFrameHeight;
  if (format == 4) {
    width = app.m_wMpeg4Width;
    height = app.m_wMpeg4Height;
  } else if (format == 0) {
    width = app.m_wJpegWidth;
    height = app.m_wJpegHeight;
  }
  app.m_wStreamMpeg4Width = app.m_wMpeg4Width;
  app.m_wStreamMpeg4Height = app.m_wMpeg4Height;
  app.m_wStreamJpegWidth = app.m_wJpegWidth;
  app.m_wStreamJpegHeight = app.m_wJpegHeight;
  ApplyStreamLayout(app, width, height);
}

// The main window's layout for the new stream.
void LayOutMainWindow(CAppData& app) {
  const auto sink = app::MainWindowSink();
  if (!sink) {
    return;
  }
  if (app.m_bFullScreen.load() != 0) {
    sink->ExitFullScreen();
  }
  app::TraceStep("ReLoginThread: \"Change Item, position\" in");
  if (app.m_bAvSwitched.load() == 0) {
    sink->RefreshPanelButtons();
    sink->ApplyResolutionMode(app.m_SettingINI.m_nImageResolution);
    sink->ArrangeControls();
  }
  app::TraceStep("ReLoginThread: \"Change Item, position\" out");
  // The skins 0 and 2 show the stream-time control when the stream's packet header converts
  // its time stamps; other skins hide it.
  const std::uint8_t option = app.m_SettingINI.m_byAvSwitchOption;
  if (app.m_bySkinA != 0 && app.m_bySkinA != 2) {
    sink->ShowStreamTimeControl(false);
  } else if (option == 1 || option == 3) {
    sink->ShowStreamTimeControl(app.m_VideoFrameHeader.m_bConvertTime.load() != 0);
  } else if (option == 2) {
    sink->ShowStreamTimeControl(app.m_AudioFrameHeader.m_bConvertTime.load() != 0);
  }
}

}  // namespace

StreamLayout ApplyStreamLayout(CAppData& app, std::uint16_t width, std::uint16_t height) {
  const StreamLayout layout = ClassifyStreamSize(width, height);
  app.m_wFrameWidth = layout.width;
  app.m_wFrameHeight = layout.height;
  app.m_SettingINI.m_nImageResolution = layout.resolution;
  app.m_byVideoStandard = layout.standard;
  app.m_wSkinIndex = layout.skinIndex;
  app.m_bySkinA = layout.skinA;
  app.m_bySkinB = layout.skinB;
  app.m_bySkinMode = layout.skinMode;
  return layout;
}

StreamLayout ClassifyStreamSize(std::uint16_t width, std::uint16_t height) {
  StreamLayout layout;
  layout.width = width;
  layout.height = height;
  switch (width) {
    case 176:
      layout.resolution = 3;
      break;
    case 320:
    case 352:
      layout.resolution = 2;
      break;
    case 640:
    case 704:
    case 720:
      layout.resolution = 1;
      break;
    default:
      layout.resolution = 2;
      layout.width = 320;
      break;
  }
  layout.standard = 1;
  switch (height) {
    case 112:
      layout.resolution = 3;
      layout.standard = 1;
      break;
    case 144:
      layout.resolution = 3;
      layout.standard = 2;
      break;
    case 240:
      layout.resolution = 2;
      layout.standard = 1;
      break;
    case 288:
      layout.resolution = 2;
      layout.standard = 2;
      break;
    case 480:
      layout.resolution = 1;
      layout.standard = 1;
      break;
    case 576:
      layout.resolution = 1;
      layout.standard = 2;
      break;
    default:
      layout.resolution = 2;
      layout.standard = 1;
      layout.height = 240;
      break;
  }
  struct Skin {
    std::uint16_t index;
    std::uint8_t a;
    std::uint8_t b;
  };
  Skin skin{};
  if (layout.standard == 1) {
    skin = layout.resolution == 3   ? Skin{4, 4, 4}
           : layout.resolution == 2 ? Skin{1, 0, 0}
                                    : Skin{0, 1, 1};
  } else {
    skin = layout.resolution == 3   ? Skin{5, 5, 5}
           : layout.resolution == 2 ? Skin{3, 2, 2}
                                    : Skin{2, 3, 3};
  }
  layout.skinIndex = skin.index;
  layout.skinA = skin.a;
  layout.skinB = skin.b;
  const auto low = static_cast<std::uint8_t>(skin.index & 0xFF);
  layout.skinMode = low == 4 ? 1 : low == 5 ? 3 : low;
  return layout;
}

namespace {

// The waits and status posts that follow a failed attempt, ending on "Start login" for the
// next one; false when a stop request ended a wait.
bool WaitAsAfterFailure(CAppData& app, platform::IClock& clock, const platform::StopToken& stop,
                        std::uint32_t startTicks, std::uint64_t& failures) {
  if (!clock.SleepFor(kReLoginPauseMs, stop)) {
    return false;
  }
  const std::uint32_t seconds = platform::TickElapsed(startTicks, clock.Ticks()) / 1000u;
  PostStep(app, "WM_SHOWSTATUS,0,3", kStatusFailed);
  if (!clock.SleepFor(ReLoginBackOffMs(failures), stop)) {
    return false;
  }
  ++failures;
  PostStep(app, "WM_SHOWSTATUS,totalsec,0", kStatusElapsed, seconds);
  PostStep(app, "Save Button 1", kStatusRetrying);
  if (!clock.SleepFor(kReLoginAfterStatusMs, stop)) {
    return false;
  }
  PostStep(app, "Start login 1", kStatusStartLogin, StartLoginArgument());
  return true;
}

std::uint32_t RunReLogin(const platform::StopToken& stop, bool afterShortSession) {
  if (!g_lpApp) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  platform::IClock& clock = app::Clock();
  const std::uint32_t startTicks = clock.Ticks();
  app.m_bStreamsStarted = 0;
  app.m_bStatusShown = 0;
  app.m_bConnected = 1;
  PostStep(app, "Start Login", kStatusStartLogin, StartLoginArgument());

  app::TraceStep("ReLoginThread: \"Save Button 0\" in");
  if (const auto sink = app::MainWindowSink()) {
    // The button shows whether a record is open: a user record interrupted by the loss stays
    // open through the re-login and goes on once the streams are back, and a press meanwhile
    // ends it, as the button then shows.
    sink->RefreshRecordButton();
  }
  app::TraceStep("ReLoginThread: \"Save Button 0\" out");

  std::uint64_t failures = 0;
  if (afterShortSession) {
    app::TraceLine("ReLoginThread : the session ended soon after it started; the login waits \n");
    if (!WaitAsAfterFailure(app, clock, stop, startTicks, failures)) {
      return 0;
    }
  }
  for (;;) {
    theApp.GetLocalAddress();
    app.m_wUserLevel = kUserLevelReLogin;
    const Attempt attempt = AttemptLogin(app, stop);
    if (stop.StopRequested() || attempt == Attempt::kPictureTooLarge) {
      return 0;
    }
    if (attempt == Attempt::kLoggedIn) {
      ApplyReply(app);
      break;
    }
    if (OpensMainWindow(app.m_wUserLevel.load())) {
      break;  // a login from the login window took over
    }
    if (app.m_wUserLevel.load() == kUserLevelWaitLonger) {
      PostStatus(app, kStatusWaitLonger);
      if (!clock.SleepFor(kReLoginWaitLongerMs, stop)) {
        return 0;
      }
    }
    if (!WaitAsAfterFailure(app, clock, stop, startTicks, failures)) {
      return 0;
    }
  }

  PostStep(app, "Login Button 0", kStatusLoggedIn);
  LayOutMainWindow(app);
  app.m_bStatusShown = 0;
  app.m_bAvSwitched = 0;

  // The stream threads are rebuilt; only a rebuild that answered starts the streams.
  const EventHandle initRequest = app::LoadHandle(app.Process_Notify_InitEvent);
  const EventHandle initDone = app::LoadHandle(app.m_hInitDoneEvent);
  bool rebuilt = false;
  if (initRequest && initDone) {
    initRequest->Set();
    for (;;) {
      const std::uint32_t index =
          clock.WaitAny({&stop.StopEvent(), initDone.get()}, kReLoginInitDoneMs);
      if (index == 0) {
        return 0;
      }
      rebuilt = index == 1;
      // A rebuild held back until the stream threads of the session before have ended is
      // waited for: giving up here would leave the rebuilt streams without their start.
      if (rebuilt || !SessionRebuildUnderWay()) {
        break;
      }
      app::TraceLine("ReLoginThread : the rebuild waits for the session before to end \n");
    }
  }
  if (!rebuilt) {
    app::TraceLine("ReLoginThread : the stream threads were not rebuilt \n");
    app.m_bConnected = 0;
    PostStatus(app, kStatusFailed);
    app::TraceStep("ReLoginThread: out");
    return 0;
  }

  if (const auto sink = app::MainWindowSink()) {
    const app::MediaEngineHooks hooks = app::MediaHooks();
    if (hooks.userRecordGoesOn && hooks.userRecordGoesOn()) {
      sink->SetRecordButtonState(1);
    }
  }
  app::SignalEvent(app.StartToGetJpegImageEvent);
  app::SignalEvent(app.StartToGetAudioEvent);
  app::TraceStep("ReLoginThread: out");
  return 0;
}

}  // namespace

std::uint32_t ReLoginThread(platform::StopToken stop) {
  return RunReLogin(stop, false);
}

std::uint32_t ReLoginThreadAfterShortSession(platform::StopToken stop) {
  return RunReLogin(stop, true);
}

bool ConnectReLogin() {
  if (!g_lpApp) {
    return false;
  }
  CAppData& app = *g_lpApp;
  app::StopEngineThread("OnLogin", "h_ReLoginThread", app.h_ReLoginThread, app.h_ReLoginThreadId,
                        kReLoginStopMs, app::ThreadIdFormat::Decimal);
  return app::StartEngineThread(app.h_ReLoginThread, app.h_ReLoginThreadId, "ReLoginThread",
                                ReLoginThread);
}

bool DisconnectReLogin(std::uint32_t lockTimeoutMs) {
  if (!g_lpApp) {
    return false;
  }
  CAppData& app = *g_lpApp;
  app::StopEngineThread("OnLogin", "h_ReLoginThread", app.h_ReLoginThread, app.h_ReLoginThreadId,
                        kReLoginStopMs, app::ThreadIdFormat::Decimal);
  const bool posted = PostKernelMessage(kKernelFeedback, lockTimeoutMs);
  app.m_bConnected = 0;
  return posted;
}
