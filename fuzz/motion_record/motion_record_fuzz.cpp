// Fuzz target of the motion record: the first byte picks the stream (JPEG or MPEG-4, frame
// width 704 or another, video standard 1 or 2); the rest is the PENTA record as fetched (cut or
// zero-filled to its size). The dialog's settings read from it must be the record's bytes, and
// what the dialog then does with them (the presets, the parameter ranges, the grid drawn from
// the mask) stays within its tables and the picture.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ui/config/motion/motion_grid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  const bool jpeg = (data[0] & 1) != 0;
  const int frameWidth = (data[0] & 2) != 0 ? 704 : 352;
  const int videoStandard = (data[0] & 4) != 0 ? 2 : 1;
  std::array<std::uint8_t, syscfg::kPentaRecordBytes> record{};
  std::copy_n(data + 1, std::min(size - 1, record.size()), record.begin());

  const syscfg::MotionRecordSettings settings = syscfg::ReadMotionRecord(record, jpeg, frameWidth);
  if (settings.sensitivity < 0 || settings.sensitivity > 255)
    std::abort();
  const auto preset = syscfg::SensitivityPreset(settings.sensitivity);
  if (preset.has_value() != (settings.sensitivity >= 1 && settings.sensitivity <= 5))
    std::abort();
  for (int i = 0; i < syscfg::kMotionParameterCount; ++i) {
    const int value = settings.parameters[static_cast<std::size_t>(i)];
    const int clamped = syscfg::ClampMotionParameter(i, value);
    if (value < 0 || value > 255 || clamped < 0 || clamped > 255)
      std::abort();
  }
  const syscfg::GridGeometry geometry = syscfg::MotionGridGeometry(frameWidth, videoStandard);
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(geometry.width) * geometry.height * 3,
                                    0x40);
  syscfg::DrawGrid({picture, geometry.width, geometry.height}, geometry, settings.mask,
                   syscfg::CellMask{});
  return 0;
}
