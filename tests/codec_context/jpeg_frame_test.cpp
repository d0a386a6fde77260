// DecodeJpegFrame: ffmpeg's mjpeg pictures decoded back bottom-up in BGR order; the size check
// against the announced size and the slot; grey and four-component JPEGs; truncated, corrupt
// and garbage input refused cleanly without a write past the picture.
#include "codec/jpeg_frame/jpeg_frame.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "codec/jpeg/jpeg_layer.h"
#include "codec_context/jpeg_test_pictures.h"

namespace {

using namespace jpeg_test;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kUntouched = 0xCD;
constexpr std::size_t kGuard = 64;

std::string DataPath(const std::string& name) {
  return std::string(TEST_DATA_DIR) + "/" + name;
}

std::size_t PictureBytes(int width, int height) {
  return static_cast<std::size_t>(width) * height * 3;
}

// A picture buffer with guard bytes after it; Picture() is exactly the picture's span.
struct GuardedPicture {
  GuardedPicture(int width, int height) : bytes(PictureBytes(width, height)) {
    buffer.assign(bytes + kGuard, kUntouched);
  }
  std::span<std::uint8_t> Picture() { return {buffer.data(), bytes}; }
  bool GuardIntact() const {
    return std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(bytes), buffer.end(),
                       [](std::uint8_t b) { return b == kUntouched; });
  }
  bool Untouched() const {
    return std::all_of(buffer.begin(), buffer.end(),
                       [](std::uint8_t b) { return b == kUntouched; });
  }
  Bgr At(int width, int row, int x) const {
    const std::uint8_t* p = &buffer[(static_cast<std::size_t>(row) * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
  std::size_t bytes;
  Bytes buffer;
};

int Decode(const Bytes& jpeg, GuardedPicture& picture, int width, int height) {
  // An exact-size heap copy, so the sanitizer build sees any read past the JPEG's end.
  const auto copy = std::make_unique<std::uint8_t[]>(std::max<std::size_t>(jpeg.size(), 1));
  std::copy(jpeg.begin(), jpeg.end(), copy.get());
  return DecodeJpegFrame(std::span<const std::uint8_t>(copy.get(), jpeg.size()), picture.Picture(),
                         static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height));
}

// Encodes with libjpeg-turbo directly, for pixel formats the program never writes.
Bytes Encode(const Bytes& pixels, int width, int height, int pixelFormat, int subsampling) {
  tjhandle handle = tjInitCompress();
  unsigned char* raw = nullptr;
  unsigned long size = 0;
  const int pitch = width * tjPixelSize[pixelFormat];
  const int result = tjCompress2(handle, pixels.data(), width, pitch, height, pixelFormat, &raw,
                                 &size, subsampling, 95, 0);
  Bytes out;
  if (result == 0) {
    out.assign(raw, raw + size);
  }
  tjFree(raw);
  tjDestroy(handle);
  return out;
}

Bytes EncodeBgr(int width, int height) {
  Bytes pixels(PictureBytes(width, height));
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<std::uint8_t>(i * 7 / 3);
  }
  return Encode(pixels, width, height, TJPF_BGR, TJSAMP_420);
}

// Offset of the first marker FF xx, or the size when there is none.
std::size_t MarkerOffset(const Bytes& jpeg, std::uint8_t marker) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) {
      return i;
    }
  }
  return jpeg.size();
}

struct FixtureCase {
  const char* file;
  double minPsnr;
};

class FfmpegFixtureTest : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FfmpegFixtureTest, DecodesBottomUpInBgrOrder) {
  const FixtureCase& c = GetParam();
  const Bytes jpeg = ReadWhole(DataPath(c.file));
  ASSERT_FALSE(jpeg.empty()) << c.file;
  const int w = kQuadrantWidth;
  const int h = kQuadrantHeight;
  GuardedPicture picture(w, h);
  ASSERT_EQ(Decode(jpeg, picture, w, h), 1);
  EXPECT_TRUE(picture.GuardIntact());

  // Row r of the picture (top = 0) is row h - 1 - r of the buffer.
  Bytes expected(PictureBytes(w, h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Bgr p = QuadrantPixel(x, y);
      std::uint8_t* e = &expected[(static_cast<std::size_t>(h - 1 - y) * w + x) * 3];
      e[0] = p.b;
      e[1] = p.g;
      e[2] = p.r;
    }
  }
  EXPECT_GE(Psnr(expected.data(), picture.buffer.data(), expected.size()), c.minPsnr);

  // The middle of each quadrant, exactly enough to tell order and orientation apart.
  auto near = [](Bgr a, Bgr b) {
    return std::abs(a.b - b.b) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.r - b.r) <= 8;
  };
  const int top = h - 1 - h / 4;
  const int bottom = h / 4;
  EXPECT_TRUE(near(picture.At(w, top, w / 4), Bgr{0, 0, 255}));      // red, top left
  EXPECT_TRUE(near(picture.At(w, top, 3 * w / 4), Bgr{0, 255, 0}));  // green, top right
  EXPECT_TRUE(near(picture.At(w, bottom, w / 4), Bgr{255, 0, 0}));   // blue, bottom left
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FfmpegFixtureTest,
                         // Subsampled chroma blurs the sharp colour edges of this picture.
                         ::testing::Values(FixtureCase{"quadrants_444.jpg", 45.0},
                                           FixtureCase{"quadrants_422.jpg", 27.0},
                                           FixtureCase{"quadrants_420.jpg", 23.0}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           return name.substr(0, name.find('.'));
                         });

struct SizeCase {
  std::string name;
  int width;
  int height;
};

class SizeCheckTest : public ::testing::TestWithParam<SizeCase> {};

// A JPEG of another size than the announced one is refused and nothing is written.
TEST_P(SizeCheckTest, OtherSizesWriteNothing) {
  const SizeCase& c = GetParam();
  const Bytes jpeg = ReadWhole(DataPath("quadrants_420.jpg"));
  GuardedPicture picture(std::max(c.width, 1), std::max(c.height, 1));
  EXPECT_EQ(Decode(jpeg, picture, c.width, c.height), 0);
  EXPECT_TRUE(picture.Untouched());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SizeCheckTest,
    ::testing::Values(SizeCase{"TallerAnnounced", 64, 49}, SizeCase{"NarrowerAnnounced", 63, 48},
                      SizeCase{"Swapped", 48, 64}, SizeCase{"Larger", 704, 576},
                      SizeCase{"ZeroWidth", 0, 48}, SizeCase{"ZeroHeight", 64, 0}),
    [](const auto& info) { return info.param.name; });

TEST(DecodeJpegFrameTest, SlotTooSmallForTheAnnouncedSizeIsRefused) {
  const Bytes jpeg = ReadWhole(DataPath("quadrants_444.jpg"));
  Bytes buffer(PictureBytes(64, 48), kUntouched);
  EXPECT_EQ(
      DecodeJpegFrame(jpeg, std::span<std::uint8_t>(buffer.data(), buffer.size() - 1), 64, 48), 0);
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == kUntouched; }));
  EXPECT_EQ(DecodeJpegFrame(jpeg, buffer, 64, 48), 1);
}

// The ring's form takes a slot of 1,572,864 bytes: 1024 x 512 fills it exactly, 1024 x 576
// (a size the network may announce) does not fit and is refused before anything is written.
TEST(DecodeJpegFrameTest, RingFormKeepsToTheSlot) {
  Bytes slot(kJpegFrameSlotBytes + kGuard, kUntouched);
  const Bytes fits = EncodeBgr(1024, 512);
  ASSERT_FALSE(fits.empty());
  EXPECT_EQ(
      DecodeJpegFrame(fits.data(), static_cast<std::uint32_t>(fits.size()), slot.data(), 1024, 512),
      1);
  EXPECT_TRUE(std::all_of(slot.end() - kGuard, slot.end(), [](auto b) { return b == kUntouched; }));

  std::fill(slot.begin(), slot.end(), kUntouched);
  const Bytes tooLarge = EncodeBgr(1024, 576);
  ASSERT_FALSE(tooLarge.empty());
  EXPECT_EQ(DecodeJpegFrame(tooLarge.data(), static_cast<std::uint32_t>(tooLarge.size()),
                            slot.data(), 1024, 576),
            0);
  EXPECT_TRUE(std::all_of(slot.begin(), slot.end(), [](auto b) { return b == kUntouched; }));

  EXPECT_EQ(DecodeJpegFrame(nullptr, 10, slot.data(), 64, 48), 0);
  EXPECT_EQ(
      DecodeJpegFrame(fits.data(), static_cast<std::uint32_t>(fits.size()), nullptr, 1024, 512), 0);
}

TEST(DecodeJpegFrameTest, GreyJpegBecomesGreyBgr) {
  const int w = 40;
  const int h = 24;
  Bytes grey(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      grey[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(y < h / 2 ? 30 : 220);
    }
  }
  const Bytes jpeg = Encode(grey, w, h, TJPF_GRAY, TJSAMP_GRAY);
  ASSERT_FALSE(jpeg.empty());
  GuardedPicture picture(w, h);
  ASSERT_EQ(Decode(jpeg, picture, w, h), 1);
  EXPECT_TRUE(picture.GuardIntact());
  for (int row = 0; row < h; ++row) {
    for (int x = 0; x < w; ++x) {
      const Bgr p = picture.At(w, row, x);
      ASSERT_EQ(p.b, p.g);
      ASSERT_EQ(p.g, p.r);
      // Bottom-up: the dark top half is in the upper rows of the buffer.
      ASSERT_NEAR(p.g, row >= h / 2 ? 30 : 220, 6) << row << "," << x;
    }
  }
}

TEST(DecodeJpegFrameTest, FourComponentJpegIsRefusedUntouched) {
  const int w = 32;
  const int h = 16;
  const Bytes cmyk(static_cast<std::size_t>(w) * h * 4, 0x40);
  const Bytes jpeg = Encode(cmyk, w, h, TJPF_CMYK, TJSAMP_444);
  ASSERT_FALSE(jpeg.empty());
  GuardedPicture picture(w, h);
  EXPECT_EQ(Decode(jpeg, picture, w, h), 0);
  EXPECT_TRUE(picture.Untouched());
}

// Cuts before the scan data leave no picture: refused, nothing written. A JPEG missing only
// its tail is decoded with a warning and shown, libjpeg-turbo filling what is missing.
TEST(DecodeJpegFrameTest, TruncatedJpegs) {
  const Bytes jpeg = ReadWhole(DataPath("quadrants_444.jpg"));
  const std::size_t scan = MarkerOffset(jpeg, 0xDA);
  ASSERT_LT(scan, jpeg.size());
  for (std::size_t keep = 0; keep <= scan + 4; ++keep) {
    SCOPED_TRACE(keep);
    GuardedPicture picture(64, 48);
    EXPECT_EQ(Decode(Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(keep)), picture,
                     64, 48),
              0);
    EXPECT_TRUE(picture.Untouched());
  }
  for (std::size_t keep = scan + 20; keep < jpeg.size(); keep += 7) {
    SCOPED_TRACE(keep);
    GuardedPicture picture(64, 48);
    (void)Decode(Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(keep)), picture, 64,
                 48);
    EXPECT_TRUE(picture.GuardIntact());
  }
  GuardedPicture picture(64, 48);
  EXPECT_EQ(Decode(Bytes(jpeg.begin(), jpeg.end() - 2), picture, 64, 48), 1);  // no EOI
}

struct CorruptCase {
  std::string name;
  std::uint8_t marker;  // segment whose byte is changed
  std::size_t offset;   // from the marker
  std::uint8_t value;
};

class CorruptJpegTest : public ::testing::TestWithParam<CorruptCase> {};

TEST_P(CorruptJpegTest, ImpossibleHeadersAreRefused) {
  const CorruptCase& c = GetParam();
  Bytes jpeg = ReadWhole(DataPath("quadrants_420.jpg"));
  const std::size_t at = MarkerOffset(jpeg, c.marker);
  ASSERT_LT(at + c.offset, jpeg.size());
  jpeg[at + c.offset] = c.value;
  GuardedPicture picture(64, 48);
  EXPECT_EQ(Decode(jpeg, picture, 64, 48), 0);
  EXPECT_TRUE(picture.Untouched());
}

// SOF0: FF C0, length (2), precision, height (2), width (2), components, then 3 bytes each.
INSTANTIATE_TEST_SUITE_P(Headers, CorruptJpegTest,
                         ::testing::Values(CorruptCase{"NoStartOfImage", 0xD8, 1, 0x00},
                                           CorruptCase{"TwelveBitPrecision", 0xC0, 4, 12},
                                           CorruptCase{"ZeroHeight", 0xC0, 6, 0},
                                           CorruptCase{"FourComponentsDeclared", 0xC0, 9, 4},
                                           CorruptCase{"ZeroSampling", 0xC0, 11, 0x00},
                                           CorruptCase{"UndefinedQuantTable", 0xC0, 12, 3},
                                           CorruptCase{"ScanComponentUnknown", 0xDA, 5, 9},
                                           CorruptCase{"SegmentLengthPastEnd", 0xC4, 2, 0xFF}),
                         [](const auto& info) { return info.param.name; });

// Every byte of a small JPEG changed in turn: refused or decoded, never a write past the
// picture (and, in the sanitizer build, never a read past the JPEG).
TEST(DecodeJpegFrameTest, BitFlipsNeverWritePastThePicture) {
  const Bytes jpeg = ReadWhole(DataPath("quadrants_420.jpg"));
  for (std::size_t i = 0; i < jpeg.size(); ++i) {
    for (const std::uint8_t mask : {0x01, 0x80, 0xFF}) {
      Bytes damaged = jpeg;
      damaged[i] ^= mask;
      GuardedPicture picture(64, 48);
      const int result = Decode(damaged, picture, 64, 48);
      ASSERT_TRUE(result == 0 || result == 1);
      ASSERT_TRUE(picture.GuardIntact()) << i;
    }
  }
}

TEST(DecodeJpegFrameTest, GarbageIsRefused) {
  std::mt19937 random(7);
  for (const std::size_t size :
       {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{100}, std::size_t{5000}}) {
    Bytes garbage(size);
    for (auto& b : garbage) {
      b = static_cast<std::uint8_t>(random());
    }
    GuardedPicture picture(64, 48);
    EXPECT_EQ(Decode(garbage, picture, 64, 48), 0) << size;
    EXPECT_TRUE(picture.Untouched());
  }
  // A start-of-image marker and nothing else.
  GuardedPicture picture(64, 48);
  EXPECT_EQ(Decode(Bytes{0xFF, 0xD8, 0xFF, 0xD9}, picture, 64, 48), 0);
  EXPECT_TRUE(picture.Untouched());
}

// A refused frame leaves the thread's decoder fit for the next: the same picture as before.
TEST(DecodeJpegFrameTest, GoodFrameAfterBadFramesDecodesTheSame) {
  const Bytes jpeg = ReadWhole(DataPath("quadrants_420.jpg"));
  GuardedPicture first(64, 48);
  ASSERT_EQ(Decode(jpeg, first, 64, 48), 1);
  GuardedPicture scratch(64, 48);
  (void)Decode(Bytes(jpeg.begin(), jpeg.begin() + 30), scratch, 64, 48);
  (void)Decode(Bytes(100, 0xFF), scratch, 64, 48);
  Bytes badMarker = jpeg;  // a marker libjpeg-turbo does not know, inside the header
  badMarker[3] ^= 0x80;
  EXPECT_EQ(Decode(badMarker, scratch, 64, 48), 0);
  (void)Decode(jpeg, scratch, 64, 49);
  GuardedPicture again(64, 48);
  ASSERT_EQ(Decode(jpeg, again, 64, 48), 1);
  EXPECT_EQ(first.buffer, again.buffer);
}

// Each thread has its own decoder: threads decoding at once get the single-thread picture.
TEST(DecodeJpegFrameTest, ThreadsDecodeIndependently) {
  const Bytes jpeg = ReadWhole(DataPath("quadrants_444.jpg"));
  GuardedPicture reference(64, 48);
  ASSERT_EQ(Decode(jpeg, reference, 64, 48), 1);
  std::vector<int> mismatches(4, 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < mismatches.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i) {
        GuardedPicture picture(64, 48);
        if (Decode(jpeg, picture, 64, 48) != 1 || picture.buffer != reference.buffer) {
          ++mismatches[t];
        }
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace

namespace {

// The frame header's size is read from the markers alone, as libjpeg-turbo reads it from every
// fixture, also a size no decoder takes; every cut of a picture and garbage give nothing.
TEST(ReadJpegFrameSizeTest, SizeFromTheFrameHeaderOfAnyPicture) {
  for (const char* name : {"quadrants_420.jpg", "quadrants_422.jpg", "quadrants_444.jpg"}) {
    const Bytes jpeg = ReadWhole(DataPath(name));
    codec::jpeg::JpegJob job;
    codec::jpeg::JpegHeader header;
    ASSERT_EQ(job.Init(), codec::jpeg::JpegResult::kOk);
    ASSERT_EQ(job.ReadHeader(jpeg, header), codec::jpeg::JpegResult::kOk) << name;
    const auto size = ReadJpegFrameSize(jpeg);
    ASSERT_TRUE(size) << name;
    EXPECT_EQ(size->width, header.width) << name;
    EXPECT_EQ(size->height, header.height) << name;
  }
  // 65535 x 65535, which libjpeg-turbo itself refuses to read.
  Bytes huge = ReadWhole(DataPath("quadrants_420.jpg"));
  const std::size_t sof = MarkerOffset(huge, 0xC0);
  ASSERT_LT(sof + 9, huge.size());
  std::fill(huge.begin() + static_cast<std::ptrdiff_t>(sof + 5),
            huge.begin() + static_cast<std::ptrdiff_t>(sof + 9), 0xFF);
  EXPECT_EQ(ReadJpegFrameSize(huge), (JpegFrameSize{65535, 65535}));
}

TEST(ReadJpegFrameSizeTest, CutOrGarbageGivesNothingAndReadsNothingPastTheEnd) {
  const Bytes jpeg = ReadWhole(DataPath("quadrants_420.jpg"));
  const std::size_t sof = MarkerOffset(jpeg, 0xC0);
  for (std::size_t keep = 0; keep < jpeg.size(); ++keep) {
    // An exact-size heap copy, so the sanitizer build sees a read past its end.
    const auto copy = std::make_unique<std::uint8_t[]>(std::max<std::size_t>(keep, 1));
    std::copy_n(jpeg.begin(), keep, copy.get());
    const auto size = ReadJpegFrameSize(std::span<const std::uint8_t>(copy.get(), keep));
    EXPECT_EQ(size.has_value(), keep >= sof + 9) << keep;
  }
  const struct {
    const char* name;
    Bytes bytes;
  } refused[] = {
      {"no start of image", {0x00, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 8, 0, 16, 0, 16}},
      {"scan before a frame header", {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08, 1, 2, 3, 4, 5, 6}},
      {"end of image first", {0xFF, 0xD8, 0xFF, 0xD9, 0, 0}},
      {"segment length below its own", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xC0}},
      {"frame header too short", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x05, 8, 0, 16, 0, 16}},
      {"no marker where one is due", {0xFF, 0xD8, 0x12, 0x34, 0x56, 0x78}},
      {"segment past the end", {0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xF0, 1, 2}},
  };
  for (const auto& c : refused)
    EXPECT_FALSE(ReadJpegFrameSize(c.bytes)) << c.name;
  // Fill bytes before a marker, and markers without a length, are stepped over.
  EXPECT_EQ(ReadJpegFrameSize(Bytes{0xFF, 0xD8, 0xFF, 0xD0, 0xFF, 0x01, 0xFF, 0xC0, 0x00, 0x11, 8,
                                    0x00, 0x10, 0x00, 0x20}),
            (JpegFrameSize{32, 16}));
  EXPECT_FALSE(ReadJpegFrameSize(Bytes{0xFF, 0xD8, 0xFF, 0xD8, 0x00, 0x11, 8, 0, 16, 0, 16}));
  EXPECT_EQ(ReadJpegFrameSize(
                Bytes{0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xC2, 0x00, 0x11, 8, 0x02, 0x40, 0x03, 0x20}),
            (JpegFrameSize{800, 576}));
  std::mt19937 random(11);
  for (int i = 0; i < 200; ++i) {
    Bytes garbage(static_cast<std::size_t>(random() % 300));
    for (auto& b : garbage)
      b = static_cast<std::uint8_t>(random());
    if (garbage.size() >= 2) {
      garbage[0] = 0xFF;
      garbage[1] = 0xD8;
    }
    (void)ReadJpegFrameSize(garbage);
  }
}

}  // namespace
