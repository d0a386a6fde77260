// The processor classes the dispatch knows (generic, SSE, SSE2, SSE3 forms), each with a
// processor that detection maps to it, so that a test program, a fuzz target, a benchmark or a
// tool can run the forms of any class whatever the machine it runs on.
//
// Forcing a class takes both halves: the class's index through primStaticInitCpu, and the
// class's processor as the detection source, because the decoder runs detection again on every
// call (which would otherwise put this machine's forms back).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "prim/prim_dispatch.h"

namespace cpu_class {

// A processor described by its vendor, family and feature words.
class ClassCpu final : public PrimCpuSource {
 public:
  static constexpr std::uint32_t kMmx = 1U << 23;
  static constexpr std::uint32_t kSse = 1U << 25;
  static constexpr std::uint32_t kSse2 = 1U << 26;
  static constexpr std::uint32_t kSse3 = 1U << 0;  // leaf 1 ECX

  ClassCpu(bool genuineIntel, std::uint32_t family, std::uint32_t edx, std::uint32_t ecx,
           bool ext64)
      : m_genuineIntel(genuineIntel), m_family(family), m_edx(edx), m_ecx(ecx), m_ext64(ext64) {}

  bool CanToggleIdFlag() const override { return true; }

  PrimCpuidRegs Cpuid(std::uint32_t leaf) const override {
    switch (leaf) {
      case 0:
        // "GenuineIntel" or "AuthenticAMD", spelt by EBX, EDX, ECX (the braces give EAX, EBX,
        // ECX, EDX).
        return m_genuineIntel ? PrimCpuidRegs{2, 0x756E6547U, 0x6C65746EU, 0x49656E69U}
                              : PrimCpuidRegs{2, 0x68747541U, 0x444D4163U, 0x69746E65U};
      case 1:
        return {(m_family << 8) | 0x23U, 1U << 16, m_ecx, m_edx};
      case 0x80000000U:
        return {0x80000008U, 0, 0, 0};
      case 0x80000001U:
        return {0, 0, 0, m_ext64 ? 1U << 29 : 0U};
      default:
        return {};
    }
  }

 private:
  bool m_genuineIntel;
  std::uint32_t m_family;
  std::uint32_t m_edx;
  std::uint32_t m_ecx;
  bool m_ext64;
};

// Another vendor, with every feature of an x86-64 processor: the dispatch picks the generic
// forms by the vendor alone.
inline const ClassCpu kOtherVendorCpu{false, 15, ClassCpu::kMmx | ClassCpu::kSse | ClassCpu::kSse2,
                                      ClassCpu::kSse3, true};
// Intel family 6 with SSE (no SSE2).
inline const ClassCpu kFamily6SseCpu{true, 6, ClassCpu::kMmx | ClassCpu::kSse, 0, false};
// Intel family 6 with SSE2: most desktops.
inline const ClassCpu kFamily6Sse2Cpu{true, 6, ClassCpu::kMmx | ClassCpu::kSse | ClassCpu::kSse2, 0,
                                      true};
// Intel family 15 with SSE2, SSE3 and the 64-bit extension.
inline const ClassCpu kFamily15Sse3Cpu{true, 15, ClassCpu::kMmx | ClassCpu::kSse | ClassCpu::kSse2,
                                       ClassCpu::kSse3, true};

struct CpuClass {
  std::string_view name;      // as a command line names it
  PrimCpuType cpuType;        // what primStaticInitCpu is given
  std::int32_t index;         // the forms the class selects
  const PrimCpuSource* cpu;   // a processor that detection maps to the same forms
  std::string_view formName;  // for messages
};

inline const std::array<CpuClass, 4> kCpuClasses{{
    {"generic", PrimCpuUnknown, PrimIndexGeneric, &kOtherVendorCpu, "generic"},
    {"sse", PrimCpuFamily6Sse, PrimIndexSse, &kFamily6SseCpu, "SSE"},
    {"sse2", PrimCpuFamily6Sse2, PrimIndexSse2, &kFamily6Sse2Cpu, "SSE2"},
    {"sse3", PrimCpuFamily15Sse3Ext64, PrimIndexSse3, &kFamily15Sse3Cpu, "SSE3"},
}};

// The class of that name, or null.
inline const CpuClass* FindCpuClass(std::string_view name) {
  for (const CpuClass& c : kCpuClasses) {
    if (c.name == name) {
      return &c;
    }
  }
  return nullptr;
}

// The class a fuzz input's byte picks.
inline const CpuClass& CpuClassOfByte(std::uint8_t byte) {
  return kCpuClasses[byte % kCpuClasses.size()];
}

// Installs the class's processor for detection and forces the class's index. True when the
// index is the class's, both right after forcing and after detection ran again from the
// installed processor (as the decoder runs it on every call).
inline bool ForceCpuClass(const CpuClass& c) {
  PrimSetCpuSource(c.cpu);
  if (primStaticInitCpu(c.cpuType) != StsNoError ||
      PrimCpuIndex.load(std::memory_order_relaxed) != c.index) {
    return false;
  }
  (void)primStaticInit();
  return PrimCpuIndex.load(std::memory_order_relaxed) == c.index;
}

}  // namespace cpu_class
