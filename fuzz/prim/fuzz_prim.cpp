// Input: one selector byte, then the operation's bytes.
//   0: inverse DCT of a 64-coefficient block.
//   1: H.263 inverse quantisation: QP byte, offset byte, then coefficients.
//   2: YUV 4:2:0 to BGR: width, height, upward flag, then sample bytes (repeated as needed).
//   3: MPEG-4 dequantisation workers: worker byte (intra or non-intra, raster or scan), QP byte,
//      count byte, two bound bytes, then weights, scan and coefficients (repeated as needed).
// Every operation runs on every form: the generic form on each of its instruction-set paths
// this processor runs, and the SSE, SSE2 and SSE3 forms.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "prim/generic_path.h"
#include "prim/prim.h"
#include "prim/prim_mpeg4_quant.h"

namespace {

// One form: the class that selects it, and for the generic form the path it runs.
struct Form {
  std::int32_t cpuClass;
  PrimGenericPath path;
  bool table;  // the table-driven inverse DCT
};

constexpr std::array<Form, 6> kAllForms{{
    {PrimCpuUnknown, PrimGenericPath::kScalar, false},
    {PrimCpuUnknown, PrimGenericPath::kSse2, false},
    {PrimCpuUnknown, PrimGenericPath::kAvx2, false},
    {PrimCpuFamily6Sse, PrimGenericPath::kScalar, true},
    {PrimCpuFamily6Sse2, PrimGenericPath::kScalar, true},
    {PrimCpuFamily15Sse3, PrimGenericPath::kScalar, true},
}};

// The forms this processor runs (a generic path it lacks is left out).
const std::vector<Form>& Forms() {
  static const std::vector<Form> forms = [] {
    std::vector<Form> f;
    for (const Form& form : kAllForms) {
      if (form.table || form.path <= PrimGenericPathSupported()) {
        f.push_back(form);
      }
    }
    return f;
  }();
  return forms;
}

void Select(const Form& form) {
  primStaticInitCpu(form.cpuClass);
  PrimForceGenericPath(form.path);
}

// The generic paths agree with each other, the table-driven forms with each other.
void Idct(const std::uint8_t* data, std::size_t size) {
  std::array<std::int16_t, 64> in{};
  std::memcpy(in.data(), data, std::min(size, sizeof(in)));
  std::array<std::array<std::int16_t, 64>, 2> first{};
  std::array<bool, 2> seen{};
  for (const Form& form : Forms()) {
    Select(form);
    std::array<std::int16_t, 64> out = in;
    if (primDCT8x8Inv_16s_C1I(out.data()) != StsNoError) {
      std::abort();
    }
    const std::size_t family = form.table ? 1 : 0;
    if (!seen[family]) {
      first[family] = out;
      seen[family] = true;
    } else if (out != first[family]) {
      std::abort();
    }
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
  for (const Form& form : Forms()) {
    Select(form);
    std::vector<std::uint8_t> buffer(offset + size + 16);
    std::memcpy(buffer.data() + offset, data, size);
    auto* array = reinterpret_cast<std::int16_t*>(buffer.data() + offset);
    const PrimStatus status = primQuantInvInter_Compact_H263_16s_I(array, len, qp);
    const bool valid = len >= 1 && qp >= 1 && qp <= 31;
    if ((status == StsNoError) != valid) {
      std::abort();
    }
    if (reference.empty()) {
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
  for (const Form& form : Forms()) {
    Select(form);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(dstStep * height + 1), 0x5A);
    const PrimStatus status =
        primYUV420ToBGR_8u_P3C3R(planes, steps, out.data(), dstStep, width, height);
    if ((status == StsNoError) != (width >= 1 && height >= 1)) {
      std::abort();
    }
    if (reference.empty()) {
      reference = out;
    } else if (out != reference) {
      std::abort();
    }
  }
}

// The MPEG-4 dequantisation workers of every form give the same block and the same sum.
struct Mpeg4Workers {
  QuantInvMpeg4WorkerFn* intra;
  QuantInvMpeg4WorkerFn* inter;
  QuantInvMpeg4ScanWorkerFn* intraScan;
  QuantInvMpeg4ScanWorkerFn* interScan;
};

std::vector<Mpeg4Workers> Mpeg4Forms() {
  std::vector<Mpeg4Workers> forms;
  auto add = [&](const QuantInvMpeg4GenericPath& p) {
    forms.push_back({p.intra, p.inter, p.intraScan, p.interScan});
  };
  add(kQuantInvMpeg4GenericScalar);
#if defined(__x86_64__)
  add(kQuantInvMpeg4GenericSse2);
  if (PrimGenericPathSupported() >= PrimGenericPath::kAvx2) {
    add(kQuantInvMpeg4GenericAvx2);
  }
#endif
  forms.push_back({QuantInvIntraMpeg4Worker_Sse, QuantInvInterMpeg4Worker_Sse,
                   QuantInvIntraMpeg4ScanWorker_Sse, QuantInvInterMpeg4ScanWorker_Sse});
  forms.push_back({QuantInvIntraMpeg4Worker_Sse2, QuantInvInterMpeg4Worker_Sse2,
                   QuantInvIntraMpeg4ScanWorker_Sse2, QuantInvInterMpeg4ScanWorker_Sse2});
  forms.push_back({QuantInvIntraMpeg4Worker_Sse3, QuantInvInterMpeg4Worker_Sse3,
                   QuantInvIntraMpeg4ScanWorker_Sse3, QuantInvInterMpeg4ScanWorker_Sse3});
  return forms;
}

void Mpeg4Quant(const std::uint8_t* data, std::size_t size) {
  if (size < 6) {
    return;
  }
  const int worker = data[0] % 4;               // intra, non-intra, intra scan, non-intra scan
  const std::int32_t qp = 1 + data[1] % 31;     // the workers' callers keep QP in 1..31
  const std::int32_t count = data[2] % 80 - 8;  // the scan forms take any count
  // Bounds within the 16-bit range, lower <= upper.
  std::int32_t lower = static_cast<std::int8_t>(data[3]) * 256;
  std::int32_t upper = static_cast<std::int8_t>(data[4]) * 256 + 255;
  if (lower > upper) {
    std::swap(lower, upper);
  }
  data += 5;
  size -= 5;
  std::array<std::uint8_t, 64> weights{};
  std::array<std::uint8_t, 64> scan{};
  std::array<std::int16_t, 64> in{};
  std::size_t k = 0;
  for (auto& w : weights) {
    w = data[k++ % size];
  }
  for (auto& s : scan) {
    s = data[k++ % size];
  }
  for (auto& c : in) {
    const std::uint8_t low = data[k++ % size];
    c = static_cast<std::int16_t>(low | data[k++ % size] << 8);
  }
  std::array<std::int16_t, 64> reference{};
  std::int32_t referenceSum = 0;
  bool first = true;
  for (const Mpeg4Workers& form : Mpeg4Forms()) {
    std::array<std::int16_t, 64> out = in;
    std::int32_t sum = 17;
    switch (worker) {
      case 0:
        form.intra(out.data(), weights.data(), qp, lower, upper, &sum);
        break;
      case 1:
        form.inter(out.data(), weights.data(), qp, lower, upper, &sum);
        break;
      case 2:
        form.intraScan(out.data(), count, weights.data(), scan.data(), qp, &sum);
        break;
      default:
        form.interScan(out.data(), count, weights.data(), scan.data(), qp, &sum);
        break;
    }
    if (first) {
      reference = out;
      referenceSum = sum;
      first = false;
    } else if (out != reference || sum != referenceSum) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  switch (data[0] % 4) {
    case 0:
      Idct(data + 1, size - 1);
      break;
    case 1:
      Quant(data + 1, size - 1);
      break;
    case 2:
      Yuv(data + 1, size - 1);
      break;
    default:
      Mpeg4Quant(data + 1, size - 1);
      break;
  }
  return 0;
}
