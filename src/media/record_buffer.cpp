#include "media/record_buffer.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

namespace {

struct ReaderHolder {
  std::mutex lock;
  RecordBufferReaders readers;
};

ReaderHolder& Readers() {
  static ReaderHolder holder;
  return holder;
}

}  // namespace

std::uint8_t ResolutionCode(std::uint16_t width, std::uint16_t height) {
  struct Size {
    std::uint16_t w, h;
  };
  constexpr std::array<Size, 6> kSizes{
      {{352, 240}, {704, 480}, {352, 288}, {704, 576}, {176, 112}, {176, 144}}};
  for (std::size_t i = 0; i < kSizes.size(); ++i) {
    if (kSizes[i].w == width && kSizes[i].h == height)
      return static_cast<std::uint8_t>(i);
  }
  return 0;
}

std::uint32_t FormatTag(std::uint8_t videoFormat) {
  if (videoFormat == 0)
    return kFormatTagJpeg;
  if (videoFormat == 4)
    return kFormatTagMpeg4;
  return 0;
}

bool CSystemBuffer::Allocate() {
  if (!m_pFrames)
    m_pFrames.reset(new (std::nothrow) std::uint8_t[kRecordSlots * kRecordSlotBytes]);
  if (!m_pDescriptors)
    m_pDescriptors.reset(new (std::nothrow) Vs4FrameDescriptor[kRecordSlots]);
  if (!m_pKinds)
    m_pKinds.reset(new (std::nothrow) Vs4IndexEntry[kRecordSlots]);
  return IsAllocated();
}

bool CSystemBuffer::Free() {
  m_pFrames.reset();
  m_pDescriptors.reset();
  m_pKinds.reset();
  return true;
}

std::span<const std::uint8_t> CSystemBuffer::Frame(std::size_t slot) const {
  const std::size_t length = std::min<std::size_t>(m_pDescriptors[slot].dwLength, kRecordSlotBytes);
  return {m_pFrames.get() + slot * kRecordSlotBytes, length};
}

std::uint32_t CSystemBuffer::VideoInterval(std::uint32_t pts) {
  const std::uint32_t ticks = pts - m_dwPreviousVideoPts;
  // A difference beyond half the stamps' range is a step back (the unsigned difference would
  // be about 13 hours). The player waits a frame's interval before showing it, so a step back
  // gets the last forward interval, the stream's frame time as last measured: playback keeps
  // its pace over a clip starting again or the device's clock being set. Before any forward
  // step 0 (shown at once, as the live display does).
  if (static_cast<std::int32_t>(ticks) < 0)
    return m_dwLastForwardInterval;
  m_dwLastForwardInterval = ticks / 90;
  return m_dwLastForwardInterval;
}

bool CSystemBuffer::Store(const RecordFrame& frame, const RecordContext& context) {
  if (!IsAllocated() || frame.bytes.size() > kRecordSlotBytes)
    return false;
  const std::uint16_t slot = m_wNextSlot.load();
  Vs4FrameDescriptor d{};
  std::memcpy(m_pFrames.get() + std::size_t{slot} * kRecordSlotBytes, frame.bytes.data(),
              frame.bytes.size());
  d.dwLength = static_cast<std::uint32_t>(frame.bytes.size());
  d.dwFormatTag = FormatTag(context.videoFormat);
  d.byResolution = ResolutionCode(context.frameWidth, context.frameHeight);
  d.byChannel = context.selectedChannel;
  d.StoreTime = context.now;
  d.StoreTime.wDayOfWeek = 0;
  d.StoreTime.wMilliseconds = 0;
  if (!frame.isAudio) {
    d.dwInterval = m_bHavePreviousVideo ? VideoInterval(frame.pts) : kNoPreviousFrame;
    m_bHavePreviousVideo = true;
    m_dwPreviousVideoPts = frame.pts;
  } else {
    const auto word = [&](std::size_t at) {
      return static_cast<std::uint32_t>(frame.audioState[at]) |
             static_cast<std::uint32_t>(frame.audioState[at + 1]) << 8 |
             static_cast<std::uint32_t>(frame.audioState[at + 2]) << 16 |
             static_cast<std::uint32_t>(frame.audioState[at + 3]) << 24;
    };
    d.dwAdpcmStepIndex = word(0);
    d.dwAdpcmPrediction = word(4);
  }
  m_pDescriptors[slot] = d;
  m_pKinds[slot].dwKind = frame.kind;
  m_wNextSlot = static_cast<std::uint16_t>(slot + 1 == kRecordSlots ? 0 : slot + 1);
  return true;
}

void SetRecordBufferReaders(RecordBufferReaders readers) {
  ReaderHolder& holder = Readers();
  const std::lock_guard guard(holder.lock);
  holder.readers = std::move(readers);
}

RecordBufferReaders GetRecordBufferReaders() {
  ReaderHolder& holder = Readers();
  const std::lock_guard guard(holder.lock);
  return holder.readers;
}

int PutFrameToRecordBuffer(CSystemBuffer& ring, const RecordFrame& frame,
                           const RecordContext& context, platform::Waitable* stop) {
  const RecordBufferReaders readers = GetRecordBufferReaders();
  std::size_t taken = 0;
  for (; taken < readers.size(); ++taken) {
    if (!readers[taken])
      continue;
    platform::Waitable& freeSem = readers[taken]->FreeSem();
    const std::uint32_t got = stop ? platform::WaitAny({stop, &freeSem}, platform::kInfinite)
                                   : (freeSem.Wait() ? 1u : platform::kWaitFailed);
    if (got != 1)
      break;
  }
  const auto giveBack = [&](std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (readers[i])
        readers[i]->FreeSem().Release(1);
    }
  };
  if (taken < readers.size()) {
    giveBack(taken);
    return 0;
  }
  if (!ring.Store(frame, context)) {
    giveBack(readers.size());
    return 0;
  }
  for (const auto& reader : readers) {
    if (reader)
      reader->CountStoredFrame();
  }
  for (const auto& reader : readers) {
    if (!reader)
      continue;
    if (reader->IsRecording()) {
      reader->TakeStoredFrame(ring);
    } else {
      reader->FreeSem().Release(1);
    }
  }
  return 1;
}
