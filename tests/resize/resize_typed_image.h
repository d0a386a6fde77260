// Images of the drivers' three data types (8-bit, 16-bit, float) for the driver-level tests:
// pixels of any element count, rows with padding, data at an odd address (so every 16-bit and
// float access must be an unaligned one), and a sentinel around what a call may write.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace resize_test {

inline std::int32_t ElementSize(std::int32_t type) {
  return type == 0 ? 1 : (type == 1 ? 2 : 4);
}

class TypedImage {
 public:
  // `sentinel` fills every byte; the data start one byte into the storage.
  TypedImage(std::int32_t type, std::int32_t width, std::int32_t height, std::int32_t elements,
             std::int32_t padElements = 2, std::uint8_t sentinel = 0xA5)
      : type_(type),
        width_(width),
        height_(height),
        elements_(elements),
        step_((width * elements + padElements) * ElementSize(type)),
        storage_(static_cast<std::size_t>(step_) * height + 1, sentinel) {}

  std::int32_t type() const { return type_; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::int32_t elements() const { return elements_; }
  std::int32_t step() const { return step_; }
  std::uint8_t* data() { return storage_.data() + 1; }
  const std::uint8_t* data() const { return storage_.data() + 1; }
  const std::vector<std::uint8_t>& storage() const { return storage_; }

  double Get(std::int32_t x, std::int32_t y, std::int32_t e) const {
    const std::uint8_t* p = Address(x, y, e);
    switch (type_) {
      case 0:
        return *p;
      case 1: {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
      }
      default: {
        float v;
        std::memcpy(&v, p, 4);
        return v;
      }
    }
  }

  void Put(std::int32_t x, std::int32_t y, std::int32_t e, double value) {
    std::uint8_t* p = const_cast<std::uint8_t*>(Address(x, y, e));
    switch (type_) {
      case 0:
        *p = static_cast<std::uint8_t>(value);
        break;
      case 1: {
        const auto v = static_cast<std::uint16_t>(value);
        std::memcpy(p, &v, 2);
        break;
      }
      default: {
        const auto v = static_cast<float>(value);
        std::memcpy(p, &v, 4);
        break;
      }
    }
  }

  // Random samples over the type's range (floats in [0, 1000)).
  void FillNoise(std::uint32_t seed) {
    std::mt19937 rng(seed);
    for (std::int32_t y = 0; y < height_; ++y) {
      for (std::int32_t x = 0; x < width_; ++x) {
        for (std::int32_t e = 0; e < elements_; ++e) {
          const std::uint32_t r = rng();
          Put(x, y, e, type_ == 0 ? r % 256 : (type_ == 1 ? r % 65536 : (r % 1000000) / 1000.0));
        }
      }
    }
  }

  // Whether the bytes of element (x, y, e) still hold the sentinel.
  bool Untouched(std::int32_t x, std::int32_t y, std::int32_t e, std::uint8_t sentinel) const {
    const std::uint8_t* p = Address(x, y, e);
    for (std::int32_t b = 0; b < ElementSize(type_); ++b) {
      if (p[b] != sentinel) {
        return false;
      }
    }
    return true;
  }

 private:
  const std::uint8_t* Address(std::int32_t x, std::int32_t y, std::int32_t e) const {
    return data() + static_cast<std::size_t>(y) * step_ +
           static_cast<std::size_t>(x * elements_ + e) * ElementSize(type_);
  }

  std::int32_t type_;
  std::int32_t width_;
  std::int32_t height_;
  std::int32_t elements_;
  std::int32_t step_;
  std::vector<std::uint8_t> storage_;
};

}  // namespace resize_test
