// The video settings' value tables: the resolution, quality and bit-rate rows of the video page
// and the codes that applying a picture size writes into the PENTA record.
#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>

namespace syscfg {

struct FrameSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const FrameSize&, const FrameSize&) = default;
};

// The resolution rows for a video standard: 2 (PAL) "352 x 288", "704 x 576"; any other as
// 1 (NTSC) "352 x 240", "704 x 480".
QStringList ResolutionRows(int videoStandard);
// Row 0 for width 352 with height 240 or 288, row 1 for width 704 with 480 or 576; -1 (no row)
// for any other size.
int ResolutionIndex(FrameSize size);
// The size of a row (0 or 1) for the standard; nullopt for no row.
std::optional<FrameSize> ResolutionSize(int row, int videoStandard);

inline const QStringList kVideoTypeRows = {QStringLiteral("JPEG"), QStringLiteral("MPEG4")};
inline const QStringList kQualityRows = {QStringLiteral("Low"), QStringLiteral("Middle"),
                                         QStringLiteral("High")};
inline const QStringList kBitRateRows = {
    QStringLiteral("512K"), QStringLiteral("640K"), QStringLiteral("1M"),   QStringLiteral("1.5M"),
    QStringLiteral("2M"),   QStringLiteral("3M"),   QStringLiteral("Local")};

// JPEG quality 1..49 Low (0), 50..69 Middle (1), 70..100 High (2); -1 (no row) for 0 and above
// 100.
int QualityIndex(int quality);
// 30, 50, 70 for rows 0..2; nullopt for no row.
std::optional<std::uint8_t> QualityValue(int row);
// Bit-rate code to row: below 21 -> 0, 21..33 -> 1, 34..50 -> 2, 51..67 -> 3, 68..101 -> 4,
// 102..152 -> 5, 153 and more -> 6.
int BitRateClass(int code);
// Row to code: 17, 21, 34, 51, 68, 102, 153; nullopt for no row.
std::optional<std::uint16_t> BitRateCode(int row);
// Video format (0 JPEG, 4 MPEG-4) to the video-type row and back; -1 / nullopt otherwise.
int VideoTypeIndex(int videoFormat);
std::optional<std::uint8_t> VideoFormatOf(int row);

// The code and 16-pixel units of a width or a height. A size outside the table gets the
// table's fallback (320 wide, 240 high) and known = false.
struct SizeCode {
  std::uint8_t code = 0;
  std::uint8_t units = 0;
  bool known = true;
};
SizeCode WidthCode(int width);
SizeCode HeightCode(int height);
// The scale code from the MPEG-4 and JPEG width units: ratio (at least 1) 1 -> 0, 2 -> 1,
// 3 -> 0, 4 -> 3. Nullopt (leave the code as it is) for JPEG units 0 and a ratio above 4.
std::optional<std::uint8_t> ScaleCode(int mpeg4WidthUnits, int jpegWidthUnits);

}  // namespace syscfg
