// Bounded MSB-first bit reader over one frame of elementary stream.
//
// Every look reads through a 64-bit big-endian window; bytes past the end of the input read as
// zero, so a look never touches memory outside the input. Moving past the end is a state
// (`Exhausted`), checked by the callers after each header and each macroblock.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

class Mp4BitReader {
 public:
  // BitReaderInit: position 0 over `data`.
  void Init(std::span<const std::uint8_t> data) {
    m_data = data.data();
    m_length = data.size();
    m_bitPos = 0;
  }

  // The next n bits (0..32) as an unsigned value, without advancing.
  std::uint32_t Peek(int n) const { return PeekAt(m_bitPos, n); }
  void Skip(std::size_t n) { m_bitPos += n; }
  std::uint32_t Read(int n) {
    const std::uint32_t value = Peek(n);
    Skip(static_cast<std::size_t>(n));
    return value;
  }
  std::uint32_t GetBit() { return Read(1); }

  bool ByteAligned() const { return (m_bitPos & 7) == 0; }

  // Bits to pass over before a start code: the stuffing pattern (a 0, then 1s up to the byte
  // boundary; the whole byte 0x7F when aligned) when it is there; else none. Other bits before
  // the boundary are data (a run of not-coded macroblock flags can end a P-VOP one bit before
  // it), so they are not taken for stuffing.
  std::size_t StuffingBits() const {
    const int n = ByteAligned() ? 8 : 8 - static_cast<int>(m_bitPos & 7);
    return Peek(n) == (1u << (n - 1)) - 1 ? static_cast<std::size_t>(n) : 0;
  }
  // BitReaderPeekByteAligned: the n bits that follow the stuffing, without advancing.
  std::uint32_t PeekByteAligned(int n) const { return PeekAt(m_bitPos + StuffingBits(), n); }
  // The n bits that follow the next `skip` bits (e.g. a StuffingBits count), without advancing.
  std::uint32_t PeekAfter(std::size_t skip, int n) const { return PeekAt(m_bitPos + skip, n); }
  // Passes over the stuffing of PeekByteAligned.
  void SkipStuffing() { Skip(StuffingBits()); }
  // Moves to the next byte boundary (no move when aligned).
  void AlignToByte() { m_bitPos = (m_bitPos + 7) & ~static_cast<std::uint64_t>(7); }

  // True once a read went past the last bit of the input.
  bool Exhausted() const { return m_bitPos > static_cast<std::uint64_t>(m_length) * 8; }
  // True when no whole byte is left to look at from the current byte position.
  bool AtEnd() const { return (m_bitPos >> 3) >= m_length; }
  std::uint64_t BitPosition() const { return m_bitPos; }
  std::size_t Length() const { return m_length; }

  // The coefficient block being decoded, 64 values in raster order (8 * row + column).
  alignas(16) std::array<std::int16_t, 64> block{};

 private:
  // The n bits (0..32) from bit position `pos`.
  std::uint32_t PeekAt(std::uint64_t pos, int n) const {
    if (n <= 0) {
      return 0;
    }
    const std::uint64_t window = Window64(pos >> 3) << (pos & 7);
    return static_cast<std::uint32_t>(window >> (64 - n));
  }

  std::uint64_t Window64(std::uint64_t byte) const {
    if (byte + 8 <= m_length) {
      std::uint64_t value = 0;
      std::memcpy(&value, m_data + byte, sizeof(value));
      if constexpr (std::endian::native == std::endian::little) {
        value = __builtin_bswap64(value);
      }
      return value;
    }
    std::uint64_t value = 0;
    for (std::uint64_t i = 0; i < 8; ++i) {
      value <<= 8;
      if (byte + i < m_length) {
        value |= m_data[byte + i];
      }
    }
    return value;
  }

  const std::uint8_t* m_data = nullptr;
  std::size_t m_length = 0;
  std::uint64_t m_bitPos = 0;
};
