// The stream side of the fake video server: a stream port on 127.0.0.1 (TCP and UDP with the
// same number) that takes the stream-start request, then sends a clip's frames as packets with
// sequence numbers, time stamps and (for chosen frames) the alarm status words. Scriptable
// faults act on packet numbers counted per connection from 0. Every loop is bounded by the
// clip's loop count and the server's life time.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "fakes/loopback.h"
#include "stream_packets.h"

namespace fakes {

struct StreamFaults {
  std::set<std::uint32_t> drop;       // not sent
  std::set<std::uint32_t> duplicate;  // sent twice
  std::set<std::uint32_t> reorder;    // sent after the packet that follows it
  std::set<std::uint32_t> gap;        // its sequence number (and the later ones) skip one
  std::set<std::uint32_t> wrongMark;  // mark word 0
  std::set<std::uint32_t> oversize;   // total length field 1,461 (past a packet's limit)
  std::set<std::uint32_t> truncated;  // only its first half is sent
  std::set<std::uint32_t> runt;       // only its first 8 bytes are sent (a runt datagram on UDP)
  // Every frame of more than one packet loses its last packet: bytes keep coming, and no frame
  // ever completes.
  bool neverComplete = false;
  // Every packet is replaced by noise: random bytes (from a fixed seed), 9 to 1,460 of them, so
  // never a runt, whose first word is never the packet mark: no header check takes one, and no
  // frame ever begins. Bytes keep coming as fast as the clip's packets would.
  bool garbage = false;
  std::size_t splitBytes = 0;  // TCP: written in pieces of this size (0: whole)
  bool coalesce = false;       // TCP: two packets in one write
  std::uint32_t pauseBeforePacket = UINT32_MAX;
  std::chrono::milliseconds pause{0};
  std::uint32_t disconnectBeforePacket = UINT32_MAX;  // 0: closed right after the start request
  bool udpOnly = false;  // the faults act on UDP streams alone; TCP streams go clean
};

struct StreamStartRequest {
  bool udp = false;
  std::string raw;
  std::string host;                   // Host header
  std::string contentLength;          // "Content-Lentght" header
  std::string session;                // "Session: " line
  std::vector<std::string> commands;  // "Command: " lines in order
};

class FakeStreamServer {
 public:
  explicit FakeStreamServer(std::chrono::seconds lifeTime = std::chrono::seconds(60));
  ~FakeStreamServer();
  FakeStreamServer(const FakeStreamServer&) = delete;
  FakeStreamServer& operator=(const FakeStreamServer&) = delete;

  std::uint16_t Port() const { return m_Ports.port; }
  void Stop();

  // The clips sent for "Mpeg4"/"Jpeg" and for "Audio" requests.
  void SetVideoClip(std::vector<ClipFrame> clip);
  void SetAudioClip(std::vector<ClipFrame> clip);
  // A clip of its own for "Jpeg" requests (the video clip serves them while none is set).
  void SetJpegClip(std::vector<ClipFrame> clip);
  // Ends the streams under way now (a TCP stream's connection closes); later ones are not cut.
  void EndStreams();
  // Times the clip is sent (then the connection stays open and silent, or is closed).
  void SetLoops(std::uint32_t loops, bool closeAtEnd = false);
  // Time from one frame to the next, kept on the stream's own clock (0: as fast as the socket
  // takes them).
  void SetFrameInterval(std::chrono::milliseconds interval);
  // Frames (by index within the clip) whose packets carry status word A.
  void SetAlarmFrames(std::set<std::uint32_t> frames);
  void SetFaults(StreamFaults faults);
  void SetPacketOptions(PacketOptions options);

  std::vector<StreamStartRequest> Requests() const;
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
  std::uint32_t PacketsSent() const { return m_nPacketsSent.load(); }
  std::uint32_t FramesSent() const { return m_nFramesSent.load(); }
  // When each frame's last packet went out, in sending order (all streams together).
  std::vector<std::chrono::steady_clock::time_point> FrameSentTimes() const;
  // True once every started stream has sent its last loop.
  bool WaitForStreamsDone(std::size_t streams, std::chrono::milliseconds timeout) const;

 private:
  class Sender;
  void ServeTcp();
  void ServeUdp();
  void Stream(int socket, bool udp, const void* peer, std::size_t peerLength,
              const StreamStartRequest& request);
  bool SleepUnlessStopped(std::chrono::milliseconds duration) const;
  bool SleepUntilUnlessStopped(std::chrono::steady_clock::time_point when) const;
  void Record(const StreamStartRequest& request);

  LoopbackPorts m_Ports;
  std::chrono::steady_clock::time_point m_EndOfLife;

  mutable std::mutex m_Lock;
  mutable std::condition_variable m_Changed;
  bool m_bStop = false;
  std::atomic<bool> m_bStopping{false};
  std::vector<ClipFrame> m_VideoClip;
  std::vector<ClipFrame> m_AudioClip;
  std::vector<ClipFrame> m_JpegClip;
  std::uint32_t m_nLoops = 1;
  bool m_bCloseAtEnd = false;
  std::chrono::milliseconds m_FrameInterval{0};
  std::set<std::uint32_t> m_AlarmFrames;
  StreamFaults m_Faults;
  PacketOptions m_Options;
  std::vector<StreamStartRequest> m_Requests;
  std::size_t m_nStreamsDone = 0;
  std::set<std::uint16_t> m_ActiveUdpPorts;
  std::vector<std::chrono::steady_clock::time_point> m_FrameSent;
  std::atomic<std::uint32_t> m_nPacketsSent{0};
  std::atomic<std::uint32_t> m_nFramesSent{0};
  std::atomic<std::uint32_t> m_nStreamEnds{0};

  std::thread m_TcpThread;
  std::thread m_UdpThread;
  std::vector<std::thread> m_StreamThreads;  // guarded by m_Lock until Stop joins them
};

// Parses a stream-start request's text (headers and body).
StreamStartRequest ParseStreamStartRequest(const std::string& raw, bool udp);

}  // namespace fakes
