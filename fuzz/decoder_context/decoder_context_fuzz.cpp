// Fuzz target of the decoder context as the client drives it: opened (reference mode 1) at the
// picture size a login reply gives, any 16-bit width and height, then fed frames as the compose
// thread hands them over, each decoded into the context's own picture and copied out or decoded
// straight into a caller's picture (of the right size, or one that is too small and must be
// refused untouched); a re-initialisation at a second size may come between two frames.
//
// Input: width u16, height u16, a frame-method mask u8 (bit i: frame i goes through
// DecodeFrameInto), the frame before which Reset runs (low nibble; 8 and above: none) with its
// reference mode (high nibble), the second width u16 and height u16, the shortfall of the
// caller's picture u8 (0: exact), the processor class whose primitive forms decode u8 (generic,
// SSE, SSE2, SSE3, modulo 4); then the stream, cut into frames before each VO or VOP start that
// follows a VOP (up to eight frames).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "codec/context/mpeg4_decoder_context.h"
#include "cpu_class/cpu_classes.h"

namespace {

constexpr std::size_t kSetupBytes = 12;
constexpr int kMaxFrames = 8;
constexpr std::uint8_t kCanary = 0xA5;

std::uint16_t U16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

CMpeg4DecoderContext& Context() {
  static CMpeg4DecoderContext* context = [] {
    auto* c = new CMpeg4DecoderContext();
    if (c->AllocateBuffers() != 1)
      std::abort();
    return c;
  }();
  return *context;
}

// Cuts the stream before each start code of a VO (00..1F) or a VOP that follows a VOP.
std::vector<std::span<const std::uint8_t>> Frames(std::span<const std::uint8_t> stream) {
  std::vector<std::span<const std::uint8_t>> frames;
  std::size_t start = 0;
  bool sawVop = false;
  for (std::size_t i = 0; i + 3 < stream.size(); ++i) {
    if (stream[i] != 0 || stream[i + 1] != 0 || stream[i + 2] != 1)
      continue;
    const std::uint8_t code = stream[i + 3];
    if (sawVop && (code == 0xB6 || code <= 0x1F) && i > start) {
      frames.push_back(stream.subspan(start, i - start));
      start = i;
      sawVop = false;
      if (frames.size() + 1 == kMaxFrames)
        break;
    }
    sawVop = sawVop || code == 0xB6;
  }
  if (start < stream.size())
    frames.push_back(stream.subspan(start));
  return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSetupBytes)
    return 0;
  CMpeg4DecoderContext& context = Context();
  const std::uint16_t width = U16(data);
  const std::uint16_t height = U16(data + 2);
  const std::uint8_t intoMask = data[4];
  const int resetBefore = data[5] & 15;
  const std::uint32_t resetFlags = data[5] >> 4;
  const std::uint16_t width2 = U16(data + 6);
  const std::uint16_t height2 = U16(data + 8);
  const std::size_t shortfall = data[10];
  // The class's processor stays installed, so the decoder's own detection on every call keeps
  // the class's forms.
  if (!cpu_class::ForceCpuClass(cpu_class::CpuClassOfByte(data[11])))
    std::abort();

  const bool opened = context.Open(width, height, 1);
  const bool fits =
      width >= 1 && height >= 1 && width <= kMp4DecMaxWidth && height <= kMp4DecMaxHeight;
  if (opened != fits || context.IsOpen() != opened || context.Width() != (opened ? width : 0u) ||
      context.Height() != (opened ? height : 0u)) {
    std::abort();
  }

  const std::vector<std::uint8_t> stream(data + kSetupBytes, data + size);
  const auto frames = Frames(stream);
  std::vector<std::uint8_t> copy;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (static_cast<int>(i) == resetBefore)
      (void)context.Reset(width2, height2, resetFlags);
    // An exact-size copy, so a read past the frame's end is caught.
    const std::vector<std::uint8_t> frame(frames[i].begin(), frames[i].end());
    const auto length = static_cast<std::uint32_t>(frame.size());
    const std::size_t pictureBytes = std::size_t{context.Width()} * context.Height() * 3;
    if ((intoMask >> (i % 8)) & 1) {
      const std::size_t bytes = shortfall <= pictureBytes ? pictureBytes - shortfall : 0;
      std::vector<std::uint8_t> picture(bytes, kCanary);
      const bool decoded = context.DecodeFrameInto(frame.data(), length, picture);
      if (!context.IsOpen() && decoded)
        std::abort();
      if (bytes < pictureBytes &&
          (decoded || std::any_of(picture.begin(), picture.end(),
                                  [](std::uint8_t b) { return b != kCanary; }))) {
        std::abort();
      }
    } else {
      const bool decoded = context.DecodeFrame(frame.data(), length, 1, 0, 0, width, height);
      if (!context.IsOpen() && decoded)
        std::abort();
      copy.assign(pictureBytes, 0);
      if (context.CopyImage(copy) != (pictureBytes > 0 ? 1 : 0))
        std::abort();
    }
    std::uint32_t pts = 0, w = 0, h = 0, vopType = 0;
    (void)context.Decode(frame.data(), static_cast<std::int32_t>(length), &pts, &w, &h, nullptr,
                         &vopType);
  }
  return 0;
}
