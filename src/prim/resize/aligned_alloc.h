// Scratch memory of the resize primitive: heap blocks aligned to 32 bytes, so that vector
// kernels can use aligned loads on every table and row buffer the drivers hand them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Each returns a block of n elements on a 32-byte boundary, or null when n is below 1 or the
// heap has no room. Contents are not initialised. Sizes are computed in size_t, so a large n
// can never wrap into a small block.
std::uint8_t* AlignedAlloc8u(std::int32_t n);
std::int16_t* AlignedAlloc16s(std::int32_t n);
void* AlignedAlloc32(std::int32_t n);  // n 32-bit elements (integers or floats)
void* AlignedAlloc32_Sse3(std::int32_t n);
// Releases a block from any of the allocators above; null is ignored.
void AlignedFree(void* p);

// Owning handle over an aligned block, for the drivers.
struct AlignedDeleter {
  void operator()(void* p) const noexcept { AlignedFree(p); }
};
template <class T>
using AlignedPtr = std::unique_ptr<T[], AlignedDeleter>;

// One of the allocators above and the size of the element it counts in.
struct AlignedAllocator {
  void* (*allocate)(std::int32_t n);
  std::int32_t elementBytes;
};
inline constexpr AlignedAllocator kAligned8u{
    [](std::int32_t n) -> void* { return AlignedAlloc8u(n); }, 1};
inline constexpr AlignedAllocator kAligned16s{
    [](std::int32_t n) -> void* { return AlignedAlloc16s(n); }, 2};
inline constexpr AlignedAllocator kAligned32{&AlignedAlloc32, 4};
inline constexpr AlignedAllocator kAligned32Sse3{&AlignedAlloc32_Sse3, 4};

// Typed aligned allocation of `count` elements of T from `allocator`, which counts the block
// in its own elements (rounded up). A count above the 32-bit element limit of the allocator
// gives null, like a failed allocation.
template <class T>
AlignedPtr<T> MakeAligned(std::int64_t count, const AlignedAllocator& allocator = kAligned32) {
  static_assert(sizeof(T) >= 1);
  constexpr std::int64_t kMax = INT32_MAX;
  const std::int64_t unit = allocator.elementBytes;
  const std::int64_t units = (count * static_cast<std::int64_t>(sizeof(T)) + unit - 1) / unit;
  if (count < 1 || count > kMax || units > kMax) {
    return AlignedPtr<T>{};
  }
  return AlignedPtr<T>{static_cast<T*>(allocator.allocate(static_cast<std::int32_t>(units)))};
}
