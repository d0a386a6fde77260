// Parsers of the header layers: video object + video object layer (VOL), group of VOP (GOV)
// and VOP, and the light VOL scan of the stream-info command. Fields go to the context under
// their syntax-element names.
#pragma once

#include <cstdint>

#include "codec/mp4dec/bit_reader.h"
#include "codec/mp4dec/context.h"

inline constexpr std::uint32_t kStartCodePrefix = 0x000001;
inline constexpr std::uint32_t kUserDataStartCode = 0x000001B2;
inline constexpr std::uint32_t kGovStartCode = 0x000001B3;
inline constexpr std::uint32_t kVopStartCode = 0x000001B6;

// Width in bits of vop_time_increment: ceil(log2(resolution)), at least 1.
int Mp4DecTimeIncrementBits(std::int32_t resolution);

// At a video object start code (0x100..0x11F) followed by a VOL start code: reads the VOL into
// the context and returns 1 (the VOL may be marked unsupported). Returns 0, reading nothing
// when no video object start code stands at the position.
int Mp4DecParseVolHeader(Mp4DecContext& ctx, Mp4DecTables& tables, Mp4BitReader& reader);

// Passes over stuffing and user data; when a GOV start code follows, reads the GOV. Result 1.
int Mp4DecParseGovHeader(Mp4DecContext& ctx, Mp4BitReader& reader);

// Reads the VOP header. Result 1 accepted, 0 refused (no VOP start code, the input ended, or a
// field the decoder cannot serve).
int Mp4DecParseVopHeader(Mp4DecContext& ctx, Mp4BitReader& reader);

// Picture size of the VOL that starts at the reader's position; 1 when found.
int Mp4DecParseStreamInfo(Mp4BitReader& reader, std::int32_t* width, std::int32_t* height);

// Stuffing before a start code (next_start_code): to the byte boundary when not aligned; when
// aligned, a whole 0x7F byte only if a start code prefix follows it.
void Mp4DecSkipHeaderStuffing(Mp4BitReader& reader);
// After stuffing, passes over every user-data start code and its bytes up to the next start
// code prefix (or the end of the input).
void Mp4DecSkipUserData(Mp4BitReader& reader);
