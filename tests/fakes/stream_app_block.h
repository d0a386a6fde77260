// The application data block as start-up and login leave it for a live session, for tests
// and benchmarks that run the receivers, compose and show threads without the lifecycle
// code: the receive and decoded rings with their semaphore pairs, and the stream events.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "app/app_data.h"
#include "media/compose.h"
#include "media/stream_receiver.h"

namespace fakes {

inline EventHandle NewEvent(bool manual = false, bool set = false) {
  return std::make_shared<platform::Event>(
      manual ? platform::ResetMode::Manual : platform::ResetMode::Auto, set);
}

// The receive rings (30 slots, count 29) and decoded rings (20 slots, count 19).
inline void MakeStreamRings(CAppData& app) {
  app.m_pImageSocketBuffer = std::make_unique<std::uint8_t[]>(kReceiveSlots * kReceiveSlotBytes);
  app.m_pImageSocketLength = std::make_unique<std::uint32_t[]>(kReceiveSlots);
  app.m_pAudioSocketBuffer = std::make_unique<std::uint8_t[]>(kReceiveSlots * kReceiveSlotBytes);
  app.m_pAudioSocketLength = std::make_unique<std::uint32_t[]>(kReceiveSlots);
  app.m_pStagingBuffer = std::make_unique<std::uint8_t[]>(kDecodedRingSlots * kDecodedImageBytes);
  app.m_pImageBuffer = std::make_unique<std::uint8_t[]>(kDecodedRingSlots * kDecodedImageBytes);
  app.m_pFrameInfoBlocks =
      std::make_unique<std::uint8_t[]>(kDecodedRingSlots * kFrameInfoRecordBytes);
  app.ImageSocketBufferSem = std::make_shared<platform::Semaphore>(29, 29);
  app.ImageSocketBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 29);
  app.AudioSocketBufferSem = std::make_shared<platform::Semaphore>(29, 29);
  app.AudioSocketBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 29);
  app.JPEGImageBufferSemaphore = std::make_shared<platform::Semaphore>(19, 19);
  app.JPEGImageBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 19);
  app.JPEGAudioBufferSemaphore = std::make_shared<platform::Semaphore>(19, 19);
  app.JPEGAudioBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 19);
}

// A video-only MPEG-4 session of width x height from 127.0.0.1 on the given stream port:
// the rings, the receiver's start (already signalled), reset and request events and the end
// of the streams (manual).
inline void PrepareVideoSession(CAppData& app, std::uint16_t streamPort, std::uint16_t width,
                                std::uint16_t height, const std::string& sessionId) {
  app.m_SettingINI.m_strServerAddress = "127.0.0.1";
  app.m_wStreamPort = streamPort;
  app.m_byVideoFormat = 4;
  app.m_wFrameWidth = width;
  app.m_wFrameHeight = height;
  LocalAddressText.Set("127.0.0.1");
  SessionIdBuffer.Set(sessionId);
  MakeStreamRings(app);
  app.StartToGetJpegImageEvent = NewEvent(false, true);
  app.NotifyGetJPEGImageThreadResetEvent = NewEvent();
  app.ReceiverResetDoneImageEvent = NewEvent();
  app.ReceiverStartedEvent = NewEvent();
  app.StreamRequestSentEvent = NewEvent();
  app.h_EndofGetJpegImageEvent = NewEvent(true);
}

// Puts a frame into the next image receive slot as a receiver does, waiting up to waitMs for a
// free one; false when none came free.
inline bool ReceiveImageFrame(CAppData& app, std::span<const std::uint8_t> frame,
                              std::uint32_t waitMs) {
  if (!app.ImageSocketBufferSem->Wait(waitMs))
    return false;
  const std::uint16_t i = app.m_wImageSocketWriteIndex;
  std::memcpy(app.m_pImageSocketBuffer.get() + std::size_t{i} * kReceiveSlotBytes, frame.data(),
              frame.size());
  app.m_pImageSocketLength[i] = static_cast<std::uint32_t>(frame.size());
  app.m_wImageSocketWriteIndex = static_cast<std::uint16_t>((i + 1) % kReceiveSlots);
  app.ImageSocketBufferRelSemaphore->Release(1);
  return true;
}

// What the show thread adds: its stop, the painter's hand-shake and the two timer ticks.
inline void PrepareShowEvents(CAppData& app) {
  app.m_hTerminateDoneEvent = NewEvent();
  app.ShowStopEvent = NewEvent();
  app.FinishShowImageJobEvent = NewEvent();
  app.MainTimerTickEvent[0] = NewEvent();
  app.MainTimerTickEvent[1] = NewEvent();
}

}  // namespace fakes
