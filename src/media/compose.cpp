#include "media/compose.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/kavelin_app.h"
#include "app/trace.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "codec/context/stream_scanners.h"
#include "codec/jpeg_frame/jpeg_frame.h"
#include "media/audio/wave_out_player.h"
#include "media/stream_receiver.h"
#include "net/frame_info_block.h"

namespace {

std::atomic<CWaveOutPlayer*> g_pLivePlayer{nullptr};

SystemTime ToSystemTime(const platform::LocalTime& t) {
  SystemTime s;
  s.wYear = static_cast<std::uint16_t>(t.year);
  s.wMonth = static_cast<std::uint16_t>(t.month);
  s.wDayOfWeek = static_cast<std::uint16_t>(t.dayOfWeek);
  s.wDay = static_cast<std::uint16_t>(t.day);
  s.wHour = static_cast<std::uint16_t>(t.hour);
  s.wMinute = static_cast<std::uint16_t>(t.minute);
  s.wSecond = static_cast<std::uint16_t>(t.second);
  s.wMilliseconds = static_cast<std::uint16_t>(t.millisecond);
  return s;
}

enum class Pass { kKept, kDropped, kEnd };

struct PictureSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

class Composer {
 public:
  Composer(const ComposeSetup& setup, const platform::StopToken& stop)
      : m_s(setup),
        m_app(*setup.app),
        m_h(setup.handles),
        m_stop(stop),
        m_info(*setup.slotInfo),
        m_stats(setup.stats ? *setup.stats : m_ownStats),
        m_clock(setup.clock ? *setup.clock : platform::RealClock()) {}

  std::uint32_t Run() {
    // Bounded by the session: every pass waits for a frame or ends on the stop events.
    while (true) {
      const std::uint32_t got =
          platform::WaitAny({m_s.endOfStreams.get(), m_h.AudioSocketBufferRelSemaphore.get(),
                             m_h.ImageSocketBufferRelSemaphore.get(), &m_stop.StopEvent()},
                            platform::kInfinite);
      if (got != 1 && got != 2)
        return 0;
      if (m_s.frameArrived)
        m_s.frameArrived();
      const std::size_t length = Stage(got == 1);
      const Pass pass = Compose(length);
      if (pass == Pass::kEnd)
        return 0;
      if (pass == Pass::kDropped)
        m_stats.dropped.fetch_add(1);
      m_app.m_wStagingIndex =
          static_cast<std::uint16_t>((m_app.m_wStagingIndex + 1) % kDecodedRingSlots);
    }
  }

 private:
  // Copies the receive slot into the staging slot and gives the receive slot back at once:
  // it is not read again.
  std::size_t Stage(bool audio) {
    std::uint8_t* slots =
        audio ? m_app.m_pAudioSocketBuffer.get() : m_app.m_pImageSocketBuffer.get();
    std::uint32_t* lengths =
        audio ? m_app.m_pAudioSocketLength.get() : m_app.m_pImageSocketLength.get();
    std::uint16_t& read = audio ? m_app.m_wAudioSocketReadIndex : m_app.m_wImageSocketReadIndex;
    const std::size_t length = std::min<std::size_t>(lengths[read], kReceiveSlotBytes);
    std::memcpy(Staging(), slots + std::size_t{read} * kReceiveSlotBytes, length);
    read = static_cast<std::uint16_t>((read + 1) % kReceiveSlots);
    (audio ? m_h.AudioSocketBufferSem : m_h.ImageSocketBufferSem)->Release(1);
    return length;
  }

  std::uint8_t* Staging() {
    return m_app.m_pStagingBuffer.get() + std::size_t{m_app.m_wStagingIndex} * kDecodedImageBytes;
  }

  // Waits for a free place in a decoded ring; false when the streams end.
  bool TakeFree(platform::Semaphore& freeSlots) {
    return platform::WaitAny({m_s.endOfStreams.get(), &freeSlots, &m_stop.StopEvent()},
                             platform::kInfinite) == 1;
  }

  RecordContext Context() const {
    RecordContext c;
    c.videoFormat = m_s.mpeg4 ? 4 : 0;
    c.frameWidth = m_app.m_wFrameWidth.load();
    c.frameHeight = m_app.m_wFrameHeight.load();
    c.selectedChannel = m_app.m_SettingINI.m_bySelectedChannel;
    c.now = ToSystemTime(m_clock.Now());
    return c;
  }

  void File(const std::uint8_t* frame, std::size_t length, std::uint32_t pts, std::uint32_t kind,
            const std::array<std::uint8_t, 8>& state, bool audio) {
    if (m_s.recordRing == nullptr)
      return;
    RecordFrame f;
    f.bytes = std::span<const std::uint8_t>(frame, length);
    f.pts = pts;
    f.kind = kind;
    f.audioState = state;
    f.isAudio = audio;
    PutFrameToRecordBuffer(*m_s.recordRing, f, Context(), m_s.endOfStreams.get());
  }

  Pass Compose(std::size_t length) {
    const std::uint8_t* frame = Staging();
    if (length < 4)
      return Pass::kDropped;
    const std::uint8_t high = frame[3] >> 4;
    const std::uint8_t videoId = m_s.mpeg4 ? 0xE : 0xD;
    std::uint32_t pts = 0;
    std::uint32_t vopType = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // An MPEG-4 picture is scanned up to its VOP start code, for the VOP type; a JPEG picture or
    // a sound block only in its frame header, where its time stamp is: their data may hold bytes
    // that read as a start code with a time stamp of its own.
    const bool mpeg4Video = m_s.mpeg4 && high == videoId;
    const std::size_t scanned = mpeg4Video ? length : std::min(length, PayloadOffset(high));
    const auto scanLength = static_cast<std::int32_t>(scanned);
    const std::uint32_t found =
        mpeg4Video
            ? m_s.decoder->Decode(frame, scanLength, &pts, &width, &height, nullptr, &vopType)
            : ScanMpegStream(frame, scanLength, &pts, &width, &height, nullptr, &vopType);
    if (found == 0)
      return Pass::kDropped;
    ImageSlotInfo& staged = m_info.image[m_app.m_wStagingIndex];
    if (high == 0xC) {
      staged.byKind = 1;
      return Audio(frame, length, pts);
    }
    if (high != videoId)
      return Pass::kDropped;
    staged.byKind = 0;
    return Video(frame, length, pts, vopType, {width, height});
  }

  Pass Audio(const std::uint8_t* frame, std::size_t length, std::uint32_t pts) {
    if (m_s.player == nullptr)
      return Pass::kDropped;
    if (!TakeFree(*m_h.JPEGAudioBufferSemaphore))
      return Pass::kEnd;
    const std::uint16_t slot = m_app.m_wAudioPlayWriteIndex;
    m_info.audio[slot].dwFrameNumber = m_dwFrameNumber++;
    const std::span<std::uint8_t> block = m_s.player->SampleBlock(slot);
    // A block whose samples would not fit a play block is refused whole, not cut or copied
    // past it.
    if (length < kAudioDataOffset || block.empty() ||
        (length - kAudioDataOffset) * 4 > block.size()) {
      m_stats.refusedAudio.fetch_add(1);
      m_h.JPEGAudioBufferSemaphore->Release(1);
      return Pass::kDropped;
    }
    std::array<std::uint8_t, 8> state{};
    m_s.player->DecodeAudio(
        std::span<const std::uint8_t>(frame + kAudioDataOffset, length - kAudioDataOffset), block,
        state);
    m_app.m_wAudioFrameLength = static_cast<std::uint32_t>(length);
    File(frame, length, pts, kKindAudio, state, true);
    m_info.audio[slot].dwTimeStamp = pts / 90;
    m_app.m_wAudioPlayWriteIndex = static_cast<std::uint16_t>((slot + 1) % kDecodedRingSlots);
    m_stats.audioBlocks.fetch_add(1);
    m_h.JPEGAudioBufferRelSemaphore->Release(1);
    return Pass::kKept;
  }

  // `scanned`: the picture size the MPEG-4 scan found in the frame's VOL (0 x 0 without one).
  Pass Video(const std::uint8_t* frame, std::size_t length, std::uint32_t pts,
             std::uint32_t vopType, PictureSize scanned) {
    if (!TakeFree(*m_h.JPEGImageBufferSemaphore))
      return Pass::kEnd;
    const std::uint16_t slot = m_app.m_wImageBufferWriteIndex;
    ImageSlotInfo& info = m_info.image[slot];
    info.dwFrameNumber = m_dwFrameNumber++;
    GetFrameInfoBlock(
        std::span<const std::uint8_t>(frame, length),
        std::span<std::uint8_t, kFrameInfoBlockBytes>(
            m_app.m_pFrameInfoBlocks.get() + std::size_t{slot} * kFrameInfoRecordBytes,
            kFrameInfoBlockBytes));
    std::uint8_t* picture = m_app.m_pImageBuffer.get() + std::size_t{slot} * kDecodedImageBytes;
    const std::uint16_t width = m_app.m_wFrameWidth.load();
    const std::uint16_t height = m_app.m_wFrameHeight.load();
    bool decoded = false;
    std::uint32_t kind = kKindJpeg;
    if (m_s.mpeg4) {
      if ((!m_bHaveFirstPicture && vopType != kScanVopI) || vopType == kScanVopB) {
        m_h.JPEGImageBufferSemaphore->Release(1);
        return Pass::kDropped;
      }
      if (scanned.width != 0 && !StreamSizeFits(4, scanned.width, scanned.height))
        return Refuse(scanned);
      decoded =
          std::size_t{width} * height * 3 <= kDecodedImageBytes &&
          DecodeElementary(frame, length, std::span<std::uint8_t>(picture, kDecodedImageBytes));
      kind = vopType;
    } else {
      // Only a picture of the session's own size is decoded; one of another size, however
      // large its header says it is, is dropped like any other picture that does not decode.
      decoded = length > kJpegPictureOffset &&
                std::size_t{width} * height * 3 <= kDecodedImageBytes &&
                DecodeJpegFrame(frame + kJpegPictureOffset,
                                static_cast<std::uint32_t>(length - kJpegPictureOffset), picture,
                                width, height) == 1;
    }
    if (!decoded) {
      DebugPrint("Compose_Image_Data_Thread : Decode error \n");
      m_stats.decodeErrors.fetch_add(1);
      m_h.JPEGImageBufferSemaphore->Release(1);
      return Pass::kDropped;
    }
    File(frame, length, pts, kind, {}, false);
    info.wInterval =
        m_bHaveFirstPicture ? PictureInterval(m_dwPreviousPts, pts) : kNoPreviousPicture;
    m_bHaveFirstPicture = true;
    m_dwPreviousPts = pts;
    info.dwTimeStamp = pts / 90;
    m_app.m_wImageBufferWriteIndex = static_cast<std::uint16_t>((slot + 1) % kDecodedRingSlots);
    m_stats.pictures.fetch_add(1);
    m_h.JPEGImageBufferRelSemaphore->Release(1);
    return Pass::kKept;
  }

  // An MPEG-4 picture larger than the decoder can take: dropped, and told once.
  Pass Refuse(PictureSize size) {
    m_stats.tooLarge.fetch_add(1);
    if (!m_bToldTooLarge && m_s.pictureTooLarge) {
      m_bToldTooLarge = true;
      m_s.pictureTooLarge(static_cast<std::uint16_t>(std::min<std::uint32_t>(size.width, 0xFFFF)),
                          static_cast<std::uint16_t>(std::min<std::uint32_t>(size.height, 0xFFFF)));
    }
    m_h.JPEGImageBufferSemaphore->Release(1);
    return Pass::kDropped;
  }

  // The decoder is given the elementary stream: behind the 32-byte frame header, or behind the
  // information block when the frame carries one. The picture goes straight into the ring slot
  // (what decoding into the wrapper's picture and copying it out would leave there).
  bool DecodeElementary(const std::uint8_t* frame, std::size_t length,
                        std::span<std::uint8_t> picture) {
    const std::size_t at = ElementaryStreamOffset(std::span<const std::uint8_t>(frame, length));
    if (length <= at)
      return false;
    return m_s.decoder->DecodeFrameInto(frame + at, static_cast<std::uint32_t>(length - at),
                                        picture);
  }

  const ComposeSetup& m_s;
  CAppData& m_app;
  const app::SessionHandles& m_h;
  const platform::StopToken& m_stop;
  StreamSlotInfo& m_info;
  ComposeStats m_ownStats;  // counts of a setup that asks for none
  ComposeStats& m_stats;
  platform::IClock& m_clock;
  std::uint32_t m_dwFrameNumber = 0;
  bool m_bHaveFirstPicture = false;
  std::uint32_t m_dwPreviousPts = 0;
  bool m_bToldTooLarge = false;
};

}  // namespace

std::size_t PayloadOffset(std::uint8_t streamIdHigh) {
  switch (streamIdHigh) {
    case 0xC:
      return kAudioDataOffset;
    case 0xD:
      return kJpegPictureOffset;
    default:
      return kFrameInfoBlockOffset;
  }
}

std::uint16_t PictureInterval(std::uint32_t previousPts, std::uint32_t pts) {
  const std::uint32_t ticks = pts - previousPts;
  if (static_cast<std::int32_t>(ticks) < 0)
    return 0;
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(ticks / 90, kNoPreviousPicture - 1));
}

StreamSlotInfo& SlotInfo() {
  static StreamSlotInfo info;
  return info;
}

void SetLiveAudioPlayer(CWaveOutPlayer* player) {
  g_pLivePlayer = player;
}
CWaveOutPlayer* LiveAudioPlayer() {
  CWaveOutPlayer* player = g_pLivePlayer.load();
  return player != nullptr ? player : &g_WaveOutPlayer;
}

std::uint32_t RunCompose(const ComposeSetup& setup, const platform::StopToken& stop) {
  CAppData* app = setup.app;
  const app::SessionHandles& h = setup.handles;
  if (app == nullptr || setup.slotInfo == nullptr || (setup.mpeg4 && setup.decoder == nullptr) ||
      !app->m_pImageSocketBuffer || !app->m_pAudioSocketBuffer || !app->m_pStagingBuffer ||
      !app->m_pImageBuffer || !app->m_pFrameInfoBlocks || !h.ImageSocketBufferSem ||
      !h.ImageSocketBufferRelSemaphore || !h.AudioSocketBufferSem ||
      !h.AudioSocketBufferRelSemaphore || !h.JPEGImageBufferSemaphore ||
      !h.JPEGImageBufferRelSemaphore || !h.JPEGAudioBufferSemaphore ||
      !h.JPEGAudioBufferRelSemaphore) {
    return 0;
  }
  Composer composer(setup, stop);
  return composer.Run();
}

ComposeSetup ComposeSetupFromApp(bool mpeg4) {
  ComposeSetup s;
  s.mpeg4 = mpeg4;
  s.app = g_lpApp.get();
  s.handles = app::TakeSessionHandles(*g_lpApp);
  s.decoder = g_lpApp->m_pDecoderContext;
  s.player = LiveAudioPlayer();
  s.recordRing = g_lpApp->m_SystemBuffer.IsAllocated() ? &g_lpApp->m_SystemBuffer : nullptr;
  s.slotInfo = &SlotInfo();
  s.endOfStreams = app::LoadHandle(g_lpApp->h_EndofGetJpegImageEvent);
  s.clock = &app::Clock();
  s.pictureTooLarge = [](std::uint16_t width, std::uint16_t height) {
    if (g_lpApp)
      platform::PostMessage(g_lpApp->m_hWndMainDialog.load(), WM_PICTURETOOLARGE, width, height);
  };
  return s;
}

std::uint32_t Mpeg4ComposeImageDataThread(platform::StopToken stop) {
  return RunCompose(ComposeSetupFromApp(true), stop);
}
std::uint32_t JpegComposeImageDataThread(platform::StopToken stop) {
  return RunCompose(ComposeSetupFromApp(false), stop);
}
