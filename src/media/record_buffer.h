// The pre-record ring: the last 120 frames of the session (video frames and audio blocks, in
// the order the compose thread finished them), each with its 48-byte descriptor and a kind
// record (Vs4FrameDescriptor and Vs4IndexEntry, as the record files hold them). The compose thread
// files every frame here (PutFrameToRecordBuffer); the three recorders copy from it, the frames
// stored before a record started and each new one while they record. Allocated once at start-up,
// about 12.3 MB, and reused for the whole run.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

#include "media/record/vs4_format.h"
#include "media/system_time.h"
#include "platform/sync.h"

inline constexpr std::size_t kRecordSlots = 120;
inline constexpr std::size_t kRecordSlotBytes = 102400;

inline constexpr std::uint32_t kFormatTagJpeg = kVs4FormatJpeg;
inline constexpr std::uint32_t kFormatTagMpeg4 = kVs4FormatMpeg4;
inline constexpr std::uint32_t kNoPreviousFrame = kVs4NoPreviousFrame;

// Frame kinds of the kind records and of a record file's index.
inline constexpr std::uint32_t kKindAudio = 0;
inline constexpr std::uint32_t kKindMpeg4I = 1;
inline constexpr std::uint32_t kKindMpeg4P = 2;
inline constexpr std::uint32_t kKindJpeg = 3;
inline constexpr std::uint32_t kKindMpeg4S = 4;

// Resolution code of a video size: 352x240 0, 704x480 1, 352x288 2, 704x576 3, 176x112 4,
// 176x144 5; any other size 0.
std::uint8_t ResolutionCode(std::uint16_t width, std::uint16_t height);
// Format tag of a video format byte (0 JPEG, 4 MPEG-4); 0 for any other value.
std::uint32_t FormatTag(std::uint8_t videoFormat);

// One frame as the compose thread files it.
struct RecordFrame {
  std::span<const std::uint8_t> bytes;
  std::uint32_t pts = 0;  // 90 kHz
  std::uint32_t kind = 0;
  std::array<std::uint8_t, 8> audioState{};
  bool isAudio = false;
};

// What the descriptor takes from the session at the time of storing.
struct RecordContext {
  std::uint8_t videoFormat = 4;
  std::uint16_t frameWidth = 0;
  std::uint16_t frameHeight = 0;
  std::uint8_t selectedChannel = 0;
  SystemTime now{};  // local time; day of week and milliseconds are stored as 0
};

class CSystemBuffer {
 public:
  CSystemBuffer() = default;
  CSystemBuffer(const CSystemBuffer&) = delete;
  CSystemBuffer& operator=(const CSystemBuffer&) = delete;

  // Allocates each block not yet allocated; false when one could not be.
  bool Allocate();
  // Frees the blocks; true.
  bool Free();
  bool IsAllocated() const { return m_pFrames && m_pDescriptors && m_pKinds; }

  // Files one frame in the next slot and advances the next-slot index. The caller holds every
  // recorder's FreeSem. False, and nothing stored, when the ring is not allocated or the frame
  // is longer than a slot.
  bool Store(const RecordFrame& frame, const RecordContext& context);

  // The slot the next frame will fill; the newest frame is in the slot before it.
  std::uint16_t NextSlot() const { return m_wNextSlot.load(); }
  std::uint16_t NewestSlot() const {
    const std::uint16_t next = NextSlot();
    return static_cast<std::uint16_t>(next == 0 ? kRecordSlots - 1 : next - 1);
  }
  // A slot's frame bytes (its descriptor's length), descriptor and kind.
  std::span<const std::uint8_t> Frame(std::size_t slot) const;
  const Vs4FrameDescriptor& Descriptor(std::size_t slot) const { return m_pDescriptors[slot]; }
  std::uint32_t Kind(std::size_t slot) const { return m_pKinds[slot].dwKind; }

 private:
  std::unique_ptr<std::uint8_t[]> m_pFrames;
  std::atomic<std::uint16_t> m_wNextSlot{0};
  std::unique_ptr<Vs4FrameDescriptor[]> m_pDescriptors;
  std::unique_ptr<Vs4IndexEntry[]> m_pKinds;
  // The interval of the video frame stamped pts after the last one: at most kVs4MaxInterval.
  std::uint32_t VideoInterval(std::uint32_t pts);

  // The interval of video frames is measured across sessions: the first video frame since the
  // program started has none.
  bool m_bHavePreviousVideo = false;
  std::uint32_t m_dwPreviousVideoPts = 0;
  std::uint32_t m_dwLastForwardInterval = 0;  // what a step back of the stamps is given
};

// A recorder as the pre-record ring hands frames to it.
class IRecordBufferReader {
 public:
  virtual ~IRecordBufferReader() = default;
  // Taken before the ring is written; given back by the recorder after copying a frame it took,
  // or by PutFrameToRecordBuffer when the recorder is not recording.
  virtual platform::Semaphore& FreeSem() = 0;
  virtual bool IsRecording() = 0;
  // Called after a frame was stored while the recorder records: fills its file header when it
  // is still unfilled, then releases its StartSem. The recorder gives FreeSem back itself.
  virtual void TakeStoredFrame(const CSystemBuffer& ring) = 0;
  // Counts a stored frame (the alarm recorder's ring fill count); others ignore it.
  virtual void CountStoredFrame() {}
};

// The three recorders in the order the ring hands frames to them: alarm, user, schedule.
// Readers that are null are skipped. Installed by the recorders; none until then.
using RecordBufferReaders = std::array<std::shared_ptr<IRecordBufferReader>, 3>;
void SetRecordBufferReaders(RecordBufferReaders readers);
RecordBufferReaders GetRecordBufferReaders();

// Files one frame in the pre-record ring with the three recorders' FreeSem taken (each waited
// for without a time limit, but given up when stop is set). 1 when filed; 0 when stopped or
// when the ring refused the frame (every FreeSem taken is then given back).
int PutFrameToRecordBuffer(CSystemBuffer& ring, const RecordFrame& frame,
                           const RecordContext& context, platform::Waitable* stop);
