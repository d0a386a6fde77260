// Packet header: the optional-field table, bounds, alarm edges, state machines, time stamps
// and the frame-start search.
#include "media/frame_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v & 0xFF));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(Bytes& b, std::uint32_t v) {
  PutU16(b, static_cast<std::uint16_t>(v & 0xFFFF));
  PutU16(b, static_cast<std::uint16_t>(v >> 16));
}

// A packet whose optional part is given raw; the total length is fixed up unless overridden.
Bytes Packet(std::uint16_t flags, const Bytes& optional, std::size_t payload = 4,
             int totalOverride = -1, std::uint8_t byte4 = 0x5A, std::uint8_t byte5 = 0xC3) {
  Bytes b;
  PutU16(b, 1);
  PutU16(b, 0);
  b.push_back(byte4);
  b.push_back(byte5);
  PutU16(b, flags);
  b.insert(b.end(), optional.begin(), optional.end());
  b.insert(b.end(), payload, 0xAB);
  const auto total = static_cast<std::uint16_t>(totalOverride >= 0 ? totalOverride : b.size());
  b[2] = static_cast<std::uint8_t>(total & 0xFF);
  b[3] = static_cast<std::uint8_t>(total >> 8);
  return b;
}

struct AlarmLog {
  std::vector<platform::LParam> posts;
  int starts = 0;
  int stops = 0;
  bool recording = false;
  bool active = false;
};

class FrameHeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bAlarmClear = 1;
    FrameHeaderAlarmHooks hooks;
    hooks.postAlarmState = [this](platform::LParam l) { m_log.posts.push_back(l); };
    hooks.alarmRecorderRecording = [this] { return m_log.recording; };
    hooks.alarmRecorderActive = [this] { return m_log.active; };
    hooks.startAlarmRecord = [this] {
      ++m_log.starts;
      m_log.active = true;
    };
    hooks.stopAlarmRecord = [this] {
      ++m_log.stops;
      m_log.active = false;
      m_log.recording = false;
    };
    SetFrameHeaderAlarmHooks(hooks);
  }
  void TearDown() override {
    SetFrameHeaderAlarmHooks(DefaultFrameHeaderAlarmHooks());
    g_bAlarmClear = 1;
  }
  // Parses as a receiver does: the header, then the alarm edges it returns acted on.
  int Parse(const Bytes& packet) {
    AlarmEdges edges;
    const int result = m_header.Parse(packet, &edges);
    ActOnAlarmEdges(edges);
    return result;
  }
  AlarmLog m_log;
  CFrameHeader m_header;
};

struct LengthCase {
  std::string name;
  std::uint16_t flags;
  Bytes optional;
  std::uint16_t headerLength;
};

class HeaderLengthTest : public FrameHeaderTest,
                         public ::testing::WithParamInterface<LengthCase> {};

TEST_P(HeaderLengthTest, EachOptionalFieldAddsItsWidth) {
  const LengthCase& c = GetParam();
  const Bytes packet = Packet(c.flags, c.optional);
  ASSERT_EQ(Parse(packet), 1);
  EXPECT_EQ(m_header.HeaderLength(), c.headerLength);
  EXPECT_EQ(m_header.TotalLength(), packet.size());
  EXPECT_EQ(m_header.LastError(), ParseError::kNone);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeaderLengthTest,
    ::testing::Values(
        LengthCase{"None", 0, {}, 8}, LengthCase{"UnusedBits", 0x1801, {}, 8},
        LengthCase{"StatusA", 0x0002, {1, 0}, 10}, LengthCase{"StatusB", 0x0004, {2, 0}, 10},
        LengthCase{"Word0008", 0x0008, {0, 0}, 10}, LengthCase{"Sequence", 0x0010, {7, 0}, 10},
        LengthCase{"Word0020", 0x0020, {0, 0, 0, 0}, 12},
        LengthCase{"TimeStamp", 0x0040, {0, 0, 0, 0}, 12},
        LengthCase{"Block0080", 0x0080, Bytes(16, 9), 24}, LengthCase{"Byte0100", 0x0100, {5}, 9},
        LengthCase{"Word0200", 0x0200, {0, 0}, 10}, LengthCase{"Word0400", 0x0400, {0, 0}, 10},
        LengthCase{"Block2000N3", 0x2000, {0, 3, 0, 0, 1, 2, 3}, 15},
        LengthCase{"Block4000", 0x4000, {0, 2, 1, 0, 1, 2, 3}, 15},
        LengthCase{"Block8000Empty", 0x8000, {0}, 9},
        LengthCase{"Block8000N2", 0x8000, {2, 1, 2}, 11},
        LengthCase{"All", 0xE7FE,
                   [] {
                     Bytes o = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 0, 0, 6, 0, 0, 0};
                     o.insert(o.end(), 16, 7);
                     const Bytes tail = {8, 9, 0, 10, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 2, 1, 0, 0, 1};
                     o.insert(o.end(), tail.begin(), tail.end());
                     return o;
                   }(),
                   8 + 2 * 4 + 4 + 4 + 16 + 1 + 2 + 2 + 5 + 5 + 2}),
    [](const auto& info) { return info.param.name; });

TEST_F(FrameHeaderTest, KeepsTheFixedAndOptionalValues) {
  Bytes optional;
  PutU16(optional, 0x1234);      // sequence
  PutU32(optional, 0xDEADBEEF);  // 0x0020 word
  const Bytes packet = Packet(0x0030, optional, 4, -1, 0x7B, 0xF6);
  ASSERT_EQ(Parse(packet), 1);
  EXPECT_EQ(m_header.GopNumber(), 7);
  EXPECT_EQ(m_header.Code(), 0xB);
  EXPECT_EQ(m_header.Raw().byByte5Low, 6);
  EXPECT_TRUE(m_header.HasSequence());
  EXPECT_EQ(m_header.SequenceNumber(), 0x1234);
  EXPECT_EQ(m_header.Raw().dwWord0020, 0xDEADBEEFu);
  EXPECT_FALSE(m_header.TimePresent());
}

struct BadCase {
  std::string name;
  Bytes packet;
  ParseError error;
};

class BadHeaderTest : public FrameHeaderTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadHeaderTest, IsRefusedAndLeavesTheLastPacketAsItWas) {
  Bytes good;
  PutU16(good, 99);
  ASSERT_EQ(Parse(Packet(0x0010, good)), 1);
  const BadCase& c = GetParam();
  EXPECT_EQ(Parse(c.packet), 0);
  EXPECT_EQ(m_header.LastError(), c.error);
  EXPECT_EQ(m_header.HeaderLength(), 0);
  EXPECT_EQ(m_header.SequenceNumber(), 99);
  EXPECT_EQ(m_header.Flags(), 0x0010);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadHeaderTest,
    ::testing::Values(
        BadCase{"Empty", {}, ParseError::kBadMark}, BadCase{"OneByte", {1}, ParseError::kBadMark},
        BadCase{"MarkZero", {0, 0, 8, 0, 0, 0, 0, 0}, ParseError::kBadMark},
        BadCase{"MarkBigEndian", {0, 1, 8, 0, 0, 0, 0, 0}, ParseError::kBadMark},
        BadCase{"NoLength", {1, 0, 8}, ParseError::kTruncated},
        BadCase{"FixedPartCut", {1, 0, 8, 0, 0, 0}, ParseError::kTruncated},
        BadCase{"TotalBelowFixedPart", Packet(0, {}, 4, 7), ParseError::kBadLength},
        BadCase{"TotalBelowHeader", Packet(0x0010, {1, 0}, 4, 9), ParseError::kBadLength},
        BadCase{"OptionalFieldCut", Packet(0x0040, {0, 0}, 0, 12), ParseError::kTruncated},
        BadCase{"Block4000PastPacket", Packet(0x4000, {0, 0, 0xFF, 0xFF}, 20),
                ParseError::kBadLength},
        BadCase{"Block8000PastBytes", Packet(0x8000, {200, 1, 2}, 0, 300), ParseError::kTruncated},
        BadCase{"Block2000PastPacket", Packet(0x2000, {0, 50, 0, 0}, 4), ParseError::kBadLength}),
    [](const auto& info) { return info.param.name; });

TEST_F(FrameHeaderTest, GarbageNeverReadsOutsideTheBuffer) {
  // Every prefix of a packet with all fields, then noise of every length.
  Bytes optional(64, 0x11);
  const Bytes packet = Packet(0xFFFF, optional, 0);
  for (std::size_t n = 0; n <= packet.size(); ++n) {
    const Bytes prefix(packet.begin(), packet.begin() + static_cast<std::ptrdiff_t>(n));
    (void)Parse(prefix);
  }
  std::uint32_t seed = 12345;
  for (int i = 0; i < 2000; ++i) {
    Bytes noise(static_cast<std::size_t>(i % 90));
    for (auto& b : noise) {
      seed = seed * 1103515245u + 12345u;
      b = static_cast<std::uint8_t>(seed >> 16);
    }
    if (noise.size() >= 2) {
      noise[0] = 1;
      noise[1] = 0;
    }
    if (Parse(noise) == 1) {
      EXPECT_LE(m_header.HeaderLength(), noise.size());
      EXPECT_LE(m_header.HeaderLength(), m_header.TotalLength());
    }
  }
}

// The parser only reports the edges: nothing is posted or started until the caller acts.
TEST_F(FrameHeaderTest, ParseReturnsTheEdgesWithoutActingOnThem) {
  AlarmEdges on;
  ASSERT_EQ(m_header.Parse(Packet(0x0002, {0, 0}), &on), 1);
  EXPECT_TRUE(on.shown);
  EXPECT_TRUE(on.startRecord);
  EXPECT_FALSE(on.cleared || on.stopRecord);
  EXPECT_TRUE(m_log.posts.empty());
  EXPECT_EQ(m_log.starts, 0);
  AlarmEdges again;
  ASSERT_EQ(m_header.Parse(Packet(0x0002, {0, 0}), &again), 1);
  EXPECT_FALSE(again.Any());
  AlarmEdges off;
  ASSERT_EQ(m_header.Parse(Packet(0, {}), &off), 1);
  EXPECT_TRUE(off.cleared);
  EXPECT_TRUE(off.stopRecord);
  EXPECT_FALSE(off.shown || off.startRecord);
  ActOnAlarmEdges(on);
  ActOnAlarmEdges(off);
  EXPECT_EQ(m_log.posts, (std::vector<platform::LParam>{kAlarmStateOn, kAlarmStateOff}));
  EXPECT_EQ(m_log.starts, 1);
  EXPECT_EQ(m_log.stops, 1);
}

TEST_F(FrameHeaderTest, FlagWordZeroEndsAShownAlarm) {
  g_bAlarmClear = 0;
  ASSERT_EQ(Parse(Packet(0, {})), 1);
  EXPECT_EQ(m_header.HeaderLength(), 8);
  EXPECT_EQ(m_log.posts, (std::vector<platform::LParam>{kAlarmStateOff}));
  EXPECT_EQ(g_bAlarmClear.load(), 1u);
}

TEST_F(FrameHeaderTest, AlarmEdgesPostOnceAndRecordOnce) {
  const Bytes alarm = Packet(0x0006, {1, 0, 2, 0});
  const Bytes quiet = Packet(0, {});
  ASSERT_EQ(Parse(alarm), 1);
  ASSERT_EQ(Parse(alarm), 1);
  ASSERT_EQ(Parse(quiet), 1);
  ASSERT_EQ(Parse(quiet), 1);
  EXPECT_EQ(m_log.posts, (std::vector<platform::LParam>{kAlarmStateOn, kAlarmStateOff}));
  EXPECT_EQ(m_log.starts, 1);
  EXPECT_EQ(m_log.stops, 1);
  EXPECT_EQ(m_header.m_bAlarmRecordStarted.load(), 0u);
}

TEST_F(FrameHeaderTest, AlarmWhileRecordingDoesNotStartAgainButStopsIt) {
  m_log.recording = true;
  ASSERT_EQ(Parse(Packet(0x0002, {0, 0})), 1);
  EXPECT_EQ(m_log.starts, 0);
  EXPECT_EQ(m_header.m_bAlarmRecordStarted.load(), 1u);
  ASSERT_EQ(Parse(Packet(0, {})), 1);
  EXPECT_EQ(m_log.stops, 1);
}

TEST_F(FrameHeaderTest, ShortAlarmStopsARecordThatHasNotStartedRecordingYet) {
  // The recorder opened its file but its thread has not yet marked it recording.
  ASSERT_EQ(Parse(Packet(0x0004, {0, 0})), 1);
  ASSERT_EQ(m_log.starts, 1);
  ASSERT_FALSE(m_log.recording);
  ASSERT_EQ(Parse(Packet(0, {})), 1);
  EXPECT_EQ(m_log.stops, 1);
}

TEST_F(FrameHeaderTest, RecordOnAlarmOffOnlyShowsTheAlarm) {
  m_header.m_bRecordOnAlarm = 0;
  ASSERT_EQ(Parse(Packet(0x0002, {0, 0})), 1);
  ASSERT_EQ(Parse(Packet(0, {})), 1);
  EXPECT_EQ(m_log.starts, 0);
  EXPECT_EQ(m_log.stops, 0);
  EXPECT_EQ(m_log.posts.size(), 2u);
}

TEST_F(FrameHeaderTest, RefusedPacketChangesNoAlarmState) {
  ASSERT_EQ(Parse(Packet(0x0002, {0, 0}, 4, 9)), 0);
  EXPECT_TRUE(m_log.posts.empty());
  EXPECT_EQ(m_log.starts, 0);
}

TEST_F(FrameHeaderTest, TimeStampZeroIsTheFirstOf1900) {
  ASSERT_EQ(Parse(Packet(0x0040, {0, 0, 0, 0})), 1);
  EXPECT_TRUE(m_header.TimePresent());
  const SystemTime expected{1900, 1, 1, 1, 0, 0, 0, 0};
  EXPECT_EQ(m_header.PacketTime(), expected);
}

TEST_F(FrameHeaderTest, TimeStampNotConvertedWhenSwitchedOff) {
  m_header.m_bConvertTime = 0;
  Bytes stamp;
  PutU32(stamp, 3'900'000'000u);
  ASSERT_EQ(Parse(Packet(0x0040, stamp)), 1);
  EXPECT_TRUE(m_header.TimePresent());
  EXPECT_EQ(m_header.PacketTime(), SystemTime{});
}

struct TimeCase {
  std::uint32_t seconds;
  std::uint32_t fraction;
  SystemTime expected;
};

class HeaderTimeTest : public ::testing::TestWithParam<TimeCase> {};

TEST_P(HeaderTimeTest, ConvertsToTheCalendar) {
  SystemTime out{};
  HeaderTimeToSystemTime(HeaderTime{GetParam().fraction, GetParam().seconds}, &out);
  EXPECT_EQ(out, GetParam().expected);
}

// 2,208,988,800 s lie between 1900 and 1970.
INSTANTIATE_TEST_SUITE_P(
    Table, HeaderTimeTest,
    ::testing::Values(TimeCase{0, 0, {1900, 1, 1, 1, 0, 0, 0, 0}},
                      TimeCase{2'208'988'800u, 0, {1970, 1, 4, 1, 0, 0, 0, 0}},
                      // 2000-02-29 12:34:56, a Tuesday.
                      TimeCase{2'208'988'800u + 951'827'696u, 0, {2000, 2, 2, 29, 12, 34, 56, 0}},
                      TimeCase{86'399, 2'147'483'648u, {1900, 1, 1, 1, 23, 59, 59, 500}},
                      // The last second a u32 count reaches: 2036-02-07 06:28:15, a Thursday.
                      TimeCase{4'294'967'295u, 0, {2036, 2, 4, 7, 6, 28, 15, 0}}));

TEST(JulianDayTest, KnownDays) {
  std::uint16_t y = 0;
  std::uint16_t m = 0;
  std::uint16_t d = 0;
  JulianDayToDate(2415021, &y, &m, &d);
  EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{1900, 1, 1}));
  JulianDayToDate(2451545, &y, &m, &d);
  EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{2000, 1, 1}));
  JulianDayToDate(2440588, &y, &m, &d);
  EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{1970, 1, 1}));
  // Any day number stays defined.
  JulianDayToDate(0xFFFFFFFFu, &y, &m, &d);
  JulianDayToDate(0, &y, &m, &d);
}

struct StateCase {
  std::string name;
  bool present;
  std::uint32_t state;
  std::uint16_t value;
  bool changed;
  std::uint32_t next;
};

class ChannelStateTest : public FrameHeaderTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(ChannelStateTest, FollowsTheStatusWord) {
  const StateCase& c = GetParam();
  // B drives DecodeChannelState, A drives DecodeChannelState2: the same table for both.
  Bytes optional;
  PutU16(optional, c.value);
  ASSERT_EQ(Parse(Packet(c.present ? 0x0004 : 0, c.present ? optional : Bytes{})), 1);
  m_header.SetStateB(c.state);
  EXPECT_EQ(m_header.DecodeChannelState(), c.changed);
  EXPECT_EQ(m_header.StateB(), c.next);

  ASSERT_EQ(Parse(Packet(c.present ? 0x0002 : 0, c.present ? optional : Bytes{})), 1);
  m_header.SetStateA(c.state);
  EXPECT_EQ(m_header.DecodeChannelState2(), c.changed);
  EXPECT_EQ(m_header.StateA(), c.next);
}

INSTANTIATE_TEST_SUITE_P(Table, ChannelStateTest,
                         ::testing::Values(StateCase{"S0V0", true, 0, 0, true, 0},
                                           StateCase{"S0V1", true, 0, 1, true, 1},
                                           StateCase{"S0V2", true, 0, 2, true, 2},
                                           StateCase{"S0V3", true, 0, 3, true, 1},
                                           StateCase{"S1V1", true, 1, 1, false, 1},
                                           StateCase{"S1V2", true, 1, 2, true, 2},
                                           StateCase{"S1V0", true, 1, 0, false, 1},
                                           StateCase{"S2V1", true, 2, 1, true, 1},
                                           StateCase{"S2V2", true, 2, 2, false, 2},
                                           StateCase{"S15Present", true, 15, 1, false, 15},
                                           StateCase{"S15Absent", false, 15, 0, true, 0},
                                           StateCase{"S1Absent", false, 1, 0, false, 1}),
                         [](const auto& info) { return info.param.name; });

TEST_F(FrameHeaderTest, UpdateChannelStateMarksAbsentWords) {
  ASSERT_EQ(Parse(Packet(0x0002, {0, 0})), 1);
  EXPECT_EQ(m_header.UpdateChannelState(), 1);
  EXPECT_EQ(m_header.StateB(), 15u);
  EXPECT_EQ(m_header.StateA(), 0u);
}

struct StartCase {
  std::string name;
  Bytes bytes;
  bool found;
  std::uint32_t position;
};

class FindFrameStartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(FindFrameStartTest, FindsAMarkFollowedByASwappedStartCode) {
  const StartCase& c = GetParam();
  std::uint32_t position = 777;
  EXPECT_EQ(FindFrameStart(c.bytes, &position), c.found);
  EXPECT_EQ(position, c.found ? c.position : 777u);
}

Bytes WithStart(std::size_t lead, std::size_t gap, std::uint8_t id) {
  Bytes b(lead, 0x55);
  b.push_back(1);
  b.push_back(0);
  b.insert(b.end(), gap, 0x33);
  const Bytes code = {0, 0, id, 1};
  b.insert(b.end(), code.begin(), code.end());
  return b;
}

INSTANTIATE_TEST_SUITE_P(Table, FindFrameStartTest,
                         ::testing::Values(StartCase{"Empty", {}, false, 0},
                                           StartCase{"MarkAtLastByte", {0x55, 1}, false, 0},
                                           StartCase{"ThreeBytes", {1, 0, 0}, false, 0},
                                           StartCase{"Video", WithStart(3, 6, 0xE0), true, 3},
                                           StartCase{"Jpeg", WithStart(0, 6, 0xD1), true, 0},
                                           StartCase{"Audio", WithStart(10, 20, 0xC0), true, 10},
                                           StartCase{"OtherId", WithStart(0, 6, 0xB3), false, 0},
                                           // The code must begin within 50 bytes of the mark.
                                           StartCase{"CodeAt49", WithStart(0, 47, 0xE1), true, 0},
                                           StartCase{"CodeAt50", WithStart(0, 48, 0xE1), false, 0},
                                           StartCase{"CodeCutAtEnd",
                                                     [] {
                                                       Bytes b = WithStart(0, 2, 0xE0);
                                                       b.pop_back();
                                                       return b;
                                                     }(),
                                                     false, 0}),
                         [](const auto& info) { return info.param.name; });

// A header of its own: created once per empty slot with its owner, kept when the slot holds one,
// freed and the slot emptied.
TEST(FrameHeaderSlotTest, CreateAndDelete) {
  std::unique_ptr<CFrameHeader> slot;
  EXPECT_EQ(CreateFrameHeader(slot, 0x1234), 1);
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot->Owner(), 0x1234u);
  EXPECT_EQ(slot->m_bRecordOnAlarm.load(), 1u);  // as constructed
  const CFrameHeader* first = slot.get();
  EXPECT_EQ(CreateFrameHeader(slot, 0x5678), 1);
  EXPECT_EQ(slot.get(), first);
  EXPECT_EQ(slot->Owner(), 0x1234u);
  EXPECT_EQ(DeleteFrameHeader(slot), 1);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(DeleteFrameHeader(slot), 1);  // an empty slot stays empty
  EXPECT_EQ(CreateFrameHeader(slot, 9), 1);
  EXPECT_EQ(slot->Owner(), 9u);
}

}  // namespace
