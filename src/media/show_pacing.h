// The show and audio-play threads: they take the decoded rings to the user, clocked by the
// 1 ms ticker. The show thread hands one picture at a time to the main window (through the
// kernel mailbox's "image ready") spaced by the interval the compose thread derived from the
// stream's time stamps, and frees the picture's slot once the window has drawn it. The audio
// thread hands decoded blocks to the player.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "media/compose.h"
#include "platform/clock.h"
#include "platform/sync.h"
#include "platform/thread.h"

class CAppData;
class CWaveOutPlayer;

inline constexpr std::uint32_t kTickWaitMs = 200;
inline constexpr std::uint32_t kFirstPictureDelayMs = 500;
// Decoded pictures waiting behind the one in hand above which the display catches up.
inline constexpr std::uint32_t kCatchUpBacklog = 3;

// The time from the last shown picture to the one in hand: its interval, or half of it while
// more than kCatchUpBacklog decoded pictures wait behind it, so that the display catches up with
// the stream (after the first picture's pause, or a stall) instead of staying behind it.
std::uint16_t ShowSpacing(std::uint16_t interval, std::uint32_t waiting);

// Whether the picture in hand is shown now: at once for a long pause, after its spacing since
// the last shown picture otherwise (wrap-safe on the tick count). `waiting`: decoded pictures
// behind it.
enum class ShowDecision { kNow, kNowRestartClock, kFirstAfterDelay, kWait };
ShowDecision DecideShow(std::uint16_t interval, std::uint8_t avSwitchOption, std::uint32_t waiting,
                        std::uint32_t last, std::uint32_t now);

// Where the next picture's spacing counts from, once a picture due `spacing` after `last` was
// shown at `now`: its due time, so that the stream's cadence holds whatever the tick's latency
// adds to each picture; `now` when it was shown a whole spacing late or more (a stall), so that
// no burst follows.
std::uint32_t NextShowStart(std::uint16_t spacing, std::uint32_t last, std::uint32_t now);

struct PacingSetup {
  CAppData* app = nullptr;
  // The session's decoded-ring semaphores and stream events, taken before the thread starts:
  // the thread uses these copies only, never the data block's fields, which a teardown clears.
  app::SessionHandles handles;
  StreamSlotInfo* slotInfo = nullptr;
  std::uint8_t avSwitchOption = 3;
  CWaveOutPlayer* player = nullptr;  // audio play
  // The mailbox's "image ready" (MessageTrigger(2)); must not block on the window.
  std::function<void()> imageReady;
  platform::IClock* clock = nullptr;  // the real clock when null
};

std::uint32_t RunShowImageData(const PacingSetup& setup, const platform::StopToken& stop);
std::uint32_t RunPlayAudioData(const PacingSetup& setup, const platform::StopToken& stop);

PacingSetup PacingSetupFromApp();
std::uint32_t Show_Image_Data_Thread(platform::StopToken stop);
std::uint32_t Thread_Play_Audio_Data(platform::StopToken stop);
