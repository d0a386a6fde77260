// The media engine's handle on the MPEG-4 decoder: one decoder for one stream, whose memory is
// allocated once for the largest picture (720 x 576) and reused for every login. It decodes one
// frame at a time into its own 24-bit BGR picture (bottom-up) and copies that picture out.
//
// The start-code scanners that the receivers and compose threads use stand beside it (see
// stream_scanners.h); two of them are reached through this class, as the media engine expects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "codec/mp4dec/mp4dec.h"

// Result flags of the stream scanners.
inline constexpr std::uint32_t kScanFoundTimeStamp = 1;
inline constexpr std::uint32_t kScanFoundPictureSize = 2;
inline constexpr std::uint32_t kScanFoundVopType = 8;
// VOP types as the scanners report them: the VOP's coding type plus one (the decoder's own
// coding types, kVopI.. of the decoder context, start at 0).
inline constexpr std::uint32_t kScanVopI = 1;
inline constexpr std::uint32_t kScanVopP = 2;
inline constexpr std::uint32_t kScanVopB = 3;
inline constexpr std::uint32_t kScanVopS = 4;

// Bytes of the wrapper's picture: the largest picture, three bytes a pixel.
inline constexpr std::size_t kMpeg4PictureBytes =
    static_cast<std::size_t>(kMp4DecMaxWidth) * kMp4DecMaxHeight * 3;

class CMpeg4DecoderContext {
 public:
  CMpeg4DecoderContext() = default;
  ~CMpeg4DecoderContext();
  CMpeg4DecoderContext(const CMpeg4DecoderContext&) = delete;
  CMpeg4DecoderContext& operator=(const CMpeg4DecoderContext&) = delete;

  // Allocates the decoder's six blocks and the picture for 720 x 576, once. Returns 1, or 0
  // when memory cannot be had (the wrapper then refuses every open).
  int AllocateBuffers();

  // Prepares the decoder for a stream of width x height; `flags` is the reference mode (0: each
  // VOP predicted from the one before; 1: from the last I-VOP). Returns false, and leaves the
  // wrapper closed, for a size of 0 or above 720 x 576, a reference mode the decoder does not
  // know, or when the buffers were never allocated.
  bool Open(std::uint16_t width, std::uint16_t height, std::uint32_t flags);
  // Re-initialises the decoder for width x height on the buffers already allocated.
  bool Reset(std::uint16_t width, std::uint16_t height, std::uint32_t flags);

  // Decodes one frame (a VOP with the headers in front of it) into the wrapper's picture.
  // False when the decoder refuses the frame or the wrapper is not open. The unnamed arguments
  // are not used.
  bool DecodeFrame(const std::uint8_t* frame, std::uint32_t length, std::uint32_t, std::uint32_t,
                   std::uint32_t, std::uint16_t width, std::uint16_t height);

  // Decodes one frame as DecodeFrame does, with the picture written straight into
  // `destination` instead of the wrapper's picture: the bytes DecodeFrame followed by CopyImage
  // would leave there, without the copy. The wrapper's picture keeps what it held. False, and
  // nothing decoded, when the destination is smaller than width x height x 3 bytes of the open
  // stream or of the size the last Reset gave the decoder; false as DecodeFrame otherwise (then
  // nothing is written to the destination).
  bool DecodeFrameInto(const std::uint8_t* frame, std::uint32_t length,
                       std::span<std::uint8_t> destination);

  // Copies the picture (width x height x 3 bytes of the open stream) to `destination`, which
  // must hold that many bytes (a decoded-image ring slot always does). Returns 1.
  int CopyImage(std::uint8_t* destination, std::uint32_t);
  // The same into a span: 0 and nothing written when the span is too small.
  int CopyImage(std::span<std::uint8_t> destination) const;

  // Runs ScanStream over `buffer`.
  std::uint32_t Decode(const std::uint8_t* buffer, std::int32_t length, std::uint32_t* pts,
                       std::uint32_t* width, std::uint32_t* height, std::uint32_t* unused,
                       std::uint32_t* vopType);

  // Frame length of the packet in front of a frame: 0 and the values, or -1 (stream_scanners).
  static int ScanFrameHeader(std::uint32_t length, const std::uint8_t* frame,
                             std::uint32_t* streamNumber, std::uint32_t* frameLength,
                             std::uint32_t* secondValue, std::uint32_t* kind);
  // Time stamp, picture size and VOP type of a frame; result flags (stream_scanners).
  static std::uint32_t ScanStream(const std::uint8_t* buffer, std::int32_t length,
                                  std::uint32_t* pts, std::uint32_t* width, std::uint32_t* height,
                                  std::uint32_t* unused, std::uint32_t* vopType);

  bool IsOpen() const { return m_bOpened != 0; }
  std::uint32_t Width() const { return m_dwWidth; }
  std::uint32_t Height() const { return m_dwHeight; }
  // The picture as decoded so far (kMpeg4PictureBytes, or empty before AllocateBuffers).
  std::span<const std::uint8_t> Picture() const;
  std::uint32_t Owner() const { return m_dwOwner; }

 private:
  friend std::unique_ptr<CMpeg4DecoderContext> CreateDecoderContext(std::uint32_t owner);

  struct AlignedFree {
    void operator()(std::uint8_t* block) const;
  };
  using Block = std::unique_ptr<std::uint8_t[], AlignedFree>;
  static Block AllocateBlock(std::size_t bytes);
  void ZeroWorkBlocks();
  void Close();

  struct StreamEntry {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t outputSelector = 0;  // always 0
  };

  std::uint32_t m_dwOwner = 0;
  StreamEntry m_Stream;
  std::uint32_t m_dwCurrentStream = 0;  // always 0: one stream
  std::uint32_t m_dwDecoding = 0;       // 1 once a frame was fed
  std::uint32_t m_dwWidth = 0;
  std::uint32_t m_dwHeight = 0;
  Mp4DecBufferSizes m_BufferSizes{};
  Mp4DecInstance m_Instance;
  Mp4DecFrameIo m_FrameIo;
  Block m_pPicture;
  std::uint32_t m_bOpened = 0;
  // The six decoder blocks, in the order of Mp4DecBufferSizes.
  Block m_pFrame0;
  Block m_pFrame1;
  Block m_pOutputPlanes;
  Block m_pContext;
  Block m_pTables;
  Block m_pBitReader;
  Mp4DecBufferSizes m_Allocated{};  // counts the blocks were allocated with
};

// A wrapper on the heap that carries its owner's value; freed by dropping the pointer.
std::unique_ptr<CMpeg4DecoderContext> CreateDecoderContext(std::uint32_t owner);
