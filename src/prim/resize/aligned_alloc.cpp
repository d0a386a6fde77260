#include "prim/resize/aligned_alloc.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kAlignment = 32;
// The raw heap address is kept in a pointer-sized word just before the aligned block.
constexpr std::size_t kHeader = sizeof(void*);

void* AllocateAligned(std::int32_t n, std::size_t elementSize) {
  if (n < 1) {
    return nullptr;
  }
  const std::size_t count = static_cast<std::size_t>(n);
  if (count > (SIZE_MAX - kAlignment - kHeader) / elementSize) {
    return nullptr;
  }
  const std::size_t rawSize = count * elementSize + kAlignment - 1 + kHeader;
  void* raw = std::malloc(rawSize);
  if (raw == nullptr) {
    return nullptr;
  }
  const std::uintptr_t rawAddress = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned =
      (rawAddress + kHeader + kAlignment - 1) & ~static_cast<std::uintptr_t>(kAlignment - 1);
  std::memcpy(reinterpret_cast<void*>(aligned - kHeader), &raw, sizeof(raw));
  return reinterpret_cast<void*>(aligned);
}

}  // namespace

std::uint8_t* AlignedAlloc8u(std::int32_t n) {
  return static_cast<std::uint8_t*>(AllocateAligned(n, 1));
}

std::int16_t* AlignedAlloc16s(std::int32_t n) {
  return static_cast<std::int16_t*>(AllocateAligned(n, 2));
}

void* AlignedAlloc32(std::int32_t n) {
  return AllocateAligned(n, 4);
}

void* AlignedAlloc32_Sse3(std::int32_t n) {
  return AllocateAligned(n, 4);
}

void AlignedFree(void* p) {
  if (p == nullptr) {
    return;
  }
  void* raw = nullptr;
  std::memcpy(&raw, static_cast<const std::uint8_t*>(p) - kHeader, sizeof(raw));
  std::free(raw);
}
