// Scanners over the start codes (00 00 01 xx) of the server's media frames: the PES packet in
// front of a frame (MPEG-2 systems) and the MPEG-4 video start codes inside it. Every scanner
// reads only below the length it is given; a code whose fixed fields do not fit ends the scan.
//
// CMpeg4DecoderContext::ScanFrameHeader and CMpeg4DecoderContext::ScanStream (declared with the
// wrapper) belong to the same set.
#pragma once

#include <cstdint>
#include <span>

// Time stamp and VOP type of a frame, as CMpeg4DecoderContext::ScanStream but without asking
// the decoder for the picture size: result flags kScanFoundTimeStamp | kScanFoundVopType.
std::uint32_t ScanMpegStream(const std::uint8_t* buffer, std::int32_t length, std::uint32_t* pts,
                             std::uint32_t* width, std::uint32_t* height, std::uint32_t* unused,
                             std::uint32_t* vopType);

// The presentation time stamp of a video PES header (the decoding time stamp when both are
// present), its 32 low bits; 0 when the header is not a valid video PES header with a stamp or
// is too short to hold one.
std::uint32_t ReadPesTimeStamp(std::span<const std::uint8_t> pes);

// G.711 mu-law sample to 16-bit linear.
std::int32_t MuLawToLinear(std::uint8_t sample);
