// vs4dump passes a good record only: an empty record, an interval no recorder writes and a
// damaged layout each give exit status 1 and a line naming the fault.
#include "vs4dump_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/record/record_sink.h"
#include "media/record/vs4_format.h"
#include "media/record/vs4_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A record file in memory.
class MemorySink final : public IRecordSink {
 public:
  explicit MemorySink(Bytes& bytes) : m_bytes(bytes) {}
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    if (m_bytes.size() < offset + bytes.size())
      m_bytes.resize(offset + bytes.size());
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
  }
  bool Truncate(std::uint64_t size) override {
    m_bytes.resize(size);
    return true;
  }
  bool Close() override { return true; }

 private:
  Bytes& m_bytes;
};

// A user record of MPEG-4 frames with these intervals (the first one of the pre-record is
// written as 65535 whatever it is given).
Bytes Record(const std::vector<std::uint32_t>& intervals) {
  Bytes bytes;
  CVs4Writer writer;
  writer.Start(std::make_unique<MemorySink>(bytes));
  Vs4FileHeader header;
  header.abyServerAddress = {10, 1, 2, 3};
  header.byResolution = 5;
  header.byRecordKind = 2;
  header.dwFormatTag = kVs4FormatMpeg4;
  header.byAvOption = 1;
  header.FirstFrameTime = {2026, 12, 0, 9, 22, 45, 7, 0};
  EXPECT_EQ(writer.WriteHeader(header), Vs4Status::kOk);
  for (std::size_t i = 0; i < intervals.size(); ++i) {
    Vs4FrameDescriptor d;
    d.dwInterval = intervals[i];
    d.dwFormatTag = kVs4FormatMpeg4;
    d.byResolution = 5;
    d.StoreTime = header.FirstFrameTime;
    const Bytes frame(20 + i, static_cast<std::uint8_t>(i));
    EXPECT_EQ(writer.WriteFrame(d, frame, i == 0 ? kFrameKindMpeg4Key : 2, i == 0), Vs4Status::kOk);
  }
  EXPECT_EQ(writer.Finish(header, 1234), Vs4Status::kOk);
  return bytes;
}

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(Vs4DumpTest, PassesAGoodRecordAndNamesEveryFaultOfABadOne) {
  // A step back of one frame's 3,003 ticks written as the unsigned wrap.
  const std::uint32_t wrapped = (0u - 3003u) / 90;
  ASSERT_GT(wrapped, kVs4MaxInterval);
  Bytes cut = Record({0, 33, 33});
  cut.resize(cut.size() - 1);
  struct Case {
    const char* name;
    Bytes file;
    int status;
    std::vector<std::string> faults;  // the lines expected on the error output, in order
  };
  const Case cases[] = {
      {"good record", Record({0, 33, 40, 200}), 0, {}},
      {"an interval of a long forward gap", Record({0, 33, kVs4MaxInterval, 33}), 0, {}},
      {"empty record", Record({}), 1, {"vs4dump: f.vs4: no frames: an empty record"}},
      {"steps back as a wrap",
       Record({0, 33, wrapped, 33, kVs4MaxInterval + 1}),
       1,
       {"vs4dump: f.vs4: frame 3: interval " + std::to_string(wrapped) +
            " ms is past the longest forward step of the time stamps (23860929 ms): a step "
            "back taken as a wrap",
        "vs4dump: f.vs4: frame 5: interval 23860930 ms is past the longest forward step of the "
        "time stamps (23860929 ms): a step back taken as a wrap"}},
      {"cut short", cut, 1, {"vs4dump: f.vs4: frame count mismatch"}},
      {"not a record", Bytes(10, 0), 1, {"vs4dump: f.vs4: too short"}},
  };
  for (const Case& c : cases) {
    const vs4dump::Report report = vs4dump::DumpVs4("f.vs4", c.file, false);
    EXPECT_EQ(report.status, c.status) << c.name;
    std::string expected;
    for (const std::string& line : c.faults)
      expected += line + "\n";
    EXPECT_EQ(report.err, expected) << c.name;
  }
}

TEST(Vs4DumpTest, PrintsTheHeaderAndWithFramesALinePerFrame) {
  const Bytes file = Record({0, 33, 40});
  const vs4dump::Report brief = vs4dump::DumpVs4("f.vs4", file, false);
  EXPECT_EQ(brief.out,
            "frames 3, seconds 0..1234, server 10.1.2.3, kind 2, resolution 5, av 1, format "
            "MPEG-4\nfirst frame 2026-12-09 22:45:07\n");
  const vs4dump::Report full = vs4dump::DumpVs4("f.vs4", file, true);
  ASSERT_EQ(Lines(full.out), 2u + 3u);
  EXPECT_NE(full.out.find("     1 at         76 length     20 kind 1 interval 65535 "
                          "2026-12-09 22:45:07\n"),
            std::string::npos)
      << full.out;
  EXPECT_NE(full.out.find("     3 at        213 length     22 kind 2 interval    40 "),
            std::string::npos)
      << full.out;
  EXPECT_EQ(full.status, 0);
  // The empty record is dumped too, and fails.
  const vs4dump::Report empty = vs4dump::DumpVs4("f.vs4", Record({}), true);
  EXPECT_EQ(Lines(empty.out), 2u);
  EXPECT_EQ(empty.out.substr(0, 9), "frames 0,");
  EXPECT_EQ(empty.status, 1);
}

}  // namespace
