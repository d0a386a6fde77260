// Fuzz target of the MPEG-4 decoder's entry. The first seven input bytes pick the decoder's
// set-up within its limits: the picture size (any size up to 720 x 576, or the size the stream's
// own VOL gives), the output mode (1..11), the reference mode, the post-filter switch, decoding
// without output, the output stride of modes 2 and 3 (narrower than the picture too, which the
// decoder must refuse), and the processor class whose primitive forms decode (generic, SSE,
// SSE2, SSE3, byte 6 modulo 4). The rest is cut at VOP start codes into up to four frames,
// decoded in order by one freshly initialised decoder (so frame-to-frame state is exercised
// too). Every result must be 0 or 3; the sanitizers catch any access outside a buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/mp4dec/context.h"
#include "codec/mp4dec/mp4dec.h"
#include "cpu_class/cpu_classes.h"

namespace {

constexpr std::size_t kSetupBytes = 7;

struct Setup {
  int width = 0;
  int height = 0;
  int mode = 1;
  int referenceMode = 0;
  bool postFilter = false;
  bool sizeFromStream = false;
  bool output = true;
  int stride = 0;
  const cpu_class::CpuClass* cpuClass = nullptr;
};

Setup ReadSetup(const std::uint8_t* data) {
  Setup s;
  s.width = 1 + (data[0] | data[1] << 8) % kMp4DecMaxWidth;
  s.height = 1 + (data[2] | data[3] << 8) % kMp4DecMaxHeight;
  const std::uint8_t control = data[4];
  s.mode = 1 + (control & 15) % 11;
  s.referenceMode = (control >> 4) & 1;
  s.postFilter = ((control >> 5) & 1) != 0;
  s.sizeFromStream = ((control >> 6) & 1) != 0;
  s.output = ((control >> 7) & 1) == 0;
  s.stride = data[5] % 48;  // an offset from width - 16, for modes 2 and 3
  s.cpuClass = &cpu_class::CpuClassOfByte(data[6]);
  return s;
}

void Check(std::int32_t result) {
  if (result != kMp4DecOk && result != kMp4DecRefused) {
    std::abort();
  }
}

struct Decoder {
  explicit Decoder(const Setup& s) {
    Mp4DecBufferSizes sizes{};
    if (Mp4DecControl(1, kMp4DecCmdQuerySizes, &inst, &sizes, s.width, s.height, 0) != kMp4DecOk) {
      std::abort();
    }
    frame0.assign(sizes.frameBuffer0, 0);
    frame1.assign(sizes.frameBuffer1, 0);
    planes.assign(sizes.outputPlanes, 0);
    context.assign(sizes.context / sizeof(std::max_align_t) + 1, std::max_align_t{});
    tables.assign(sizes.tables / sizeof(std::max_align_t) + 1, std::max_align_t{});
    reader.assign(sizes.bitReader / sizeof(std::max_align_t) + 1, std::max_align_t{});
    inst.outputMode = s.mode;
    inst.frameBuffer0 = frame0.data();
    inst.frameBuffer1 = frame1.data();
    inst.outputPlaneBuffer = planes.data();
    inst.context = context.data();
    inst.tables = tables.data();
    inst.bitReader = reader.data();
    if (Mp4DecControl(1, kMp4DecCmdInit, &inst, nullptr, 0, 0, s.referenceMode) != kMp4DecOk) {
      std::abort();
    }
    // The switch no command sets: the context block is the caller's.
    if (s.postFilter) {
      ContextOf(inst).postFilter = 1;
    }
    const bool strided = s.mode == kMp4DecModeUyvy || s.mode == kMp4DecModePlanar;
    stride = strided ? std::max(1, s.width - 16 + s.stride) : s.width;
    output.assign(Mp4DecOutputBytes(s.mode, s.width, s.height, stride), 0);
  }

  Mp4DecInstance inst;
  int stride = 0;
  std::vector<std::uint8_t> frame0, frame1, planes, output;
  std::vector<std::max_align_t> context, tables, reader;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSetupBytes) {
    return 0;
  }
  Setup setup = ReadSetup(data);
  // The class's processor stays installed, so the decoder's own detection on every call keeps
  // the class's forms.
  if (!cpu_class::ForceCpuClass(*setup.cpuClass)) {
    std::abort();
  }
  // Exact-size copies so that any read past an input's end is caught.
  const std::vector<std::uint8_t> stream(data + kSetupBytes, data + size);

  // Stream information from the first video object start code on, as the compose thread's
  // scanner asks for it (at most 256 bytes are read).
  std::size_t object = 0;
  while (object + 3 < stream.size() && !(stream[object] == 0 && stream[object + 1] == 0 &&
                                         stream[object + 2] == 1 && stream[object + 3] <= 0x1F)) {
    ++object;
  }
  std::uint32_t info = 0;
  const std::vector<std::uint8_t> infoBytes(
      stream.begin() + static_cast<std::ptrdiff_t>(std::min(object, stream.size())),
      stream.begin() + static_cast<std::ptrdiff_t>(std::min(object + 256, stream.size())));
  const std::int32_t infoResult =
      infoBytes.empty()
          ? kMp4DecRefused
          : Mp4DecControl(1, kMp4DecCmdStreamInfo, const_cast<std::uint8_t*>(infoBytes.data()),
                          &info, static_cast<std::int32_t>(infoBytes.size()), 0, 0);
  Check(infoResult);
  if (setup.sizeFromStream && infoResult == kMp4DecOk) {
    const int width = static_cast<int>(info >> 12);
    const int height = static_cast<int>(info & 0xFFF);
    if (width >= 1 && height >= 1 && width <= kMp4DecMaxWidth && height <= kMp4DecMaxHeight) {
      setup.width = width;
      setup.height = height;
    }
  }

  Decoder decoder(setup);
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
      io.output = decoder.output.empty() ? nullptr : decoder.output.data();
      io.input = frame.empty() ? nullptr : frame.data();
      io.inputLength = static_cast<std::int32_t>(frame.size());
      io.outputSwitch = setup.output ? 1 : 0;
      io.outputStride = decoder.stride;
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
