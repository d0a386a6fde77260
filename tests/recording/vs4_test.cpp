#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "media/record/record_sink.h"
#include "media/record/vs4_format.h"
#include "media/record/vs4_writer.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("kavelin_vs4_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
};

// A sink that writes a real file but runs out of room at `capacity` bytes, like a full disk:
// the write that crosses the limit stores what fits and fails.
class FullDiskSink final : public IRecordSink {
 public:
  FullDiskSink(std::unique_ptr<IRecordSink> inner, std::uint64_t capacity)
      : m_inner(std::move(inner)), m_capacity(capacity) {}
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    const std::uint64_t end = offset + bytes.size();
    if (end <= std::max(m_size, m_capacity)) {
      m_size = std::max(m_size, end);
      return m_inner->WriteAt(offset, bytes);
    }
    if (offset < m_capacity) {
      m_inner->WriteAt(offset, bytes.first(static_cast<std::size_t>(m_capacity - offset)));
      m_size = std::max(m_size, m_capacity);
    }
    return false;
  }
  bool Truncate(std::uint64_t size) override {
    m_size = size;
    return m_inner->Truncate(size);
  }
  bool Close() override { return m_inner->Close(); }

 private:
  std::unique_ptr<IRecordSink> m_inner;
  std::uint64_t m_capacity;
  std::uint64_t m_size = 0;
};

Vs4FileHeader SampleHeader() {
  Vs4FileHeader h;
  h.dwStartSecond = 1000;
  h.dwEndSecond = 1000;
  h.abyServerAddress = {192, 168, 1, 20};
  h.byResolution = 3;
  h.byRecordKind = 2;
  h.FirstFrameTime = {2026, 12, 0, 9, 22, 45, 7, 0};
  h.dwFormatTag = kVs4FormatMpeg4;
  h.byAvOption = 3;
  return h;
}

Vs4FrameDescriptor SampleDescriptor(std::uint32_t i) {
  Vs4FrameDescriptor d;
  d.dwInterval = 40;
  d.dwFormatTag = kVs4FormatMpeg4;
  d.byResolution = 3;
  d.byChannel = 2;
  d.StoreTime = {2026, 12, 0, 9, 22, 45, static_cast<std::uint16_t>(i % 60), 0};
  d.dwAdpcmStepIndex = i;
  d.dwAdpcmPrediction = 0xFFFF0000u + i;
  return d;
}

std::vector<std::uint8_t> FrameBytes(std::uint32_t i, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t k = 0; k < size; ++k) {
    bytes[k] = static_cast<std::uint8_t>(i * 31 + k);
  }
  return bytes;
}

TEST(Vs4Format, HeaderAndDescriptorLayout) {
  const auto h = SampleHeader().Bytes();
  EXPECT_EQ(h[12], 192);
  EXPECT_EQ(h[15], 20);
  EXPECT_EQ(h[16], 3);
  EXPECT_EQ(h[17], 2);
  EXPECT_EQ(h[48], 2026 & 0xFF);
  EXPECT_EQ(h[68], 0xEF);
  EXPECT_EQ(h[71], 0x89);
  EXPECT_EQ(h[72], 3);
  EXPECT_TRUE(std::all_of(h.begin() + 18, h.begin() + 48, [](auto b) { return b == 0; }));
  EXPECT_EQ(Vs4FileHeader::Parse(h), SampleHeader());

  const auto d = SampleDescriptor(5).Bytes();
  EXPECT_EQ(d[16], 3);
  EXPECT_EQ(d[17], 0);
  EXPECT_EQ(d[18], 2);
  EXPECT_EQ(d[24], 2026 & 0xFF);
  EXPECT_EQ(d[40], 5);
  EXPECT_EQ(d[47], 0xFF);
  EXPECT_EQ(Vs4FrameDescriptor::Parse(d), SampleDescriptor(5));
}

TEST(Vs4Format, ServerAddressBytes) {
  const std::pair<const char*, std::array<std::uint8_t, 4>> cases[] = {
      {"192.168.1.20", {192, 168, 1, 20}},
      {"10.0.0.255", {10, 0, 0, 255}},
      {"camera.local", {}},
      {"1.2.3", {}},
      {"1.2.3.4.5", {}},
      {"1.2.3.256", {}},
      {"", {}},
      {"1..2.3", {}},
      {"1.2.3.4x", {}},
      {"0001.2.3.4", {}}};
  for (const auto& [text, bytes] : cases) {
    EXPECT_EQ(ServerAddressBytes(text), bytes) << text;
  }
}

TEST(Vs4Format, FileNames) {
  const SystemTime t{2026, 3, 0, 7, 9, 5, 4, 0};
  struct Case {
    RecordKind kind;
    std::uint8_t format;
    const char* session;
    const char* name;
  } cases[] = {
      {RecordKind::kAlarm, 4, "AB12CDEF", "ALARM_MP4_260307T090504_AB12.vs4"},
      {RecordKind::kAlarm, 0, "AB12", "ALARM_MJPEG_260307T090504_AB12.vs4"},
      {RecordKind::kUser, 4, "zz", "USER_MP4_260307T090504_zz.vs4"},
      {RecordKind::kUser, 0, "", "USER_MJPEG_260307T090504_.vs4"},
      {RecordKind::kSchedule, 4, "../x", "SCH_MP4_260307T090504____x.vs4"},
      {RecordKind::kSchedule, 0, "a/\\b", "SCH_MJPEG_260307T090504_a__b.vs4"},
  };
  for (const Case& c : cases) {
    std::string path = "/rec";
    EXPECT_EQ(BuildRecordFileName(path, c.kind, c.format, t, c.session),
              std::string("/rec/") + c.name);
    EXPECT_EQ(path, "/rec/");  // the setting itself gains the separator
  }
}

TEST_F(TempDir, RecordStoppedBeforeAnyFrameIsEightyBytes) {
  CVs4Writer writer;
  writer.Start(CreateRecordFile((dir / "a.vs4").string()));
  ASSERT_EQ(writer.WriteHeader(SampleHeader()), Vs4Status::kOk);
  EXPECT_EQ(writer.Finish(SampleHeader(), 1005), Vs4Status::kOk);
  const auto bytes = ReadFile(dir / "a.vs4");
  ASSERT_EQ(bytes.size(), 80u);
  auto file = ReadVs4(bytes);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->header.dwFrameCount, 0u);
  EXPECT_EQ(file->header.dwEndSecond, 1005u);
  EXPECT_EQ(file->trailer, 0u);
  // It reads back, but it is no record.
  EXPECT_EQ(CheckVs4Record(*file), (std::vector<Vs4Finding>{{Vs4Fault::kNoFrames, 0, 0}}));
}

TEST_F(TempDir, FramesReadBackWithTheirIndex) {
  CVs4Writer writer;
  writer.Start(CreateRecordFile((dir / "b.vs4").string()));
  ASSERT_EQ(writer.WriteHeader(SampleHeader()), Vs4Status::kOk);
  const std::size_t sizes[] = {100, 0, 3000, 7};
  const std::uint32_t kinds[] = {1, 0, 2, 0};
  for (std::uint32_t i = 0; i < 4; ++i) {
    ASSERT_EQ(writer.WriteFrame(SampleDescriptor(i), FrameBytes(i, sizes[i]), kinds[i], i == 0),
              Vs4Status::kOk);
  }
  ASSERT_EQ(writer.Finish(SampleHeader(), 1010), Vs4Status::kOk);
  Vs4ReadError error{};
  auto file = ReadVs4(ReadFile(dir / "b.vs4"), &error);
  ASSERT_TRUE(file.has_value()) << Vs4ReadErrorName(error);
  ASSERT_EQ(file->frames.size(), 4u);
  EXPECT_EQ(file->header.dwFrameCount, 4u);
  EXPECT_EQ(file->index[0].dwOffset, 0u);
  EXPECT_EQ(file->index[1].dwOffset, 124u + 100u);
  for (std::uint32_t i = 0; i < 4; ++i) {
    Vs4FrameDescriptor expected = SampleDescriptor(i);
    expected.dwNumber = i + 1;
    expected.dwLength = static_cast<std::uint32_t>(sizes[i]);
    if (i == 0) {
      expected.dwInterval = kVs4NoPreviousFrame;
    }
    EXPECT_EQ(file->frames[i].descriptor, expected) << i;
    EXPECT_EQ(file->frames[i].bytes, FrameBytes(i, sizes[i])) << i;
    EXPECT_EQ(file->index[i].dwKind, kinds[i]) << i;
  }
}

TEST_F(TempDir, TheFrameLimitIsNeverPassed) {
  CVs4Writer writer;
  writer.Start(CreateRecordFile((dir / "c.vs4").string()));
  writer.WriteHeader(SampleHeader());
  const std::vector<std::uint8_t> tiny{1};
  for (std::uint32_t i = 0; i < kVs4MaxFrames; ++i) {
    ASSERT_EQ(writer.WriteFrame(SampleDescriptor(i), tiny, 1), Vs4Status::kOk) << i;
  }
  EXPECT_EQ(writer.WriteFrame(SampleDescriptor(0), tiny, 1), Vs4Status::kFileFull);
  ASSERT_EQ(writer.Finish(SampleHeader(), 2000), Vs4Status::kOk);
  auto file = ReadVs4(ReadFile(dir / "c.vs4"));
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->frames.size(), kVs4MaxFrames);
  EXPECT_EQ(file->index.size(), kVs4MaxFrames);
}

// A full disk at any point of the record leaves a file that reads back, holding a prefix of the
// frames that were sent, and the failure is reported.
TEST_F(TempDir, FullDiskLeavesAValidFileOfTheFramesKept) {
  for (std::uint64_t capacity : {0ull, 50ull, 76ull, 130ull, 400ull, 1000ull, 3000ull, 5000ull}) {
    const auto path = dir / ("full_" + std::to_string(capacity) + ".vs4");
    CVs4Writer writer;
    writer.Start(std::make_unique<FullDiskSink>(CreateRecordFile(path.string()), capacity));
    Vs4Status status = writer.WriteHeader(SampleHeader());
    std::uint32_t sent = 0;
    for (; sent < 40 && status == Vs4Status::kOk; ++sent) {
      status = writer.WriteFrame(SampleDescriptor(sent), FrameBytes(sent, 90), 1);
    }
    EXPECT_EQ(writer.Finish(SampleHeader(), 1100), Vs4Status::kWriteFailed) << capacity;
    const auto bytes = ReadFile(path);
    EXPECT_LE(bytes.size(), std::max<std::uint64_t>(capacity, 80)) << capacity;
    if (capacity < 80) {
      continue;  // not even the empty record fits
    }
    auto file = ReadVs4(bytes);
    ASSERT_TRUE(file.has_value()) << capacity;
    EXPECT_EQ(file->frames.size(), writer.FramesKept()) << capacity;
    for (std::uint32_t i = 0; i < file->frames.size(); ++i) {
      EXPECT_EQ(file->frames[i].bytes, FrameBytes(i, 90)) << capacity << " " << i;
    }
  }
}

TEST_F(TempDir, RecordsStartedInOneSecondGetDistinctFiles) {
  const std::string base = (dir / "USER_MP4_260307T090504_AB12.vs4").string();
  std::string first, second, third;
  auto a = CreateUniqueRecordFile(base, &first);
  auto b = CreateUniqueRecordFile(base, &second);
  auto c = CreateUniqueRecordFile(base, &third);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(first, base);
  EXPECT_EQ(second, (dir / "USER_MP4_260307T090504_AB12_2.vs4").string());
  EXPECT_EQ(third, (dir / "USER_MP4_260307T090504_AB12_3.vs4").string());
  int error = 0;
  EXPECT_EQ(CreateUniqueRecordFile((dir / "missing" / "x.vs4").string(), nullptr, &error), nullptr);
  EXPECT_NE(error, 0);
}

TEST(Vs4Read, RefusesDamagedFiles) {
  // A valid two-frame file, built in memory.
  std::vector<std::uint8_t> good;
  Vs4FileHeader h = SampleHeader();
  h.dwFrameCount = 2;
  auto hb = h.Bytes();
  good.insert(good.end(), hb.begin(), hb.end());
  for (std::uint32_t i = 0; i < 2; ++i) {
    auto d = SampleDescriptor(i);
    d.dwNumber = i + 1;
    d.dwLength = 10;
    auto db = d.Bytes();
    good.insert(good.end(), db.begin(), db.end());
    auto f = FrameBytes(i, 10);
    good.insert(good.end(), f.begin(), f.end());
  }
  for (std::uint32_t v : {0u, 1u, 76u + 58u, 1u, 2u}) {
    for (int k = 0; k < 4; ++k) {
      good.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    }
  }
  ASSERT_TRUE(ReadVs4(good).has_value());

  struct Case {
    const char* name;
    std::size_t at;
    std::uint8_t value;
    Vs4ReadError expected;
  } cases[] = {
      {"header count differs from trailer", 0, 3, Vs4ReadError::kCountMismatch},
      {"frame length into the index", 76 + 4, 200, Vs4ReadError::kFramePastEnd},
      {"frame length short of the index", 76 + 4, 9, Vs4ReadError::kFramePastEnd},
      {"index entry 1 wrong", good.size() - 12, 0, Vs4ReadError::kIndexMismatch},
      {"huge count", 3, 0x7F, Vs4ReadError::kTooManyFrames},
  };
  for (const Case& c : cases) {
    auto bad = good;
    bad[c.at] = c.value;
    if (c.at == 0) {
      bad[bad.size() - 4] = 2;
    }
    Vs4ReadError error{};
    EXPECT_FALSE(ReadVs4(bad, &error).has_value()) << c.name;
    EXPECT_EQ(error, c.expected) << c.name;
  }
  for (std::size_t n = 0; n < good.size(); ++n) {
    EXPECT_FALSE(ReadVs4(std::span(good).first(n)).has_value()) << n;
  }
  std::vector<std::uint8_t> garbage(300, 0xA5);
  EXPECT_FALSE(ReadVs4(garbage).has_value());
}

}  // namespace
