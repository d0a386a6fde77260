#include "codec/context/stream_scanners.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "codec/context/mpeg4_decoder_context.h"
#include "codec/mp4dec/mp4dec.h"

namespace {

// Stream ids a frame may begin with: MPEG-4 video, audio, JPEG video.
constexpr std::array<std::uint8_t, 5> kFrameStreamIds = {0xE0, 0xE1, 0xC0, 0xD0, 0xD1};
// The frame-header walk gives up this far into a frame.
constexpr std::uint32_t kFrameHeaderSearchLimit = 0x40000;
// The last fixed byte ScanFrameHeader reads, plus one.
constexpr std::uint32_t kFrameHeaderBytes = 27;
// The decoder reads at most this many bytes of stream information.
constexpr std::int32_t kStreamInfoBytes = 256;
// Bytes to step over after a PES header's time stamp, and after a video object start code.
constexpr std::int32_t kPesSkip = 5;
constexpr std::int32_t kVideoObjectSkip = 9;

// The id bytes behind 00 00 01 of a VOP and a video object start code.
constexpr std::uint8_t kVopStartCodeId = 0xB6;
constexpr std::uint8_t kVideoObjectStartCodeId = 0x00;

// A 33-bit PES stamp in five bytes (marker bits skipped); its top bit is dropped.
std::uint32_t StampFrom(const std::uint8_t* b) {
  return ((static_cast<std::uint32_t>(b[0]) >> 1) & 3) << 30 |
         (static_cast<std::uint32_t>(b[1]) << 7 | b[2] >> 1) << 15 |
         (static_cast<std::uint32_t>(b[3]) << 7 | b[4] >> 1);
}

// A value of 15 + 8 bits from three bytes with a marker bit in each of the first two.
std::uint32_t MarkedValueFrom(const std::uint8_t* b) {
  return (static_cast<std::uint32_t>(b[0]) & 0x7F) << 15 |
         (static_cast<std::uint32_t>(b[1]) & 0xF0) << 7 |
         (static_cast<std::uint32_t>(b[1]) & 0x07) << 8 | b[2];
}

template <typename T>
void Put(T* out, T value) {
  if (out != nullptr) {
    *out = value;
  }
}

struct ScanOutputs {
  std::uint32_t* pts;
  std::uint32_t* width;
  std::uint32_t* height;
  std::uint32_t* vopType;
};

// The start-code walk shared by both stream scanners. `withVideoObject` asks the decoder for
// the picture size at a video object start code.
std::uint32_t ScanStartCodes(const std::uint8_t* buffer, std::int32_t length, ScanOutputs out,
                             bool withVideoObject) {
  Put(out.pts, 0u);
  Put(out.width, 0u);
  Put(out.height, 0u);
  Put(out.vopType, 0u);
  if (buffer == nullptr || length <= 0) {
    return 0;
  }
  std::uint32_t flags = 0;
  // All ones: a start code needs three bytes of the buffer in front of its id.
  std::uint32_t code = 0xFFFFFFFF;
  for (std::int32_t p = 0; p < length; ++p) {
    code = code << 8 | buffer[p];
    if ((code >> 8) != 1) {
      continue;
    }
    const std::uint8_t id = buffer[p];
    const std::uint8_t kind = id >> 4;
    if (kind == 0xC || kind == 0xD || kind == 0xE) {
      if (p + 4 >= length) {
        break;
      }
      const int stamps = buffer[p + 4] >> 6;
      if (stamps != 2 && stamps != 3) {
        continue;
      }
      const std::int32_t base = stamps == 2 ? p : p + 5;
      if (base + 10 >= length) {
        break;
      }
      Put(out.pts, StampFrom(buffer + base + 6));
      flags |= kScanFoundTimeStamp;
      p += kPesSkip;
    } else if (id == kVopStartCodeId) {
      if (p + 1 < length) {
        Put(out.vopType, kScanVopI + static_cast<std::uint32_t>(buffer[p + 1] >> 6));
        flags |= kScanFoundVopType;
      }
      break;
    } else if (id == kVideoObjectStartCodeId && withVideoObject) {
      // The size whole: the packed stream-info word holds 12 bits of each, and a layer of
      // 4096 or more must reach the size check as what it is (too large), not cut down.
      const std::int32_t start = p - 3;
      Mp4DecStreamSize size;
      if (!Mp4DecReadStreamSize(buffer + start, std::min(kStreamInfoBytes, length - start),
                                &size)) {
        break;
      }
      Put(out.width, static_cast<std::uint32_t>(size.width));
      Put(out.height, static_cast<std::uint32_t>(size.height));
      flags |= kScanFoundPictureSize;
      p += kVideoObjectSkip;
    }
  }
  return flags;
}

}  // namespace

int CMpeg4DecoderContext::ScanFrameHeader(std::uint32_t length, const std::uint8_t* frame,
                                          std::uint32_t* streamNumber, std::uint32_t* frameLength,
                                          std::uint32_t* secondValue, std::uint32_t* kind) {
  // The fields lie at fixed offsets up to byte 26: a shorter frame holds none of them.
  if (frame == nullptr || length < kFrameHeaderBytes || frame[0] != 0 || frame[1] != 0 ||
      frame[2] != 1 ||
      std::find(kFrameStreamIds.begin(), kFrameStreamIds.end(), frame[3]) ==
          kFrameStreamIds.end()) {
    return -1;
  }
  std::uint32_t code = 0xFFFFFFFF;
  std::uint32_t p = 0;
  std::uint32_t foundKind = 0;
  for (;; ++p) {
    if (p >= length - 1 || p > kFrameHeaderSearchLimit) {
      return -1;
    }
    code = code << 8 | frame[p];
    if ((code >> 8) != 1 || (code & 0xFF) < 0xBA) {
      continue;
    }
    const std::uint32_t high = (code >> 4) & 0xF;
    if (high == 0xE || high == 0xD) {
      foundKind = 0;
      break;
    }
    if (high == 0xC) {
      foundKind = 1;
      break;
    }
  }
  Put(streamNumber, code & 15);
  Put(kind, foundKind);
  Put(secondValue, MarkedValueFrom(frame + 21));
  Put(frameLength, MarkedValueFrom(frame + 24));
  return 0;
}

std::uint32_t CMpeg4DecoderContext::ScanStream(const std::uint8_t* buffer, std::int32_t length,
                                               std::uint32_t* pts, std::uint32_t* width,
                                               std::uint32_t* height, std::uint32_t* unused,
                                               std::uint32_t* vopType) {
  Put(unused, 0u);
  return ScanStartCodes(buffer, length, {pts, width, height, vopType}, true);
}

std::uint32_t ScanMpegStream(const std::uint8_t* buffer, std::int32_t length, std::uint32_t* pts,
                             std::uint32_t* width, std::uint32_t* height, std::uint32_t* unused,
                             std::uint32_t* vopType) {
  Put(unused, 0u);
  return ScanStartCodes(buffer, length, {pts, width, height, vopType}, false);
}

std::uint32_t ReadPesTimeStamp(std::span<const std::uint8_t> pes) {
  constexpr std::size_t kPtsEnd = 14;
  constexpr std::size_t kDtsEnd = 19;
  if (pes.size() < kPtsEnd || pes[0] != 0 || pes[1] != 0 || pes[2] != 1 || (pes[3] >> 4) != 0xE ||
      (pes[6] >> 6) != 2) {
    return 0;
  }
  const int stamps = pes[7] >> 6;
  if (stamps == 2) {
    if ((pes[9] >> 4) != 2 || (pes[11] & 1) == 0 || (pes[13] & 1) == 0) {
      return 0;
    }
    return StampFrom(pes.data() + 9);
  }
  if (stamps == 3) {
    if (pes.size() < kDtsEnd || (pes[9] >> 4) != 3 || (pes[14] >> 4) != 1 || (pes[11] & 1) == 0 ||
        (pes[13] & 1) == 0 || (pes[16] & 1) == 0 || (pes[18] & 1) == 0) {
      return 0;
    }
    return StampFrom(pes.data() + 14);
  }
  return 0;
}

std::int32_t MuLawToLinear(std::uint8_t sample) {
  const std::uint32_t u = static_cast<std::uint8_t>(~sample);
  const std::int32_t t = static_cast<std::int32_t>(((u & 0x0F) * 8 + 132) << ((u & 0x70) >> 4));
  return (u & 0x80) != 0 ? 132 - t : t - 132;
}
