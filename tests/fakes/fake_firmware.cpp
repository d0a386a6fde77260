#include "fakes/fake_firmware.h"

#include <cstdlib>

namespace fakes {

FakeReply FakeFirmware::Answer(const RecordedRequest& request) {
  FirmwareRequest taken;
  taken.target = request.target;
  taken.upgrade = request.Param("Upgrade");
  taken.fileSize = request.Param("FileSize");
  taken.sessionId = request.Param("SessionID");
  taken.cookie = request.Param("Cookie");
  taken.body = request.body;

  FakeReply reply = FakeReply::Status(200);
  std::function<void(const FirmwareRequest&, const FirmwareState&)> observer;
  FirmwareState state;
  {
    std::lock_guard lock(m_Lock);
    m_Requests.push_back(taken);
    if (taken.upgrade == "Abort") {
      m_State.aborted = true;
    } else {
      if (taken.upgrade == "Start") {
        m_Image.clear();
        m_State = FirmwareState{};
        if (taken.fileSize)
          m_State.declaredSize = std::strtoull(taken.fileSize->c_str(), nullptr, 10);
      }
      ++m_State.blocks;
      m_Image.insert(m_Image.end(), taken.body.begin(), taken.body.end());
      m_State.received += taken.body.size();
      if (taken.upgrade == "Finished")
        m_State.finished = true;
      if (const auto scripted = m_BlockReplies.find(m_State.blocks);
          scripted != m_BlockReplies.end()) {
        reply = scripted->second;
      }
    }
    observer = m_Observer;
    state = m_State;
  }
  if (observer)
    observer(taken, state);
  return reply;
}

void FakeFirmware::SetBlockReply(std::size_t blockNumber, FakeReply reply) {
  std::lock_guard lock(m_Lock);
  m_BlockReplies[blockNumber] = std::move(reply);
}

void FakeFirmware::SetObserver(
    std::function<void(const FirmwareRequest&, const FirmwareState&)> observer) {
  std::lock_guard lock(m_Lock);
  m_Observer = std::move(observer);
}

std::vector<FirmwareRequest> FakeFirmware::Requests() const {
  std::lock_guard lock(m_Lock);
  return m_Requests;
}

std::vector<std::uint8_t> FakeFirmware::Image() const {
  std::lock_guard lock(m_Lock);
  return m_Image;
}

FirmwareState FakeFirmware::State() const {
  std::lock_guard lock(m_Lock);
  return m_State;
}

std::uint32_t FirmwareCrc32(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace fakes
