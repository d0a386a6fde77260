// The frame-information block that a received slot may carry (read by both compose threads).
#pragma once

#include <cstdint>
#include <span>

inline constexpr std::size_t kFrameInfoBlockBytes = 73;  // 72 bytes and the "S" mark

// When the low 7 bits of slot byte 20 are "S", copies the 72 bytes from slot byte 32 into out
// and sets out[72] to "S"; otherwise (also for a slot too short to hold the block) clears out.
// Returns 1.
int GetFrameInfoBlock(std::span<const uint8_t> slot, std::span<uint8_t, kFrameInfoBlockBytes> out);
