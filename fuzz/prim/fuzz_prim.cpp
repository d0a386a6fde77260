// Input: one selector byte, then the operation's bytes.
//   0: inverse DCT of a 64-coefficient block.
//   1: H.263 inverse quantisation: QP byte, offset byte, then coefficients.
//   2: YUV 4:2:0 to BGR: width, height, upward flag, then sample bytes (repeated as needed).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "prim/prim.h"

namespace {

constexpr std::array<std::int32_t, 4> kFormClasses{0, 5, 9, 8};  // generic, SSE, SSE2, SSE3

void Idct(const std::uint8_t* data, std::size_t size) {
  std::array<std::int16_t, 64> in{};
  std::memcpy(in.data(), data, std::min(size, sizeof(in)));
  std::array<std::array<std::int16_t, 64>, 4> out{};
  for (std::size_t f = 0; f < 4; ++f) {
    primStaticInitCpu(kFormClasses[f]);
    out[f] = in;
    if (primDCT8x8Inv_16s_C1I(out[f].data()) != StsNoError) {
      std::abort();
    }
  }
  if (out[1] != out[2] || out[2] != out[3]) {
    std::abort();
  }
}

void Quant(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return;
  }
  const std::int32_t qp = data[0] % 40 - 4;  // includes invalid quantisers
  const std::size_t offset = data[1] % 9;    // includes odd byte addresses
  data += 2;
  size -= 2;
  const auto len = static_cast<std::int32_t>(size / 2);
  std::vector<std::uint8_t> reference;
  for (std::size_t f = 0; f < 4; ++f) {
    primStaticInitCpu(kFormClasses[f]);
    std::vector<std::uint8_t> buffer(offset + size + 16);
    std::memcpy(buffer.data() + offset, data, size);
    auto* array = reinterpret_cast<std::int16_t*>(buffer.data() + offset);
    const PrimStatus status = primQuantInvInter_Compact_H263_16s_I(array, len, qp);
    const bool valid = len >= 1 && qp >= 1 && qp <= 31;
    if ((status == StsNoError) != valid) {
      std::abort();
    }
    if (f == 0) {
      reference = buffer;
    } else if (buffer != reference) {
      std::abort();
    }
  }
}

void Yuv(const std::uint8_t* data, std::size_t size) {
  if (size < 4) {
    return;
  }
  const int width = data[0] % 80;  // 0 is refused
  const int height = data[1] % 12;
  const bool upward = (data[2] & 1) != 0;
  data += 3;
  size -= 3;
  const int lumaStep = width + 3;
  const int chromaStep = (width + 1) / 2 + 1;
  const int chromaRows = (height + 1) / 2;
  std::vector<std::uint8_t> y(static_cast<std::size_t>(lumaStep * height + 1));
  std::vector<std::uint8_t> u(static_cast<std::size_t>(chromaStep * chromaRows + 1));
  std::vector<std::uint8_t> v(u.size());
  std::size_t k = 0;
  for (auto* plane : {&y, &u, &v}) {
    for (auto& b : *plane) {
      b = data[k++ % size];
    }
  }
  const std::uint8_t* planes[3] = {y.data(), u.data(), v.data()};
  std::int32_t steps[3] = {lumaStep, chromaStep, chromaStep};
  if (upward && height > 0) {
    planes[0] += lumaStep * (height - 1);
    planes[1] += chromaStep * ((height - 1) / 2);
    planes[2] += chromaStep * ((height - 1) / 2);
    for (auto& s : steps) {
      s = -s;
    }
  }
  const int dstStep = width * 3 + 1;
  std::vector<std::uint8_t> reference;
  for (std::size_t f = 0; f < 4; ++f) {
    primStaticInitCpu(kFormClasses[f]);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(dstStep * height + 1), 0x5A);
    const PrimStatus status =
        primYUV420ToBGR_8u_P3C3R(planes, steps, out.data(), dstStep, width, height);
    if ((status == StsNoError) != (width >= 1 && height >= 1)) {
      std::abort();
    }
    if (f == 0) {
      reference = out;
    } else if (out != reference) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  switch (data[0] % 3) {
    case 0:
      Idct(data + 1, size - 1);
      break;
    case 1:
      Quant(data + 1, size - 1);
      break;
    default:
      Yuv(data + 1, size - 1);
      break;
  }
  return 0;
}
