// Processor dispatch of the image and codec primitives.
//
// Each dispatched primitive has a variant table of six words: slot 0 empty, slots 1 to 4 the
// generic, SSE, SSE2 and SSE3 implementations, slot 5 an empty terminator. The process-wide
// index `PrimCpuIndex` names the slot every public entry calls. The index is one atomic word:
// detection may run on the decoding thread while other threads are inside primitives, and both
// the old and the new value name a valid implementation of the same operation.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "prim/prim_status.h"

// Values of PrimCpuIndex.
inline constexpr std::int32_t PrimIndexEmpty = 0;
inline constexpr std::int32_t PrimIndexGeneric = 1;
inline constexpr std::int32_t PrimIndexSse = 2;
inline constexpr std::int32_t PrimIndexSse2 = 3;
inline constexpr std::int32_t PrimIndexSse3 = 4;

// Status of a call made while the index names no implementation (slot 0 or an empty slot):
// the call is refused and nothing is written.
inline constexpr PrimStatus StsNoImplementation = StsNullPointer;

// Starts at 1 (generic) so that a primitive called before any detection runs the generic form.
extern std::atomic<std::int32_t> PrimCpuIndex;
static_assert(std::atomic<std::int32_t>::is_always_lock_free);

inline constexpr std::size_t PrimVariantSlots = 6;

// Fn is the function type shared by the public entry and all its implementations.
template <typename Fn>
using PrimVariantTable = std::array<Fn*, PrimVariantSlots>;

template <typename Fn>
constexpr PrimVariantTable<Fn> PrimMakeVariantTable(Fn* generic, Fn* sse, Fn* sse2, Fn* sse3) {
  return {nullptr, generic, sse, sse2, sse3, nullptr};
}

// The body of every public entry: one load of the index, one indirect call. An index outside
// 1..4 or an empty slot refuses the call instead of jumping through a null pointer.
template <typename Fn, typename... Args>
inline PrimStatus PrimDispatch(const PrimVariantTable<Fn>& table, Args&&... args) {
  const std::int32_t index = PrimCpuIndex.load(std::memory_order_relaxed);
  if (index < PrimIndexGeneric || index > PrimIndexSse3) {
    return StsNoImplementation;
  }
  Fn* const impl = table[static_cast<std::size_t>(index)];
  if (impl == nullptr) {
    return StsNoImplementation;
  }
  return impl(static_cast<Args&&>(args)...);
}

// One registration record per dispatched primitive. The fields are pointer-sized, in this
// order: domain ("i" image, "vc" video coding), the primitive's name, its variant table, and
// the next record of the registration list.
struct PrimDispatchRecord {
  const char* domain;
  const char* name;
  const void* table;
  PrimDispatchRecord* next;
};

// Makes `record` the new list head and returns the previous head; the caller stores that into
// record->next. Registration runs from static initialisers, before main.
PrimDispatchRecord* PrimRegisterDispatchRecord(PrimDispatchRecord* record);

// Head of the registration list (null when nothing registered).
PrimDispatchRecord* PrimDispatchListHead();

// Registers `record` at start-up: declare one `inline const PrimAutoRegister` (or a static one)
// per record in the primitive's source file.
struct PrimAutoRegister {
  explicit PrimAutoRegister(PrimDispatchRecord& record) {
    record.next = PrimRegisterDispatchRecord(&record);
  }
};

// ---- Processor detection -------------------------------------------------------------------

struct PrimCpuidRegs {
  std::uint32_t eax = 0;
  std::uint32_t ebx = 0;
  std::uint32_t ecx = 0;
  std::uint32_t edx = 0;
};

// Where detection reads the processor. The default reads the real EFLAGS ID bit and CPUID;
// tests install their own source to feed any vendor, family and feature words.
class PrimCpuSource {
 public:
  virtual ~PrimCpuSource() = default;
  // True when bit 21 (ID) of EFLAGS can be toggled, i.e. the CPUID instruction exists.
  virtual bool CanToggleIdFlag() const = 0;
  virtual PrimCpuidRegs Cpuid(std::uint32_t leaf) const = 0;
};

// The hardware source.
const PrimCpuSource& PrimHardwareCpuSource();

// Installs `source` for detection (null restores the hardware source). Returns the previous one.
// Meant for tests; the source must outlive its installation.
const PrimCpuSource* PrimSetCpuSource(const PrimCpuSource* source);

// Filled by PrimReadCpuInfo. Flags hold 0 or 1.
struct PrimCpuInfo {
  std::uint32_t family = 0;          // leaf 1 EAX bits 8-11
  std::uint32_t stepping = 0;        // leaf 1 EAX bits 0-3
  std::uint32_t model = 0;           // leaf 1 EAX bits 4-7
  std::uint32_t features = 0;        // leaf 1 EDX
  std::uint32_t cacheEax = 0;        // leaf 2 EAX
  std::uint32_t cacheEdx = 0;        // leaf 2 EDX
  std::uint32_t mmx = 0;             // leaf 1 EDX bit 23
  std::uint32_t sse = 0;             // leaf 1 EDX bit 25
  std::uint32_t sse2 = 0;            // leaf 1 EDX bit 26
  std::uint32_t hyperThreading = 0;  // EDX bit 28 and more than one logical processor
  std::uint32_t sse3 = 0;            // leaf 1 ECX bit 0
  std::uint32_t ext64 = 0;           // leaf 0x80000001 EDX bit 29
};

// Processor classes (PrimGetCpuType), named by the detection rule that gives them; 0 means
// unknown or an unsupported vendor.
using PrimCpuType = std::int32_t;
inline constexpr PrimCpuType PrimCpuUnknown = 0;
inline constexpr PrimCpuType PrimCpuFamily5 = 1;
inline constexpr PrimCpuType PrimCpuFamily5Mmx = 2;
inline constexpr PrimCpuType PrimCpuFamily6 = 3;
inline constexpr PrimCpuType PrimCpuFamily6Mmx = 4;
inline constexpr PrimCpuType PrimCpuFamily6Sse = 5;
inline constexpr PrimCpuType PrimCpuFamily15Sse2 = 6;
inline constexpr PrimCpuType PrimCpuFamily15Sse2Ht = 7;  // with hyper-threading
inline constexpr PrimCpuType PrimCpuFamily15Sse3 = 8;    // without the 64-bit extension
inline constexpr PrimCpuType PrimCpuFamily6Sse2 = 9;
inline constexpr PrimCpuType PrimCpuFamily7 = 16;
inline constexpr PrimCpuType PrimCpuFamily15NoSse2 = 17;
inline constexpr PrimCpuType PrimCpuFamily15Sse3Ext64 = 32;  // with the 64-bit extension
// Not a processor: primStaticInitCpu selects the empty slot 0 with it.
inline constexpr PrimCpuType PrimCpuEmptySlot = -1;

std::int32_t PrimHasCpuid();
std::int32_t PrimIsKnownVendor();
// Only meaningful when PrimHasCpuid() and PrimIsKnownVendor() are both 1.
void PrimReadCpuInfo(PrimCpuInfo* info);
// The class of a filled PrimCpuInfo (the family rule table).
PrimCpuType PrimCpuTypeFromInfo(const PrimCpuInfo& info);
PrimCpuType PrimGetCpuType();
// Implementation index for a processor class; classes without a rule give 1.
std::int32_t PrimIndexFromCpuType(PrimCpuType cpuType);

// Detects the processor and stores the index. Returns StsNoError or StsNotKnownCpu.
PrimStatus primStaticInit();
// Sets the index for a given class (-1 selects the empty slot 0). Returns StsNoError, or
// StsUnknownCpuType with the index unchanged for a class outside the known values.
PrimStatus primStaticInitCpu(std::int32_t cpuType);
