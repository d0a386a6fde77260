// The pictures a live clip must show, for the tests that look at what the client paints: the
// source frames the clip was encoded from (NAME.source beside the clip, written by the fixture
// script: the scene's ffmpeg graph and, per VOP, the scene frame and the window's left edge) and
// ffmpeg's decode of each VOP from its I-VOP (an I-VOP alone, a P-VOP as the pair of its I-VOP
// and itself). Both come as the decoder's output mode 1 writes pictures: bottom-up, blue-green-
// red, luma deinterlaced, through the decoder's own colour conversion, so that a picture the
// client shows compares with them byte for byte. ffmpeg runs as a child process.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fakes/stream_packets.h"

namespace fakes {

using Picture = std::vector<std::uint8_t>;  // width x height x 3, rows bottom-up

struct ClipSource {
  struct Vop {
    int frame = 0;  // scene frame
    int left = 0;   // left edge of the picture's window on the scene
  };
  std::string graph;  // ffmpeg lavfi graph of the scene
  int width = 0;
  int height = 0;
  std::vector<Vop> vops;  // one per VOP of the clip, in order
};

// Reads NAME.source; nothing when it cannot be read or is malformed.
std::optional<ClipSource> ReadClipSource(const std::string& path);

// The source frames, one per VOP; empty when ffmpeg failed.
std::vector<Picture> SourcePictures(const ClipSource& source);

// ffmpeg's decode of every frame of the clip from the I-VOP before it; empty when ffmpeg failed
// or the clip does not start with an I-VOP.
std::vector<Picture> PairDecodePictures(const std::vector<ClipFrame>& clip, int width, int height);

// Peak signal-to-noise ratio in dB over all bytes; 99 for equal pictures, 0 for pictures of
// different sizes.
double PicturePsnr(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

// A 24-bit uncompressed BMP file's picture (bottom-up rows, blue-green-red, without the row
// padding); nothing when the file is not one.
std::optional<Picture> ReadBmpPicture(const std::string& path, int* width, int* height);

}  // namespace fakes
