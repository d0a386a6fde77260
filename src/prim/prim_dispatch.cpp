// Processor detection and the dispatch index.
#include "prim/prim_dispatch.h"

#include <cpuid.h>

namespace {

class HardwareCpuSource final : public PrimCpuSource {
 public:
  bool CanToggleIdFlag() const override {
    std::uint64_t before = 0;
    std::uint64_t after = 0;
    // Invert the ID bit, write the flags back, read them again and restore the original.
    __asm__ volatile(
        "pushfq\n\t"
        "pop %0\n\t"
        "mov %0, %1\n\t"
        "xor $0x200000, %1\n\t"
        "push %1\n\t"
        "popfq\n\t"
        "pushfq\n\t"
        "pop %1\n\t"
        "push %0\n\t"
        "popfq\n\t"
        : "=&r"(before), "=&r"(after)
        :
        : "cc", "memory");
    return ((before ^ after) & 0x200000U) != 0;
  }

  PrimCpuidRegs Cpuid(std::uint32_t leaf) const override {
    PrimCpuidRegs regs;
    __cpuid_count(leaf, 0, regs.eax, regs.ebx, regs.ecx, regs.edx);
    return regs;
  }
};

const HardwareCpuSource g_hardwareSource;
std::atomic<const PrimCpuSource*> g_cpuSource{&g_hardwareSource};
std::atomic<PrimDispatchRecord*> g_listHead{nullptr};

const PrimCpuSource& Source() {
  return *g_cpuSource.load(std::memory_order_acquire);
}

constexpr std::uint32_t Bit(std::uint32_t word, unsigned bit) {
  return (word >> bit) & 1U;
}

}  // namespace

std::atomic<std::int32_t> PrimCpuIndex{PrimIndexGeneric};

PrimDispatchRecord* PrimRegisterDispatchRecord(PrimDispatchRecord* record) {
  return g_listHead.exchange(record, std::memory_order_acq_rel);
}

PrimDispatchRecord* PrimDispatchListHead() {
  return g_listHead.load(std::memory_order_acquire);
}

const PrimCpuSource& PrimHardwareCpuSource() {
  return g_hardwareSource;
}

const PrimCpuSource* PrimSetCpuSource(const PrimCpuSource* source) {
  const PrimCpuSource* next = source != nullptr ? source : &g_hardwareSource;
  return g_cpuSource.exchange(next, std::memory_order_acq_rel);
}

namespace {

std::int32_t HasCpuid(const PrimCpuSource& source) {
  return source.CanToggleIdFlag() ? 1 : 0;
}

std::int32_t IsKnownVendor(const PrimCpuSource& source) {
  const PrimCpuidRegs regs = source.Cpuid(0);
  return regs.ebx == 0x756E6547U && regs.edx == 0x49656E69U && regs.ecx == 0x6C65746EU ? 1 : 0;
}

PrimCpuInfo ReadCpuInfo(const PrimCpuSource& source) {
  const PrimCpuidRegs leaf1 = source.Cpuid(1);
  const PrimCpuidRegs leaf2 = source.Cpuid(2);
  const PrimCpuidRegs extMax = source.Cpuid(0x80000000U);
  PrimCpuInfo out;
  out.family = (leaf1.eax >> 8) & 0xFU;
  out.stepping = leaf1.eax & 0xFU;
  out.model = (leaf1.eax >> 4) & 0xFU;
  out.features = leaf1.edx;
  out.cacheEax = leaf2.eax;
  out.cacheEdx = leaf2.edx;
  out.mmx = Bit(leaf1.edx, 23);
  out.sse = Bit(leaf1.edx, 25);
  out.sse2 = Bit(leaf1.edx, 26);
  const std::uint32_t logicalCount = (leaf1.ebx >> 16) & 0xFFU;
  out.hyperThreading = Bit(leaf1.edx, 28) != 0 && logicalCount > 1 ? 1 : 0;
  out.sse3 = Bit(leaf1.ecx, 0);
  out.ext64 = extMax.eax >= 0x80000001U ? Bit(source.Cpuid(0x80000001U).edx, 29) : 0;
  return out;
}

PrimCpuType CpuType(const PrimCpuSource& source) {
  if (HasCpuid(source) == 0 || IsKnownVendor(source) == 0) {
    return 0;
  }
  return PrimCpuTypeFromInfo(ReadCpuInfo(source));
}

// The outcome of processor detection: the index it selects and the status it returns.
struct Detection {
  std::int32_t index;
  PrimStatus status;
};

Detection Detect(const PrimCpuSource& source) {
  const std::int32_t index = PrimIndexFromCpuType(CpuType(source));
  if (HasCpuid(source) == 0 || IsKnownVendor(source) == 0) {
    return {PrimIndexGeneric, StsNotKnownCpu};
  }
  return {index, StsNoError};
}

// The processor does not change under a running process: its detection runs once (CPUID is
// slow, and traps to the hypervisor in a virtual machine). Other sources are asked every time.
Detection DetectOnce(const PrimCpuSource& source) {
  if (&source != &g_hardwareSource) {
    return Detect(source);
  }
  static const Detection hardware = Detect(g_hardwareSource);
  return hardware;
}

}  // namespace

std::int32_t PrimHasCpuid() {
  return HasCpuid(Source());
}

std::int32_t PrimIsKnownVendor() {
  return IsKnownVendor(Source());
}

void PrimReadCpuInfo(PrimCpuInfo* info) {
  if (info == nullptr) {
    return;
  }
  *info = ReadCpuInfo(Source());
}

PrimCpuType PrimCpuTypeFromInfo(const PrimCpuInfo& info) {
  switch (info.family) {
    case 5:
      return info.mmx != 0 ? PrimCpuFamily5Mmx : PrimCpuFamily5;
    case 6:
      if (info.sse2 != 0) {
        return PrimCpuFamily6Sse2;
      }
      if (info.sse != 0) {
        return PrimCpuFamily6Sse;
      }
      return info.mmx != 0 ? PrimCpuFamily6Mmx : PrimCpuFamily6;
    case 7:
      return PrimCpuFamily7;
    case 15:
      if (info.sse2 == 0) {
        return PrimCpuFamily15NoSse2;
      }
      if (info.sse3 != 0) {
        return info.ext64 != 0 ? PrimCpuFamily15Sse3Ext64 : PrimCpuFamily15Sse3;
      }
      return info.hyperThreading != 0 ? PrimCpuFamily15Sse2Ht : PrimCpuFamily15Sse2;
    default:
      return PrimCpuUnknown;
  }
}

PrimCpuType PrimGetCpuType() {
  return CpuType(Source());
}

std::int32_t PrimIndexFromCpuType(PrimCpuType cpuType) {
  switch (cpuType) {
    case PrimCpuFamily6Sse:
    case PrimCpuFamily7:
    case PrimCpuFamily15NoSse2:
      return PrimIndexSse;
    case PrimCpuFamily15Sse2:
    case PrimCpuFamily15Sse2Ht:
    case PrimCpuFamily6Sse2:
      return PrimIndexSse2;
    case PrimCpuFamily15Sse3:
    case PrimCpuFamily15Sse3Ext64:
      return PrimIndexSse3;
    default:
      return PrimIndexGeneric;
  }
}

PrimStatus primStaticInit() {
  // One store of the index: an unknown processor's class already maps to the generic index,
  // so the value stored is the same as when the class's index is stored first.
  const Detection detection = DetectOnce(Source());
  PrimCpuIndex.store(detection.index, std::memory_order_relaxed);
  return detection.status;
}

PrimStatus primStaticInitCpu(std::int32_t cpuType) {
  const bool known = (cpuType >= PrimCpuEmptySlot && cpuType <= PrimCpuFamily6Sse2) ||
                     cpuType == PrimCpuFamily7 || cpuType == PrimCpuFamily15NoSse2 ||
                     cpuType == PrimCpuFamily15Sse3Ext64;
  if (!known) {
    return StsUnknownCpuType;
  }
  const std::int32_t index =
      cpuType == PrimCpuEmptySlot ? PrimIndexEmpty : PrimIndexFromCpuType(cpuType);
  PrimCpuIndex.store(index, std::memory_order_relaxed);
  return StsNoError;
}

// Registration of the decoder's primitives, in their fixed order (the resize primitive
// registers itself from its own source file).
#include "prim/prim_idct.h"
#include "prim/prim_quant.h"
#include "prim/prim_yuv.h"

namespace {

const PrimAutoRegister g_registerYuv{primYUV420ToBGR_8u_P3C3R_record};
const PrimAutoRegister g_registerIdct{primDCT8x8Inv_16s_C1I_record};
const PrimAutoRegister g_registerQuant{primQuantInvInter_Compact_H263_16s_I_record};

}  // namespace
