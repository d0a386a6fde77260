#include "prim/simd_path.h"

#include <atomic>

#include "prim/generic_path.h"

namespace {

constexpr std::int32_t kUndecided = -1;

// One word, read by forms on any thread; every value it can hold names a path this
// processor runs.
std::atomic<std::int32_t> g_path{kUndecided};

}  // namespace

PrimSimdPath PrimSimdPathSupported() {
  // The AVX2 check (instructions and the operating system's saving of the 256-bit registers)
  // is the generic forms' own.
  return PrimGenericPathSupported() == PrimGenericPath::kAvx2 ? PrimSimdPath::kAvx2
                                                              : PrimSimdPath::kForm;
}

PrimSimdPath PrimSimdPathInUse() {
  const std::int32_t path = g_path.load(std::memory_order_relaxed);
  if (path != kUndecided) {
    return static_cast<PrimSimdPath>(path);
  }
  const auto chosen = static_cast<std::int32_t>(PrimSimdPathSupported());
  std::int32_t expected = kUndecided;
  // A forced path set meanwhile wins over the first choice.
  g_path.compare_exchange_strong(expected, chosen, std::memory_order_relaxed);
  return static_cast<PrimSimdPath>(g_path.load(std::memory_order_relaxed));
}

bool PrimForceSimdPath(PrimSimdPath path) {
  if (static_cast<std::int32_t>(path) < 0 || path > PrimSimdPathSupported()) {
    return false;
  }
  g_path.store(static_cast<std::int32_t>(path), std::memory_order_relaxed);
  return true;
}
