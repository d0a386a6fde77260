// Fuzz target of the MPEG-4 decoder's entry. The first input byte picks the picture size, the
// output mode and the reference mode; the rest is cut at VOP start codes into up to four
// frames, decoded in order by one freshly initialised decoder (so frame-to-frame state is
// exercised too). Every result must be 0 or 3; the sanitizers catch any access outside a buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/mp4dec/mp4dec.h"

namespace {

struct PictureSize {
  int width;
  int height;
};
constexpr PictureSize kSizes[4] = {{64, 48}, {176, 144}, {168, 120}, {352, 288}};

struct Decoder {
  explicit Decoder(PictureSize size, int mode, int referenceMode) {
    Mp4DecBufferSizes sizes{};
    if (Mp4DecControl(1, kMp4DecCmdQuerySizes, &inst, &sizes, size.width, size.height, 0) !=
        kMp4DecOk) {
      std::abort();
    }
    frame0.assign(sizes.frameBuffer0, 0);
    frame1.assign(sizes.frameBuffer1, 0);
    planes.assign(sizes.outputPlanes, 0);
    context.assign(sizes.context / sizeof(std::max_align_t) + 1, std::max_align_t{});
    tables.assign(sizes.tables / sizeof(std::max_align_t) + 1, std::max_align_t{});
    reader.assign(sizes.bitReader / sizeof(std::max_align_t) + 1, std::max_align_t{});
    inst.outputMode = mode;
    inst.frameBuffer0 = frame0.data();
    inst.frameBuffer1 = frame1.data();
    inst.outputPlaneBuffer = planes.data();
    inst.context = context.data();
    inst.tables = tables.data();
    inst.bitReader = reader.data();
    if (Mp4DecControl(1, kMp4DecCmdInit, &inst, nullptr, 0, 0, referenceMode) != kMp4DecOk) {
      std::abort();
    }
    output.assign(Mp4DecOutputBytes(mode, size.width, size.height, size.width), 0);
  }

  Mp4DecInstance inst;
  std::vector<std::uint8_t> frame0, frame1, planes, output;
  std::vector<std::max_align_t> context, tables, reader;
};

void Check(std::int32_t result) {
  if (result != kMp4DecOk && result != kMp4DecRefused) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  const std::uint8_t control = data[0];
  const PictureSize picture = kSizes[control & 3];
  const int mode = 1 + ((control >> 2) % 11);
  const int referenceMode = (control >> 6) & 1;
  // Exact-size copies so that any read past an input's end is caught.
  const std::vector<std::uint8_t> stream(data + 1, data + size);

  std::uint32_t info = 0;
  std::vector<std::uint8_t> infoBytes(
      stream.begin(),
      stream.begin() + std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(stream.size()), 256));
  Check(Mp4DecControl(1, kMp4DecCmdStreamInfo, infoBytes.data(), &info,
                      static_cast<std::int32_t>(infoBytes.size()), 0, 0));

  Decoder decoder(picture, mode, referenceMode);
  std::size_t start = 0;
  int frames = 0;
  bool inVop = false;
  for (std::size_t i = 0; i <= stream.size() && frames < 4; ++i) {
    const bool end = i == stream.size();
    const bool startCode =
        !end && i + 3 < stream.size() && stream[i] == 0 && stream[i + 1] == 0 && stream[i + 2] == 1;
    if (!end && !startCode) {
      continue;
    }
    if (end || inVop) {
      std::vector<std::uint8_t> frame(stream.begin() + static_cast<std::ptrdiff_t>(start),
                                      stream.begin() + static_cast<std::ptrdiff_t>(i));
      Mp4DecFrameIo io;
      io.output = decoder.output.data();
      io.input = frame.data();
      io.inputLength = static_cast<std::int32_t>(frame.size());
      io.outputSwitch = 1;
      io.outputStride = picture.width;
      Check(Mp4DecControl(1, kMp4DecCmdDecode, &io, &decoder.inst, 0, 0, 0));
      start = i;
      ++frames;
      inVop = false;
    }
    if (startCode) {
      inVop = stream[i + 3] == 0xB6;
    }
  }
  return 0;
}
