// The compose thread: takes each received frame from the image or audio receive ring, tells
// audio from video, decodes it (MPEG-4 through the decoder wrapper, JPEG through the JPEG
// layer, audio through the player's ADPCM decoder), files a copy in the pre-record ring and
// places the result in the decoded-image or audio-play ring with its timing. The MPEG-4 form
// decodes nothing before its first I-VOP and never a B-VOP. A picture larger than the client can
// show (its VOL or its JPEG frame header says so) is dropped, and told once.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/session_handles.h"
#include "media/record_buffer.h"
#include "platform/clock.h"
#include "platform/sync.h"
#include "platform/thread.h"

class CAppData;
class CMpeg4DecoderContext;
class CWaveOutPlayer;

inline constexpr std::size_t kDecodedRingSlots = 20;
inline constexpr std::size_t kDecodedImageBytes = 1572864;
inline constexpr std::size_t kFrameInfoRecordBytes = 73;
inline constexpr std::size_t kAudioDataOffset = 64;
inline constexpr std::uint16_t kNoPreviousPicture = 65535;

// Timing of a decoded-image slot (and the kind of the staging slot of the same number).
struct ImageSlotInfo {
  std::uint16_t wInterval = 0;  // ms after the previous picture; 65535: none before it
  std::uint8_t byKind = 0;      // 0 video, 1 audio
  std::uint32_t dwFrameNumber = 0;
  std::uint32_t dwTimeStamp = 0;  // ms
};

struct AudioSlotInfo {
  std::uint32_t dwFrameNumber = 0;
  std::uint32_t dwTimeStamp = 0;  // ms
};

// The records the compose thread writes and the show and audio-play threads read.
struct StreamSlotInfo {
  std::array<ImageSlotInfo, kDecodedRingSlots> image{};
  std::array<AudioSlotInfo, kDecodedRingSlots> audio{};
};
StreamSlotInfo& SlotInfo();

// What the compose thread counted, for tests and the statistics line.
struct ComposeStats {
  std::atomic<std::uint32_t> pictures{0};
  std::atomic<std::uint32_t> audioBlocks{0};
  std::atomic<std::uint32_t> dropped{0};       // before the first I-VOP, B-VOPs, other ids
  std::atomic<std::uint32_t> decodeErrors{0};  // refused by a decoder
  std::atomic<std::uint32_t> refusedAudio{0};  // longer than a play block
  std::atomic<std::uint32_t> tooLarge{0};      // MPEG-4 pictures larger than the decoder takes
};

struct ComposeSetup {
  bool mpeg4 = true;  // MPEG-4 form (video format 4), else JPEG (0)
  CAppData* app = nullptr;
  // The session's ring semaphores, taken before the thread starts: the thread uses these copies
  // only, never the data block's fields, which a teardown clears.
  app::SessionHandles handles;
  CMpeg4DecoderContext* decoder = nullptr;  // MPEG-4 form
  CWaveOutPlayer* player = nullptr;         // audio; audio frames are dropped without one
  CSystemBuffer* recordRing = nullptr;      // frames are filed when set
  StreamSlotInfo* slotInfo = nullptr;
  std::shared_ptr<platform::Event> endOfStreams;
  ComposeStats* stats = nullptr;  // the counts go here when given
  platform::IClock* clock =
      nullptr;  // the local time filed with each frame; the real clock when null
  // Told once, with its width and height, of the first MPEG-4 picture larger than the decoder
  // can take (the program posts WM_PICTURETOOLARGE to the main window); such pictures are
  // dropped. A JPEG picture of another size than the session's is dropped and not told.
  std::function<void(std::uint16_t width, std::uint16_t height)> pictureTooLarge;
  // Called when a frame has arrived, before the thread takes it from its receive ring. Tests
  // hold the thread here, as a stalled or starved process would hold it, across a teardown.
  std::function<void()> frameArrived;
};

// Where the data of a frame begins, by the high nibble of its stream id: a sound block's (0xC)
// at 64, a JPEG picture's (0xD) at 104, behind the information block; the bytes before it are the
// frame's own header, with its time stamp.
std::size_t PayloadOffset(std::uint8_t streamIdHigh);

// Milliseconds from the picture stamped previousPts to the one stamped pts (90 kHz, across the
// stamp's wrap). A stamp behind the previous one gives 0 (the picture is not held back); a step
// longer than the field holds gives 65534, which 65535 (no previous picture) stays apart from.
std::uint16_t PictureInterval(std::uint32_t previousPts, std::uint32_t pts);

std::uint32_t RunCompose(const ComposeSetup& setup, const platform::StopToken& stop);
ComposeSetup ComposeSetupFromApp(bool mpeg4);
std::uint32_t Mpeg4ComposeImageDataThread(platform::StopToken stop);
std::uint32_t JpegComposeImageDataThread(platform::StopToken stop);

// The player the compose and audio-play threads share: the program's one player unless a test
// installs another (null puts the program's back). A player whose buffers are not allocated
// makes the compose thread refuse audio blocks.
void SetLiveAudioPlayer(CWaveOutPlayer* player);
CWaveOutPlayer* LiveAudioPlayer();
