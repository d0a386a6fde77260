// The headers of an MPEG-4 key frame of any picture size a layer can carry (13 bits each: up
// to 8191 x 8191), as a server streaming that size would send them: a video object start code,
// a plain rectangular video object layer, then the start of an I-VOP. For the size checks of
// the stream scanners and the compose step; header-only, so that tests without the fakes
// library can use it.
#pragma once

#include <cstdint>
#include <vector>

namespace fakes {

// A video object and its layer: simple object type, aspect 1, no VBV parameters, time
// resolution 25 (a 5-bit increment), width x height, progressive, no complexity estimation,
// no resync markers, not data-partitioned, no scalability; stuffed to the next byte.
inline std::vector<std::uint8_t> VideoObjectLayerOfSize(std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint8_t> out{0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x20};
  std::size_t bits = 0;
  const auto put = [&](std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (bits % 8 == 0) {
        out.push_back(0);
      }
      if (((value >> i) & 1) != 0) {
        out.back() |= static_cast<std::uint8_t>(0x80 >> (bits % 8));
      }
      ++bits;
    }
  };
  put(0, 1);                 // random_accessible_vol
  put(1, 8);                 // video_object_type_indication: simple
  put(0, 1);                 // is_object_layer_identifier
  put(1, 4);                 // aspect_ratio_info
  put(0, 1);                 // vol_control_parameters
  put(0, 2);                 // video_object_layer_shape: rectangular
  put(1, 1);                 // marker
  put(25, 16);               // vop_time_increment_resolution
  put(1, 1);                 // marker
  put(0, 1);                 // fixed_vop_rate
  put(1, 1);                 // marker
  put(width & 0x1FFF, 13);   // video_object_layer_width
  put(1, 1);                 // marker
  put(height & 0x1FFF, 13);  // video_object_layer_height
  put(1, 1);                 // marker
  put(0, 1);                 // interlaced
  put(1, 1);                 // obmc_disable
  put(0, 1);                 // sprite_enable
  put(0, 1);                 // not_8_bit
  put(0, 1);                 // quant_type
  put(1, 1);                 // complexity_estimation_disable
  put(1, 1);                 // resync_marker_disable
  put(0, 1);                 // data_partitioned
  put(0, 1);                 // scalability
  put(0, 1);                 // next_start_code: a 0, then 1s to the byte
  while (bits % 8 != 0) {
    put(1, 1);
  }
  return out;
}

// The layer followed by the start of an I-VOP (its header and a few macroblock bits): what the
// elementary stream of a key frame of that size begins with.
inline std::vector<std::uint8_t> KeyFrameHeadersOfSize(std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint8_t> out = VideoObjectLayerOfSize(width, height);
  out.insert(out.end(), {0x00, 0x00, 0x01, 0xB6, 0x10, 0x63, 0x00, 0x00});
  return out;
}

}  // namespace fakes
