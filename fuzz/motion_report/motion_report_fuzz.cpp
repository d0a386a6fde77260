// Fuzz target of the motion report: the first byte picks the grid (frame width 704 or another,
// video standard 1 or 2); the rest is a received frame, whose information block is the report
// the motion dialog draws. A report decodes only from a block marked "S"; drawing it and the
// grid stays within the picture.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "net/frame_info_block.h"
#include "ui/config/motion/motion_grid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  const int frameWidth = (data[0] & 1) != 0 ? 704 : 352;
  const int videoStandard = (data[0] & 2) != 0 ? 2 : 1;
  const std::vector<std::uint8_t> frame(data + 1, data + size);
  std::array<std::uint8_t, kFrameInfoBlockBytes> report{};
  GetFrameInfoBlock(frame, report);
  static_assert(syscfg::kMotionReportBytes == kFrameInfoBlockBytes);

  const auto cells = syscfg::DecodeMotionReport(report);
  if (cells.has_value() != (report[kFrameInfoBlockDataBytes] == kFrameInfoMark))
    std::abort();
  // The report as it stands too, whatever its mark (the dialog copies the block's bytes).
  const std::vector<std::uint8_t> raw(
      frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(
                                         std::min(frame.size(), syscfg::kMotionReportBytes)));
  (void)syscfg::DecodeMotionReport(raw);

  const syscfg::GridGeometry geometry = syscfg::MotionGridGeometry(frameWidth, videoStandard);
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(geometry.width) * geometry.height * 3,
                                    0x80);
  const syscfg::BgrPicture bgr{picture, geometry.width, geometry.height};
  const syscfg::CellMask mask = cells.value_or(syscfg::CellMask{});
  syscfg::HighlightReport(bgr, geometry, mask);
  syscfg::DrawGrid(bgr, geometry, mask, syscfg::Derive352Mask(mask));
  // The 352 grid survives the way to the 704 grid and back, within its 9 x 12 cells.
  const syscfg::CellMask back = syscfg::Derive352Mask(syscfg::Derive704Mask(mask));
  for (int cell = 0; cell < syscfg::kGridCells; ++cell) {
    const bool inside = cell / syscfg::kGridColumns < 9 && cell % syscfg::kGridColumns < 12;
    if (syscfg::IsCellSet(back, cell) != (inside && syscfg::IsCellSet(mask, cell)))
      std::abort();
  }
  return 0;
}
