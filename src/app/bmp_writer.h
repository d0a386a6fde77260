// 24-bit BMP files of the snapshot writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

inline constexpr std::size_t kBmpHeaderBytes = 54;  // 14-byte file header + 40-byte info header

// Bytes of one BMP row of `width` 24-bit pixels: padded to a multiple of 4 as the format requires.
std::size_t BmpRowStride(int width);

// Builds a whole 24-bit BMP file from a bottom-up BGR picture whose rows are packed
// (width x 3 bytes each). The file's rows are padded to 4 bytes and the file size in the header
// counts that padding. Returns nullopt for a non-positive size or a picture shorter than
// width x height x 3 bytes.
std::optional<std::vector<std::uint8_t>> EncodeBmp24(std::span<const std::uint8_t> picture,
                                                     int width, int height);
