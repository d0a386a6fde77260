#include "media/show_pacing.h"

#include <algorithm>

#include "app/app_data.h"
#include "app/kernel_threads.h"
#include "app/trace.h"
#include "media/audio/wave_out_player.h"

namespace {

constexpr std::uint16_t kVideoOnlyShowAtOnceMs = 133;
constexpr std::uint16_t kShowAtOnceMs = 2500;

bool Ready(const PacingSetup& s) {
  const CAppData* app = s.app;
  const app::SessionHandles& h = s.handles;
  return app != nullptr && s.slotInfo != nullptr && h.ReceiverStartedEvent && h.ShowStopEvent &&
         h.FinishShowImageJobEvent && h.JPEGImageBufferSemaphore && h.JPEGImageBufferRelSemaphore &&
         h.MainTimerTickEvent[0] && app->m_pImageBuffer && app->m_pFrameInfoBlocks;
}

}  // namespace

std::uint16_t ShowSpacing(std::uint16_t interval, std::uint32_t waiting) {
  return waiting > kCatchUpBacklog ? static_cast<std::uint16_t>(interval / 2) : interval;
}

ShowDecision DecideShow(std::uint16_t interval, std::uint8_t avSwitchOption, std::uint32_t waiting,
                        std::uint32_t last, std::uint32_t now) {
  if (interval == kNoPreviousPicture)
    return ShowDecision::kFirstAfterDelay;
  if ((avSwitchOption == 1 && interval >= kVideoOnlyShowAtOnceMs) ||
      (avSwitchOption != 1 && interval >= kShowAtOnceMs)) {
    return ShowDecision::kNow;
  }
  return platform::TickElapsed(last, now) >= ShowSpacing(interval, waiting)
             ? ShowDecision::kNowRestartClock
             : ShowDecision::kWait;
}

std::uint32_t NextShowStart(std::uint16_t spacing, std::uint32_t last, std::uint32_t now) {
  const std::uint32_t due = last + spacing;
  return platform::TickElapsed(due, now) < std::max<std::uint32_t>(spacing, 1) ? due : now;
}

std::uint32_t RunShowImageData(const PacingSetup& s, const platform::StopToken& stop) {
  if (!Ready(s))
    return 0;
  CAppData& app = *s.app;
  const app::SessionHandles& h = s.handles;
  platform::IClock& clock = s.clock ? *s.clock : platform::RealClock();
  platform::Waitable* const stopEvent = &stop.StopEvent();
  if (clock.WaitAny({h.ReceiverStartedEvent.get(), h.ShowStopEvent.get(), stopEvent},
                    platform::kInfinite) != 0) {
    return 0;
  }
  std::uint16_t read = 0;
  bool inHand = false;
  std::uint32_t last = clock.Ticks();
  // Bounded by the session: every wait ends on ShowStopEvent or the stop request.
  while (true) {
    const std::uint32_t tick = clock.WaitAny(
        {h.ShowStopEvent.get(), stopEvent, h.MainTimerTickEvent[0].get()}, kTickWaitMs);
    if (tick == 0 || tick == 1)
      return 0;
    if (tick != 2)
      continue;
    if (!inHand) {
      if (clock.WaitAny({h.ShowStopEvent.get(), h.JPEGImageBufferRelSemaphore.get(), stopEvent},
                        platform::kInfinite) != 1) {
        return 0;
      }
      inHand = true;
    }
    const ImageSlotInfo& info = s.slotInfo->image[read];
    const std::uint32_t now = clock.Ticks();
    const std::uint32_t waiting = h.JPEGImageBufferRelSemaphore->Count();
    const std::uint16_t spacing = ShowSpacing(info.wInterval, waiting);
    switch (DecideShow(info.wInterval, s.avSwitchOption, waiting, last, now)) {
      case ShowDecision::kFirstAfterDelay:
        if (clock.WaitAny({h.ShowStopEvent.get(), stopEvent}, kFirstPictureDelayMs) !=
            platform::kWaitTimeout) {
          return 0;
        }
        last = clock.Ticks();
        break;
      case ShowDecision::kNowRestartClock:
        last = NextShowStart(spacing, last, now);
        break;
      case ShowDecision::kNow:
        break;
      case ShowDecision::kWait:
        DebugPrint("Show_Image_Data_Thread: Find out timestamp, Continue \n");
        // Early: sleep until the picture is due, then take the next tick as before, instead of
        // looking again on every tick in between.
        if (clock.WaitAny({h.ShowStopEvent.get(), stopEvent},
                          spacing - platform::TickElapsed(last, now)) != platform::kWaitTimeout) {
          return 0;
        }
        continue;
    }
    app.m_dwDisplayedFrames.fetch_add(1);
    app.m_dwShownFrames.fetch_add(1);
    app.m_dwVideoTime = info.dwTimeStamp;
    app.m_pCurrentPicture = app.m_pImageBuffer.get() + std::size_t{read} * kDecodedImageBytes;
    app.m_pCurrentFrameInfo =
        app.m_pFrameInfoBlocks.get() + std::size_t{read} * kFrameInfoRecordBytes;
    read = static_cast<std::uint16_t>((read + 1) % kDecodedRingSlots);
    inHand = false;
    if (s.imageReady)
      s.imageReady();
    if (clock.WaitAny({h.ShowStopEvent.get(), h.FinishShowImageJobEvent.get(), stopEvent},
                      platform::kInfinite) != 1) {
      return 0;
    }
    h.JPEGImageBufferSemaphore->Release(1);
  }
}

std::uint32_t RunPlayAudioData(const PacingSetup& s, const platform::StopToken& stop) {
  CAppData* appPointer = s.app;
  const app::SessionHandles& h = s.handles;
  if (appPointer == nullptr || s.slotInfo == nullptr || !h.EndofPlayAudioEvent ||
      !h.JPEGAudioBufferSemaphore || !h.JPEGAudioBufferRelSemaphore || !h.MainTimerTickEvent[1]) {
    return 0;
  }
  CAppData& app = *appPointer;
  platform::IClock& clock = s.clock ? *s.clock : platform::RealClock();
  platform::Waitable* const stopEvent = &stop.StopEvent();
  if (s.player)
    s.player->Open();
  const auto finish = [&] {
    if (s.player)
      s.player->Close();
    return 0u;
  };
  std::uint16_t read = 0;
  std::uint32_t playSlot = 0;
  bool inHand = false;
  while (true) {
    if (h.EndofPlayAudioEvent->IsSet() || stop.StopRequested())
      return finish();
    const std::uint32_t tick = clock.WaitAny(
        {h.EndofPlayAudioEvent.get(), stopEvent, h.MainTimerTickEvent[1].get()}, kTickWaitMs);
    if (tick == 0 || tick == 1)
      return finish();
    if (tick != 2)
      continue;
    if (!inHand) {
      if (clock.WaitAny(
              {h.EndofPlayAudioEvent.get(), h.JPEGAudioBufferRelSemaphore.get(), stopEvent},
              platform::kInfinite) != 1) {
        return finish();
      }
      inHand = true;
    }
    app.m_dwAudioTime = s.slotInfo->audio[read].dwTimeStamp;
    if (s.avSwitchOption != 1 && s.player) {
      // The block's samples: two per ADPCM byte behind the 64-byte header. The compose thread
      // refuses shorter frames and longer blocks, so the count neither wraps nor passes a block.
      const std::uint32_t frameLength = app.m_wAudioFrameLength.load();
      const std::uint32_t bytes = frameLength >= kAudioDataOffset ? frameLength * 4 - 256 : 0;
      if (bytes > 0 && bytes <= CWaveOutPlayer::kBlockBytes) {
        s.player->Play(playSlot, read, static_cast<std::uint16_t>(bytes));
      }
      playSlot = (playSlot + 1) % kDecodedRingSlots;
      if (s.avSwitchOption == 3) {
        DebugPrint("Play_Audio_Data: AV Diff = %d \n",
                   static_cast<int>(app.m_dwAudioTime.load() - app.m_dwVideoTime.load()));
      }
    }
    read = static_cast<std::uint16_t>((read + 1) % kDecodedRingSlots);
    inHand = false;
    h.JPEGAudioBufferSemaphore->Release(1);
    if (s.avSwitchOption == 2 && s.imageReady)
      s.imageReady();
  }
}

PacingSetup PacingSetupFromApp() {
  PacingSetup s;
  s.app = g_lpApp.get();
  s.handles = app::TakeSessionHandles(*g_lpApp);
  s.slotInfo = &SlotInfo();
  s.avSwitchOption = g_lpApp->m_SettingINI.m_byAvSwitchOption;
  s.player = LiveAudioPlayer();
  s.imageReady = [] { MessageTrigger(static_cast<std::uint8_t>(kKernelImageReady)); };
  return s;
}

std::uint32_t Show_Image_Data_Thread(platform::StopToken stop) {
  PacingSetup s = PacingSetupFromApp();
  s.imageReady = [stop] { MessageTrigger(static_cast<std::uint8_t>(kKernelImageReady), stop); };
  return RunShowImageData(s, stop);
}

std::uint32_t Thread_Play_Audio_Data(platform::StopToken stop) {
  PacingSetup s = PacingSetupFromApp();
  s.imageReady = [stop] { MessageTrigger(static_cast<std::uint8_t>(kKernelImageReady), stop); };
  return RunPlayAudioData(s, stop);
}
