#include "media/media_hooks.h"

#include <memory>

#include "app/app_data.h"
#include "app/kernel_threads.h"
#include "media/compose.h"
#include "media/receiver_report.h"
#include "media/show_pacing.h"
#include "media/stream_receiver.h"

namespace {

app::ThreadFactory Receiver(StreamKind kind, bool udp) {
  return [kind, udp]() -> app::ThreadBody {
    if (!g_lpApp)
      return {};
    auto setup = std::make_shared<ReceiverSetup>(ReceiverSetupFromApp(kind, udp));
    return [setup](platform::StopToken stop) {
      setup->reportLost = [stop] {
        MessageTrigger(static_cast<std::uint8_t>(kKernelConnectionLost), stop);
      };
      return RunStreamReceiver(*setup, stop);
    };
  };
}

app::ThreadFactory Compose(bool mpeg4) {
  return [mpeg4]() -> app::ThreadBody {
    if (!g_lpApp)
      return {};
    auto setup = std::make_shared<ComposeSetup>(ComposeSetupFromApp(mpeg4));
    return [setup](platform::StopToken stop) { return RunCompose(*setup, stop); };
  };
}

app::ThreadFactory Pacing(bool show) {
  return [show]() -> app::ThreadBody {
    if (!g_lpApp)
      return {};
    auto setup = std::make_shared<PacingSetup>(PacingSetupFromApp());
    return [setup, show](platform::StopToken stop) {
      setup->imageReady = [stop] {
        MessageTrigger(static_cast<std::uint8_t>(kKernelImageReady), stop);
      };
      return show ? RunShowImageData(*setup, stop) : RunPlayAudioData(*setup, stop);
    };
  };
}

app::ThreadFactory Report() {
  return []() -> app::ThreadBody {
    if (!g_lpApp)
      return {};
    auto setup = std::make_shared<ReceiverReportSetup>(ReceiverReportSetupFromApp());
    return [setup](platform::StopToken stop) { return RunReceiverReport(*setup, stop); };
  };
}

}  // namespace

app::MediaEngineHooks WithMediaEngineThreads(app::MediaEngineHooks hooks) {
  hooks.udpGetImageData = Receiver(StreamKind::kVideo, true);
  hooks.udpGetAudio = Receiver(StreamKind::kAudio, true);
  hooks.tcpGetImageData = Receiver(StreamKind::kVideo, false);
  hooks.tcpGetAudio = Receiver(StreamKind::kAudio, false);
  hooks.jpegCompose = Compose(false);
  hooks.mpeg4Compose = Compose(true);
  hooks.showImageData = Pacing(true);
  hooks.playAudioData = Pacing(false);
  hooks.receiverReport = Report();
  hooks.resetStreamHeaders = [](std::uint8_t avSwitchOption) {
    if (!g_lpApp)
      return;
    g_lpApp->m_VideoFrameHeader.m_bAlarmRecordStarted = 0;
    g_lpApp->m_AudioFrameHeader.m_bAlarmRecordStarted = 0;
    // Alarm recording follows the audio packets only when audio is the only stream; other
    // option values leave the flag as it is.
    if (avSwitchOption == 2)
      g_lpApp->m_AudioFrameHeader.m_bRecordOnAlarm = 1;
    if (avSwitchOption == 1 || avSwitchOption == 3)
      g_lpApp->m_AudioFrameHeader.m_bRecordOnAlarm = 0;
  };
  return hooks;
}

void InstallMediaEngineThreads() {
  app::SetMediaHooks(WithMediaEngineThreads(app::MediaHooks()));
}
