// The fake server's "/UpgradeFirmware.cgi": it records every upload request, reassembles the
// image from the "Start" block to the "Finished" one, notes an abort, and answers each block as
// scripted (a refusal status, or a stall while a test cancels).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_video_server.h"

namespace fakes {

struct FirmwareRequest {
  std::string target;
  std::optional<std::string> upgrade;    // "Start", "Finished", "Abort"
  std::optional<std::string> fileSize;   // on "Start"
  std::optional<std::string> sessionId;  // "SessionID"
  std::optional<std::string> cookie;     // "Cookie" of an abort
  std::vector<std::uint8_t> body;
};

// What the upload looks like after a request.
struct FirmwareState {
  std::size_t blocks = 0;                     // block requests since the last "Start"
  std::uint64_t received = 0;                 // bytes of those blocks
  std::optional<std::uint64_t> declaredSize;  // "FileSize" of the last "Start"
  bool finished = false;
  bool aborted = false;
};

class FakeFirmware {
 public:
  // The answer of one request (the server's handler of the path calls it).
  FakeReply Answer(const RecordedRequest& request);

  // Block number n (1 is the "Start" block) of every later upload gets this reply instead of
  // "200 OK" (a status such as 205, or a delay that stalls it).
  void SetBlockReply(std::size_t blockNumber, FakeReply reply);
  // Called after every request has been taken in (the simulator prints from it).
  void SetObserver(std::function<void(const FirmwareRequest&, const FirmwareState&)> observer);

  std::vector<FirmwareRequest> Requests() const;
  // The bytes of the blocks since the last "Start", in order.
  std::vector<std::uint8_t> Image() const;
  FirmwareState State() const;

 private:
  mutable std::mutex m_Lock;
  std::map<std::size_t, FakeReply> m_BlockReplies;
  std::function<void(const FirmwareRequest&, const FirmwareState&)> m_Observer;
  std::vector<FirmwareRequest> m_Requests;
  std::vector<std::uint8_t> m_Image;
  FirmwareState m_State;
};

// CRC-32 (the zlib polynomial) of the bytes, for a quick comparison of an uploaded image.
std::uint32_t FirmwareCrc32(const std::vector<std::uint8_t>& bytes);

}  // namespace fakes
