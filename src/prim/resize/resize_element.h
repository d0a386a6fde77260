// Element access for the passes and kernels of every data type. The caller's images may sit
// at any address (a 16-bit image at an odd one, say), so their elements are read and written
// through byte addresses with unaligned accesses; the driver's own tables and row buffers are
// aligned and used through typed pointers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace resize {

template <class T>
inline T Load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

template <class T>
inline void Store(void* p, T v) {
  std::memcpy(p, &v, sizeof(T));
}

// Bytes of an element, signed: element offsets may be negative (taps left of a rectangle).
template <class T>
inline constexpr std::ptrdiff_t kElementBytes = static_cast<std::ptrdiff_t>(sizeof(T));

// A row of the caller's source image, indexed in elements.
template <class T>
struct SrcRow {
  const std::uint8_t* bytes;

  T operator[](std::ptrdiff_t i) const { return Load<T>(bytes + i * kElementBytes<T>); }
  const std::uint8_t* At(std::ptrdiff_t i) const { return bytes + i * kElementBytes<T>; }
};

// A row of the caller's destination image, indexed in elements.
template <class T>
struct DstRow {
  std::uint8_t* bytes;

  void Set(std::ptrdiff_t i, T v) const { Store<T>(bytes + i * kElementBytes<T>, v); }
  std::uint8_t* At(std::ptrdiff_t i) const { return bytes + i * kElementBytes<T>; }
};

// Source row `offset` elements after `base`.
template <class T>
inline SrcRow<T> SourceRow(const void* base, std::ptrdiff_t offset) {
  return {static_cast<const std::uint8_t*>(base) + offset * static_cast<std::ptrdiff_t>(sizeof(T))};
}

// Destination row `row` of an image with `step` elements per row.
template <class T>
inline DstRow<T> DestinationRow(void* base, std::ptrdiff_t step, std::int32_t row) {
  return {static_cast<std::uint8_t*>(base) + row * step * static_cast<std::ptrdiff_t>(sizeof(T))};
}

// Integer results of the filters: truncated toward zero after the 1e-7 bias and clamped to
// the element's range. The clamp is made in double first, so no out-of-range value (or NaN,
// which gives 0) is ever converted.
template <class T>
inline T TruncateBiased(double v) {
  constexpr double kMax = sizeof(T) == 1 ? 255.0 : 65535.0;
  const double biased = v + 1e-7;
  if (!(biased > 0.0)) {
    return 0;
  }
  return static_cast<T>(std::min(biased, kMax));
}

}  // namespace resize
