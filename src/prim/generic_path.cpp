#include "prim/generic_path.h"

#include <atomic>

namespace {

constexpr std::int32_t kUndecided = -1;

// One word: forms on any thread may read it while the first use decides it; every value it
// can hold names a path this processor runs.
std::atomic<std::int32_t> g_path{kUndecided};

PrimGenericPath Detect() {
#if defined(__x86_64__)
  // AVX2 needs the processor's instructions and the operating system's saving of the 256-bit
  // registers; the compiler's check reads both.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? PrimGenericPath::kAvx2 : PrimGenericPath::kSse2;
#else
  return PrimGenericPath::kScalar;
#endif
}

}  // namespace

PrimGenericPath PrimGenericPathSupported() {
  static const PrimGenericPath supported = Detect();
  return supported;
}

PrimGenericPath PrimGenericPathInUse() {
  const std::int32_t path = g_path.load(std::memory_order_relaxed);
  if (path != kUndecided) {
    return static_cast<PrimGenericPath>(path);
  }
  const auto chosen = static_cast<std::int32_t>(PrimGenericPathSupported());
  std::int32_t expected = kUndecided;
  // A forced path set meanwhile wins over the first choice.
  g_path.compare_exchange_strong(expected, chosen, std::memory_order_relaxed);
  return static_cast<PrimGenericPath>(g_path.load(std::memory_order_relaxed));
}

bool PrimForceGenericPath(PrimGenericPath path) {
  if (static_cast<std::int32_t>(path) < 0 || path > PrimGenericPathSupported()) {
    return false;
  }
  g_path.store(static_cast<std::int32_t>(path), std::memory_order_relaxed);
  return true;
}
