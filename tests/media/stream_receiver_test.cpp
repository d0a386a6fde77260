// Receivers end to end over loopback against the fake stream server: the start request, frames
// reaching the receive ring in order and intact over TCP and UDP, the key-frame gate, each
// fault knob, and the lost-connection and reset paths.
#include "media/stream_receiver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/app_data.h"
#include "fakes/fake_stream_server.h"
#include "fakes/stream_packets.h"
#include "media/stream_request.h"
#include "platform/testing/manual_clock.h"

namespace {

using fakes::ByteVector;
using fakes::ClipFrame;
using std::chrono::milliseconds;

const std::vector<ClipFrame>& Mpeg4Frames() {
  static const std::vector<ClipFrame> clip = [] {
    const ByteVector m4v = fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v");
    return fakes::Mpeg4Clip(m4v);
  }();
  return clip;
}

// A receiver on a ring of its own, with a consumer that collects what is handed on.
class ReceiverRig {
 public:
  ReceiverRig(StreamKind kind, bool udp, std::uint16_t port, std::uint8_t videoFormat = 4)
      : m_slots(kReceiveSlots * kReceiveSlotBytes), m_lengths(kReceiveSlots) {
    m_setup.kind = kind;
    m_setup.udp = udp;
    m_setup.videoFormat = videoFormat;
    m_setup.serverAddress = "127.0.0.1";
    m_setup.streamPort = port;
    m_setup.localAddress = "127.0.0.1";
    m_setup.session = "ABCD1234";
    m_setup.header = &m_header;
    m_setup.app = m_app.get();
    m_setup.slots = m_slots.data();
    m_setup.lengths = m_lengths.data();
    m_setup.writeIndex = &m_writeIndex;
    m_setup.freeSlots = std::make_shared<platform::Semaphore>(29, 29);
    m_setup.filledSlots = std::make_shared<platform::Semaphore>(0, 29);
    m_setup.start = std::make_shared<platform::Event>(platform::ResetMode::Auto, true);
    m_setup.resetRequest = std::make_shared<platform::Event>();
    m_setup.resetDone = std::make_shared<platform::Event>();
    m_setup.receiverStarted = std::make_shared<platform::Event>();
    m_setup.requestSent = std::make_shared<platform::Event>();
    m_setup.endOfStreams = std::make_shared<platform::Event>(platform::ResetMode::Manual);
    m_setup.reportLost = [this] { m_lost.fetch_add(1); };
    m_setup.switchToTcp = [this] { m_switched.fetch_add(1); };
    m_setup.stats = &m_stats;
    // Port 0: the system picks a free port, so test processes running side by side never
    // compete for the same one (the program's own choice is tested through the default).
    m_setup.localPort = [](int) { return std::uint16_t{0}; };
    // Time-outs run on the manual clock: none passes unless a test moves the time, however
    // slowly a loaded machine runs the server and the receiver.
    m_setup.clock = &m_clock;
    SetFrameHeaderAlarmHooks(FrameHeaderAlarmHooks{});
  }

  ~ReceiverRig() { Stop(); }

  void Start() {
    m_thread.Start("receiver",
                   [this](platform::StopToken stop) { return RunStreamReceiver(m_setup, stop); });
    m_consumer = std::thread([this] { Consume(); });
  }

  void Stop() {
    m_thread.RequestStop();
    m_thread.Join(20000);
    m_consuming = false;
    if (m_consumer.joinable())
      m_consumer.join();
  }

  // Waits until count frames were collected (or the time runs out); returns them.
  std::vector<ByteVector> WaitFrames(std::size_t count,
                                     milliseconds timeout = milliseconds(15000)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      {
        std::lock_guard lock(m_lock);
        if (m_frames.size() >= count)
          return m_frames;
      }
      std::this_thread::sleep_for(milliseconds(5));
    }
    std::lock_guard lock(m_lock);
    return m_frames;
  }

  // Waits until a frame equal to `frame` was collected (or the time runs out); returns the
  // frames collected by then.
  std::vector<ByteVector> WaitForFrame(const ByteVector& frame,
                                       milliseconds timeout = milliseconds(15000)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      {
        std::lock_guard lock(m_lock);
        if (std::find(m_frames.begin(), m_frames.end(), frame) != m_frames.end())
          return m_frames;
      }
      std::this_thread::sleep_for(milliseconds(5));
    }
    std::lock_guard lock(m_lock);
    return m_frames;
  }

  bool WaitLost(milliseconds timeout = milliseconds(15000)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (m_lost.load() == 0 && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(milliseconds(5));
    }
    return m_lost.load() != 0;
  }

  // Moves the manual clock on by stepMs until the receiver reports the connection lost (at most
  // steps times). Each step waits (real time, briefly) for the receiver to look at the time.
  bool AdvanceUntilLost(std::uint32_t stepMs, int steps) {
    for (int i = 0; i < steps && m_lost.load() == 0; ++i) {
      m_clock.Advance(stepMs);
      WaitLost(milliseconds(200));
    }
    return m_lost.load() != 0;
  }

  // Waits (real time) until the key-frame gate has dropped more than `after` frames; returns the
  // count then.
  std::uint32_t WaitGateDrops(std::uint32_t after, milliseconds timeout = milliseconds(15000)) {
    return WaitCountAbove(m_stats.keyGateDrops, after, timeout);
  }
  // The same for abandoned frames.
  std::uint32_t WaitAbandoned(std::uint32_t after, milliseconds timeout = milliseconds(15000)) {
    return WaitCountAbove(m_stats.framesAbandoned, after, timeout);
  }
  // The same for bytes refused: packets the header check refused (a datagram; a TCP search
  // that found a packet start) and frames given up (a TCP search that found none).
  std::uint32_t WaitRefused(std::uint32_t after, milliseconds timeout = milliseconds(15000)) {
    const auto refused = [this] {
      return m_stats.badHeaders.load() + m_stats.framesAbandoned.load();
    };
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (refused() <= after && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(milliseconds(2));
    }
    return refused();
  }
  // The same for frames handed to the ring (counted before the next frame's assembly begins).
  std::uint32_t WaitHanded(std::uint32_t after, milliseconds timeout = milliseconds(15000)) {
    return WaitCountAbove(m_stats.framesHanded, after, timeout);
  }

  ReceiverSetup m_setup;
  ReceiverStats m_stats;
  std::atomic<int> m_lost{0};
  std::atomic<int> m_switched{0};
  std::unique_ptr<CAppData> m_app = std::make_unique<CAppData>();
  platform::testing::ManualClock m_clock;
  // Declared after everything its body uses: destroying it stops and joins the receiver first.
  platform::Thread m_thread;

 private:
  static std::uint32_t WaitCountAbove(const std::atomic<std::uint32_t>& count, std::uint32_t after,
                                      milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (count.load() <= after && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(milliseconds(2));
    }
    return count.load();
  }
  void Consume() {
    std::uint16_t read = 0;
    while (m_consuming.load()) {
      if (!m_setup.filledSlots->Wait(20))
        continue;
      const std::uint8_t* slot = m_slots.data() + std::size_t{read} * kReceiveSlotBytes;
      ByteVector frame(slot, slot + m_lengths[read]);
      {
        std::lock_guard lock(m_lock);
        m_frames.push_back(std::move(frame));
      }
      read = static_cast<std::uint16_t>((read + 1) % kReceiveSlots);
      m_setup.freeSlots->Release(1);
    }
  }

  CFrameHeader m_header;
  ByteVector m_slots;
  std::vector<std::uint32_t> m_lengths;
  std::uint16_t m_writeIndex = 0;
  std::atomic<bool> m_consuming{true};
  std::thread m_consumer;
  std::mutex m_lock;
  std::vector<ByteVector> m_frames;
};

// The clip index of each frame received (-1 for a frame that is not in the clip).
std::vector<int> Indexes(const std::vector<ByteVector>& frames,
                         const std::vector<ClipFrame>& clip) {
  std::vector<int> out;
  for (const ByteVector& f : frames) {
    const auto at =
        std::find_if(clip.begin(), clip.end(), [&](const ClipFrame& c) { return c.frame == f; });
    out.push_back(at == clip.end() ? -1 : static_cast<int>(at - clip.begin()));
  }
  return out;
}

std::vector<int> AsInts(const std::vector<std::size_t>& v) {
  return std::vector<int>(v.begin(), v.end());
}

std::vector<std::size_t> AllBut(std::size_t count, const std::vector<std::size_t>& skip) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < count; ++i) {
    if (std::find(skip.begin(), skip.end(), i) == skip.end())
      out.push_back(i);
  }
  return out;
}

// Index of the first packet of each frame, as the server numbers them.
std::vector<std::uint32_t> FirstPackets(const std::vector<ClipFrame>& clip) {
  std::vector<std::uint32_t> first;
  std::uint16_t sequence = 0;
  std::uint32_t index = 0;
  for (const ClipFrame& f : clip) {
    first.push_back(index);
    index += static_cast<std::uint32_t>(fakes::Packetize(f, sequence, {}).size());
  }
  first.push_back(index);
  return first;
}

TEST(StreamRequestTest, HeaderAndBodyAsTheServerExpectsThem) {
  const std::string request = BuildStreamStartRequest("10.0.0.5", "SID", StreamKind::kVideo, 4);
  const std::string body = "Session: SID\r\nCommand: Mpeg4\r\nCommand: Start Play\r\n";
  EXPECT_EQ(request.substr(0, 17), "GET / HTTP/1.1 \r\n");
  EXPECT_NE(request.find("Accept: */* \r\n"), std::string::npos);
  EXPECT_NE(request.find("Host: 10.0.0.5\r\nConnection: Keep-Alive\r\nContent-Lentght: " +
                         std::to_string(body.size()) + "\r\n\r\n" + body),
            std::string::npos);
  EXPECT_EQ(request.substr(request.size() - body.size()), body);
  EXPECT_EQ(BuildStreamStartBody("S", StreamKind::kVideo, 0),
            "Session: S\r\nCommand: Jpeg\r\nCommand: Start Play\r\n");
  EXPECT_EQ(BuildStreamStartBody("S", StreamKind::kAudio, 4),
            "Session: S\r\nCommand: Audio\r\nCommand: Start Play\r\n");
  EXPECT_EQ(BuildStreamStartBody("S", StreamKind::kVideo, 2),
            "Session: S\r\nCommand: Start Play\r\n");
}

TEST(SwapPayloadTest, SwapsWholeEightByteGroups) {
  ByteVector b = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  SwapPayload(b, 3);
  EXPECT_EQ(b, (ByteVector{2, 1, 4, 3, 6, 5, 8, 7, 9, 10, 11, 12, 13, 14, 15, 16}));
  SwapPayload(b, 0);
  EXPECT_EQ(b[0], 2);
}

TEST(KeyFrameTest, VideoObjectStartAtTheElementaryStream) {
  ByteVector frame(40, 0xFF);
  frame[32] = 0;
  frame[33] = 0;
  frame[34] = 1;
  frame[35] = 0;
  EXPECT_TRUE(IsKeyFrame(frame));
  frame[20] = 'S' | 0x80;
  EXPECT_FALSE(IsKeyFrame(frame));  // the information block moves it to 104
  frame.resize(108, 0);
  frame[106] = 1;
  EXPECT_TRUE(IsKeyFrame(frame));
  EXPECT_FALSE(IsKeyFrame(ByteVector(35, 0)));
}

class TransportTest : public ::testing::TestWithParam<bool> {};

TEST_P(TransportTest, FramesArriveInOrderAndIntact) {
  const bool udp = GetParam();
  fakes::FakeStreamServer server;
  server.SetVideoClip(Mpeg4Frames());
  server.SetFrameInterval(milliseconds(2));
  ReceiverRig rig(StreamKind::kVideo, udp, server.Port());
  rig.Start();
  const auto frames = rig.WaitFrames(Mpeg4Frames().size());
  ASSERT_EQ(frames.size(), Mpeg4Frames().size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i], Mpeg4Frames()[i].frame) << "frame " << i;
  }
  ASSERT_TRUE(server.WaitForRequests(1, milliseconds(1000)));
  const auto request = server.Requests().front();
  EXPECT_EQ(request.udp, udp);
  EXPECT_EQ(request.session, "ABCD1234");
  EXPECT_EQ(request.host, "127.0.0.1");
  EXPECT_EQ(request.commands, (std::vector<std::string>{"Mpeg4", "Start Play"}));
  EXPECT_TRUE(rig.m_setup.requestSent->IsSet());
  EXPECT_EQ(rig.m_app->m_bConnected.load(), 1u);
  EXPECT_EQ(rig.m_stats.framesAbandoned.load(), 0u);
  EXPECT_GT(rig.m_app->m_lReceivedBytes.load(), 0);
  EXPECT_EQ(rig.m_lost.load(), 0);
}

TEST_P(TransportTest, AudioStreamAsksForAudio) {
  const bool udp = GetParam();
  fakes::FakeStreamServer server;
  const auto clip = fakes::AudioClip(8, 1000);
  server.SetAudioClip(clip);
  server.SetFrameInterval(milliseconds(2));
  ReceiverRig rig(StreamKind::kAudio, udp, server.Port());
  rig.Start();
  const auto frames = rig.WaitFrames(clip.size());
  ASSERT_EQ(frames.size(), clip.size());
  for (std::size_t i = 0; i < frames.size(); ++i)
    EXPECT_EQ(frames[i], clip[i].frame);
  EXPECT_EQ(server.Requests().front().commands, (std::vector<std::string>{"Audio", "Start Play"}));
}

TEST_P(TransportTest, ClosedConnectionOrSilenceIsALostConnection) {
  const bool udp = GetParam();
  fakes::FakeStreamServer server;
  server.SetVideoClip(Mpeg4Frames());
  fakes::StreamFaults faults;
  faults.disconnectBeforePacket = 6;  // TCP closes; UDP goes silent past its 5 s
  server.SetFaults(faults);
  server.SetLoops(1, true);
  ReceiverRig rig(StreamKind::kVideo, udp, server.Port());
  rig.Start();
  if (udp) {
    // Everything the server sent has arrived before the receiver's 5 s run out; the time
    // passes on the manual clock only.
    ASSERT_TRUE(server.WaitForStreamsDone(1, milliseconds(10000)));
    EXPECT_TRUE(rig.AdvanceUntilLost(1000, 100));
  }
  EXPECT_TRUE(rig.WaitLost(milliseconds(20000)));
  EXPECT_TRUE(rig.m_thread.Join(20000));
  EXPECT_EQ(rig.m_lost.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Both, TransportTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Udp" : "Tcp"; });

struct FaultCase {
  std::string name;
  bool udp;
  std::function<void(fakes::StreamFaults&, const std::vector<std::uint32_t>&)> apply;
  std::vector<std::size_t> missing;  // frames that must not arrive
  bool someAbandoned;
  // TCP: a packet with a broken length also throws away the bytes read behind it, which may
  // already hold the next frame; that frame may then be missing too.
  bool mayLoseNext = false;
};

class FaultTest : public ::testing::TestWithParam<FaultCase> {};

// Frame 0 is the I-VOP (several packets); frames 1..9 are P-VOPs of GOP 0 (one packet each);
// frame 10 starts GOP 1.
TEST_P(FaultTest, GivesItsResult) {
  const FaultCase& c = GetParam();
  const auto& clip = Mpeg4Frames();
  const auto first = FirstPackets(clip);
  ASSERT_GT(first[1], 2u);
  fakes::FakeStreamServer server;
  server.SetVideoClip(clip);
  server.SetFrameInterval(milliseconds(c.udp ? 2 : 20));
  fakes::StreamFaults faults;
  c.apply(faults, first);
  server.SetFaults(faults);
  ReceiverRig rig(StreamKind::kVideo, c.udp, server.Port());
  rig.Start();
  const std::vector<std::size_t> expected = AllBut(clip.size(), c.missing);
  // The faults lie before the clip's last frame, which always arrives; the stream is in order,
  // so once it is there every frame before it has been handed on, and nothing follows it.
  ASSERT_TRUE(server.WaitForStreamsDone(1, milliseconds(10000)));
  const auto all = rig.WaitForFrame(clip.back().frame);
  std::vector<int> got = Indexes(all, clip);
  std::vector<int> want = AsInts(expected);
  if (c.mayLoseNext) {
    const int next = static_cast<int>(c.missing.back()) + 1;
    std::erase(got, next);
    std::erase(want, next);
  }
  EXPECT_EQ(got, want);
  if (c.someAbandoned) {
    EXPECT_GT(rig.m_stats.framesAbandoned.load() + rig.m_stats.keyGateDrops.load(), 0u);
  }
  EXPECT_EQ(rig.m_lost.load(), 0);
}

std::vector<std::size_t> Range(std::size_t from, std::size_t to) {
  std::vector<std::size_t> r;
  for (std::size_t i = from; i < to; ++i)
    r.push_back(i);
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Knobs, FaultTest,
    ::testing::Values(
        // UDP: a lost packet of the key frame abandons it; the gate then drops the rest of the
        // GOP until the next key frame.
        FaultCase{"UdpDropInKeyFrame", true,
                  [](auto& f, const auto& first) { f.drop = {first[0] + 1}; }, Range(0, 10), true},
        // UDP: a lost single-packet P-VOP is simply missing; its GOP goes on.
        FaultCase{"UdpDropPFrame",
                  true,
                  [](auto& f, const auto& first) { f.drop = {first[3]}; },
                  {3},
                  false},
        FaultCase{"UdpDuplicate", true,
                  [](auto& f, const auto& first) { f.duplicate = {first[0] + 1}; }, Range(0, 10),
                  true},
        FaultCase{"UdpReorder", true,
                  [](auto& f, const auto& first) { f.reorder = {first[0] + 1}; }, Range(0, 10),
                  true},
        FaultCase{"UdpGap", true, [](auto& f, const auto& first) { f.gap = {first[0] + 2}; },
                  Range(0, 10), true},
        FaultCase{"UdpWrongMark", true,
                  [](auto& f, const auto& first) { f.wrongMark = {first[0] + 1}; }, Range(0, 10),
                  true},
        FaultCase{"UdpTruncated", true,
                  [](auto& f, const auto& first) { f.truncated = {first[0] + 1}; }, Range(0, 10),
                  true},
        // UDP: a datagram shorter than the total length its header gives is dropped whole.
        FaultCase{"UdpOversizeLengthField",
                  true,
                  [](auto& f, const auto& first) { f.oversize = {first[5]}; },
                  {5},
                  false},
        // TCP: no key-frame gate; a broken frame is abandoned alone (the packets behind the
        // fault are passed over until the next frame begins).
        FaultCase{"TcpDropInKeyFrame",
                  false,
                  [](auto& f, const auto& first) { f.drop = {first[0] + 1}; },
                  {0},
                  true},
        FaultCase{
            "TcpGap", false, [](auto& f, const auto& first) { f.gap = {first[0] + 2}; }, {0}, true},
        FaultCase{"TcpWrongMark",
                  false,
                  [](auto& f, const auto& first) { f.wrongMark = {first[0] + 1}; },
                  {0},
                  true,
                  true},
        FaultCase{"TcpOversize",
                  false,
                  [](auto& f, const auto& first) { f.oversize = {first[0] + 1}; },
                  {0},
                  true,
                  true},
        FaultCase{
            "TcpSplitSegments", false, [](auto& f, const auto&) { f.splitBytes = 333; }, {}, false},
        FaultCase{"TcpCoalescedSegments",
                  false,
                  [](auto& f, const auto&) { f.coalesce = true; },
                  {},
                  false}),
    [](const auto& info) { return info.param.name; });

TEST(ReceiverTest, ResetRequestIsAnsweredWithoutALostConnection) {
  fakes::FakeStreamServer server;
  server.SetVideoClip(Mpeg4Frames());
  ReceiverRig rig(StreamKind::kVideo, false, server.Port());
  rig.Start();
  ASSERT_EQ(rig.WaitFrames(Mpeg4Frames().size()).size(), Mpeg4Frames().size());
  rig.m_setup.resetRequest->Set();
  // The silent server leaves the receiver waiting in a receive; the request ends that wait.
  ASSERT_TRUE(rig.m_setup.resetDone->Wait(20000));
  EXPECT_TRUE(rig.m_thread.Join(20000));
  EXPECT_EQ(rig.m_lost.load(), 0);
  EXPECT_EQ(rig.m_app->m_bConnected.load(), 0u);
}

TEST(ReceiverTest, UdpKeyFrameGateWaitsForTheFirstKeyFrameThenSwitchesToTcpAfterTenSeconds) {
  // Only predicted frames: nothing reaches the ring, and after 10 s without a frame the
  // transmission type becomes TCP and the connection is reported lost.
  std::vector<ClipFrame> pOnly(Mpeg4Frames().begin() + 1, Mpeg4Frames().begin() + 10);
  fakes::FakeStreamServer server;
  server.SetVideoClip(pOnly);
  server.SetLoops(100);
  server.SetFrameInterval(milliseconds(30));
  ReceiverRig rig(StreamKind::kVideo, true, server.Port());
  rig.Start();
  // The ten seconds pass on the manual clock in steps shorter than the 5 s receive time-out,
  // each after another dropped frame, so no single receive ever sees 5 s go by.
  std::uint32_t drops = 0;
  for (int step = 0; step < 5; ++step) {
    drops = rig.WaitGateDrops(drops);
    ASSERT_GT(drops, 0u);
    EXPECT_EQ(rig.m_lost.load(), 0);
    rig.m_clock.Advance(2500);
  }
  EXPECT_TRUE(rig.WaitLost(milliseconds(25000)));
  EXPECT_EQ(rig.m_switched.load(), 1);
  EXPECT_TRUE(rig.WaitFrames(1, milliseconds(1)).empty());
  EXPECT_GT(rig.m_stats.keyGateDrops.load(), 0u);
}

// Bytes that keep coming but never form a frame (every frame loses its last packet): after 10 s
// of the clock without a frame the video receiver reports the connection lost, over TCP as over
// UDP; only UDP switches the setting to TCP.
TEST_P(TransportTest, VideoThatNeverCompletesAFrameIsGivenUpAfterTenSeconds) {
  const bool udp = GetParam();
  // The key frame alone, again and again: several packets each.
  const std::vector<ClipFrame> keyOnly(1, Mpeg4Frames().front());
  ASSERT_GT(FirstPackets(keyOnly)[1], 1u);
  fakes::FakeStreamServer server;
  server.SetVideoClip(keyOnly);
  server.SetLoops(2000);
  server.SetFrameInterval(milliseconds(30));
  fakes::StreamFaults faults;
  faults.neverComplete = true;
  server.SetFaults(faults);
  ReceiverRig rig(StreamKind::kVideo, udp, server.Port());
  rig.Start();
  // The time passes in steps shorter than any receive time-out, each after another abandoned
  // frame, so no single receive ever sees its time-out go by.
  std::uint32_t abandoned = 0;
  for (int step = 0; step < 4; ++step) {
    abandoned = rig.WaitAbandoned(abandoned);
    ASSERT_GT(abandoned, 0u);
    EXPECT_EQ(rig.m_lost.load(), 0);
    rig.m_clock.Advance(2500);
  }
  // Two more frames abandoned at 10 s, not more: the stream goes on.
  ASSERT_GT(rig.WaitAbandoned(rig.WaitAbandoned(abandoned)), abandoned + 1);
  EXPECT_EQ(rig.m_lost.load(), 0);
  rig.m_clock.Advance(1);
  EXPECT_TRUE(rig.WaitLost(milliseconds(25000)));
  EXPECT_EQ(rig.m_switched.load(), udp ? 1 : 0);
  EXPECT_TRUE(rig.WaitFrames(1, milliseconds(1)).empty());
}

// Noise on the stream port (random datagrams of 9 to 1,460 bytes, none a runt, none taken by the
// header check): no frame ever begins, nothing is silent for 5 s, and still the video receiver
// gives the stream up once 10 s of the clock have passed without a frame, over UDP as over TCP.
TEST_P(TransportTest, NoiseThatNeverBeginsAFrameIsGivenUpAfterTenSeconds) {
  const bool udp = GetParam();
  fakes::FakeStreamServer server;
  server.SetVideoClip(std::vector<ClipFrame>(1, Mpeg4Frames().front()));
  server.SetLoops(20000);
  server.SetFrameInterval(milliseconds(5));
  fakes::StreamFaults faults;
  faults.garbage = true;
  server.SetFaults(faults);
  ReceiverRig rig(StreamKind::kVideo, udp, server.Port());
  rig.Start();
  // Each step of the clock follows more refused bytes and is shorter than any receive time-out.
  std::uint32_t refused = 0;
  for (int step = 0; step < 4; ++step) {
    refused = rig.WaitRefused(refused);
    ASSERT_GT(refused, 0u);
    EXPECT_EQ(rig.m_lost.load(), 0);
    rig.m_clock.Advance(2500);
  }
  // At 10 s exactly the stream still stands, whatever more arrives; past them it is given up.
  ASSERT_GT(rig.WaitRefused(rig.WaitRefused(refused)), refused + 1);
  EXPECT_EQ(rig.m_lost.load(), 0);
  rig.m_clock.Advance(1);
  EXPECT_TRUE(rig.WaitLost(milliseconds(25000)));
  EXPECT_TRUE(rig.m_thread.Join(20000));
  EXPECT_EQ(rig.m_lost.load(), 1);
  EXPECT_EQ(rig.m_switched.load(), udp ? 1 : 0);
  EXPECT_TRUE(rig.WaitFrames(1, milliseconds(1)).empty());
}

// The limit is on the time between two frames, not on the stream's age: frames that come 4 s
// apart by the clock keep the stream for well over 10 s, over UDP and over TCP. The clock moves
// once per frame handed, so no assembly (and no receive) ever sees more than one step go by.
TEST_P(TransportTest, FramesComingInTimeAreNeverCutByTheNoFrameLimit) {
  const bool udp = GetParam();
  const auto& clip = Mpeg4Frames();
  fakes::FakeStreamServer server;
  server.SetVideoClip(clip);
  server.SetFrameInterval(milliseconds(30));
  ReceiverRig rig(StreamKind::kVideo, udp, server.Port());
  rig.Start();
  constexpr std::uint32_t kSteps = 15;  // 60 s of the clock
  ASSERT_LT(kSteps, clip.size());
  std::uint32_t handed = 0;
  for (std::uint32_t step = 0; step < kSteps; ++step) {
    handed = rig.WaitHanded(handed);
    ASSERT_GT(handed, step);
    rig.m_clock.Advance(4000);
  }
  const auto all = rig.WaitForFrame(clip.back().frame);
  EXPECT_EQ(Indexes(all, clip), AsInts(AllBut(clip.size(), {})));
  EXPECT_EQ(rig.m_lost.load(), 0);
  EXPECT_EQ(rig.m_switched.load(), 0);
}

TEST(ReceiverTest, UdpDatagramFailingTheHeaderCheckIsNotPayload) {
  // A datagram whose header claims more optional bytes than it has is dropped; the frame it
  // belonged to is then incomplete and abandoned, never filled with header bytes.
  const auto& clip = Mpeg4Frames();
  const auto first = FirstPackets(clip);
  fakes::FakeStreamServer server;
  server.SetVideoClip(clip);
  server.SetFrameInterval(milliseconds(2));
  fakes::StreamFaults faults;
  faults.truncated = {first[0] + 1};
  server.SetFaults(faults);
  ReceiverRig rig(StreamKind::kVideo, true, server.Port());
  rig.Start();
  const auto frames = rig.WaitFrames(clip.size() - 10, milliseconds(8000));
  for (const auto& f : frames) {
    EXPECT_NE(
        std::find_if(clip.begin(), clip.end(), [&](const ClipFrame& c) { return c.frame == f; }),
        clip.end());
  }
}

}  // namespace

namespace {

TEST(ReceiverAlarmTest, StatusWordsFromTheServerRaiseAndEndTheAlarm) {
  g_bAlarmClear = 1;
  fakes::FakeStreamServer server;
  server.SetVideoClip(Mpeg4Frames());
  server.SetFrameInterval(milliseconds(2));
  server.SetAlarmFrames({4, 5, 6});
  ReceiverRig rig(StreamKind::kVideo, false, server.Port());
  std::mutex lock;
  std::vector<platform::LParam> posts;
  int starts = 0;
  int stops = 0;
  FrameHeaderAlarmHooks hooks;
  hooks.postAlarmState = [&](platform::LParam l) {
    std::lock_guard guard(lock);
    posts.push_back(l);
  };
  hooks.startAlarmRecord = [&] {
    std::lock_guard guard(lock);
    ++starts;
  };
  hooks.alarmRecorderActive = [&] {
    std::lock_guard guard(lock);
    return starts > stops;
  };
  hooks.stopAlarmRecord = [&] {
    std::lock_guard guard(lock);
    ++stops;
  };
  SetFrameHeaderAlarmHooks(hooks);
  rig.Start();
  ASSERT_EQ(rig.WaitFrames(Mpeg4Frames().size()).size(), Mpeg4Frames().size());
  rig.Stop();
  SetFrameHeaderAlarmHooks(FrameHeaderAlarmHooks{});
  std::lock_guard guard(lock);
  EXPECT_EQ(posts, (std::vector<platform::LParam>{kAlarmStateOn, kAlarmStateOff}));
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(stops, 1);
  g_bAlarmClear = 1;
}

}  // namespace
