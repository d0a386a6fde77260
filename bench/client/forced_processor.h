// The processor classes the dispatch knows, forced for a run of the client benchmark whatever
// processor runs it: a processor source that describes a machine of that class is installed (the
// decoder detects the processor again on every call, from the installed source) and the class is
// set through the dispatch's own entry. The previous source comes back when the scope ends.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "prim/prim_dispatch.h"

namespace client_bench {

enum class Forms : std::uint8_t { kMachine, kGeneric, kSse, kSse2, kSse3 };

struct FormsRow {
  Forms forms;
  const char* name;        // as the --forms flag and the benchmark names spell it
  PrimCpuType cpuType;     // what primStaticInitCpu is given
  bool intel;              // false: a processor of another vendor (the generic forms)
  std::uint32_t family;    // CPUID leaf 1 EAX bits 8-11
  std::uint32_t leaf1Edx;  // SSE (bit 25), SSE2 (bit 26)
  std::uint32_t leaf1Ecx;  // SSE3 (bit 0)
  std::uint32_t extEdx;    // leaf 0x80000001 EDX: the 64-bit extension (bit 29)
  std::int32_t index;      // the dispatch index the class selects
};

inline constexpr std::uint32_t kSse = 1U << 25;
inline constexpr std::uint32_t kSse2 = 1U << 26;

inline constexpr std::array<FormsRow, 4> kFormsTable{{
    {Forms::kGeneric, "generic", PrimCpuUnknown, false, 0, 0, 0, 0, PrimIndexGeneric},
    {Forms::kSse, "sse", PrimCpuFamily6Sse, true, 6, kSse, 0, 0, PrimIndexSse},
    {Forms::kSse2, "sse2", PrimCpuFamily6Sse2, true, 6, kSse | kSse2, 0, 0, PrimIndexSse2},
    {Forms::kSse3, "sse3", PrimCpuFamily15Sse3Ext64, true, 15, kSse | kSse2, 1, 1U << 29,
     PrimIndexSse3},
}};

inline const FormsRow* FindForms(std::string_view name) {
  for (const FormsRow& row : kFormsTable) {
    if (name == row.name)
      return &row;
  }
  return nullptr;
}

// A processor of the row's class, as CPUID would describe it.
class ProcessorOfClass final : public PrimCpuSource {
 public:
  explicit ProcessorOfClass(const FormsRow& row) : m_row(row) {}
  bool CanToggleIdFlag() const override { return true; }
  PrimCpuidRegs Cpuid(std::uint32_t leaf) const override {
    if (!m_row.intel)
      return leaf == 0 ? PrimCpuidRegs{1, 1, 2, 3} : PrimCpuidRegs{};
    switch (leaf) {
      case 0:
        return {2, 0x756E6547U, 0x6C65746EU, 0x49656E69U};  // "GenuineIntel"
      case 1:
        return {(m_row.family << 8) | 0x3U, 1U << 16, m_row.leaf1Ecx, m_row.leaf1Edx};
      case 0x80000000U:
        return {0x80000008U, 0, 0, 0};
      case 0x80000001U:
        return {0, 0, 0, m_row.extEdx};
      default:
        return {};
    }
  }

 private:
  const FormsRow& m_row;
};

// Forces the row's class for the scope's life; a null row leaves the machine's own.
class ScopedProcessorClass {
 public:
  explicit ScopedProcessorClass(const FormsRow* row) {
    if (row == nullptr) {
      primStaticInit();
      return;
    }
    m_source.emplace(*row);
    m_saved = PrimSetCpuSource(&*m_source);
    primStaticInitCpu(row->cpuType);
    primStaticInit();  // as the decoder's next call does: the installed source gives the class
    m_ok = PrimCpuIndex.load() == row->index;
  }
  ~ScopedProcessorClass() {
    if (m_source) {
      PrimSetCpuSource(m_saved);
      primStaticInit();
    }
  }
  ScopedProcessorClass(const ScopedProcessorClass&) = delete;
  ScopedProcessorClass& operator=(const ScopedProcessorClass&) = delete;
  // False when the dispatch did not select the class's index.
  bool Ok() const { return m_ok; }

 private:
  std::optional<ProcessorOfClass> m_source;
  const PrimCpuSource* m_saved = nullptr;
  bool m_ok = true;
};

}  // namespace client_bench
