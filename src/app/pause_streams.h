// Pausing the running stream receivers before the server's network or picture settings change:
// each receiver is asked to reset (its reset request event) and answers when it has let go of
// its socket (its reset-done event).
#pragma once

#include <cstdint>

// Wait for each receiver's answer, in milliseconds.
inline constexpr std::uint32_t kPauseStreamWaitMs = 1000;

// By the AV switch option: 1 the video receiver, 2 the audio receiver, 3 video then audio; any
// other option pauses nothing. Each request waits up to kPauseStreamWaitMs on the engine clock
// for its answer. True when every receiver asked has answered; a receiver whose events do not
// exist (streams not running) counts as answered.
bool PauseStreams(std::uint8_t option);
