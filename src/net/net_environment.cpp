#include "net/net_environment.h"

#include <atomic>
#include <optional>

#include "net/app_net_environment.h"

namespace net {

std::string MemoryNetEnvironment::ServerName() const {
  std::lock_guard lock(m_Lock);
  return m_strServerName;
}
void MemoryNetEnvironment::SetServerName(const std::string& name) {
  std::lock_guard lock(m_Lock);
  m_strServerName = name;
}
std::string MemoryNetEnvironment::ServerAddress() const {
  std::lock_guard lock(m_Lock);
  return m_strServerAddress;
}
void MemoryNetEnvironment::SetServerAddress(const std::string& address) {
  std::lock_guard lock(m_Lock);
  m_strServerAddress = address;
}
uint16_t MemoryNetEnvironment::WebPort() const {
  std::lock_guard lock(m_Lock);
  return m_wWebPort;
}
void MemoryNetEnvironment::SetWebPort(uint16_t port) {
  std::lock_guard lock(m_Lock);
  m_wWebPort = port;
}
std::string MemoryNetEnvironment::SessionId() const {
  std::lock_guard lock(m_Lock);
  return m_strSessionId;
}
void MemoryNetEnvironment::SetSessionId(const std::string& id) {
  std::lock_guard lock(m_Lock);
  m_strSessionId = id.substr(0, 63);  // the session buffer holds 63 characters and a NUL
}
std::string MemoryNetEnvironment::LocalAddress() const {
  std::lock_guard lock(m_Lock);
  return m_strLocalAddress;
}
void MemoryNetEnvironment::SetLocalAddress(const std::string& address) {
  std::lock_guard lock(m_Lock);
  m_strLocalAddress = address;
}

namespace {

AppNetEnvironment& DefaultEnvironment() {
  static AppNetEnvironment environment;
  return environment;
}

std::atomic<INetEnvironment*> g_pEnvironment{nullptr};

struct PendingChanges {
  std::mutex lock;
  std::optional<std::string> serverAddress;  // PendingServerAddress
  std::optional<uint16_t> webPort;           // PendingWebPort
};

PendingChanges& Pending() {
  static PendingChanges pending;
  return pending;
}

}  // namespace

INetEnvironment& Environment() {
  INetEnvironment* installed = g_pEnvironment.load();
  return installed != nullptr ? *installed : DefaultEnvironment();
}

void SetEnvironment(INetEnvironment* environment) {
  g_pEnvironment.store(environment);
}

void SetPendingServerAddress(const std::string& dotted) {
  std::lock_guard lock(Pending().lock);
  Pending().serverAddress = dotted;
}

void SetPendingWebPort(uint16_t port) {
  std::lock_guard lock(Pending().lock);
  Pending().webPort = port;
}

void ClearPendingChanges() {
  std::lock_guard lock(Pending().lock);
  Pending().serverAddress.reset();
  Pending().webPort.reset();
}

void ApplyPendingChanges(INetEnvironment& environment) {
  std::lock_guard lock(Pending().lock);
  if (Pending().webPort) {
    environment.SetWebPort(*Pending().webPort);
    Pending().webPort.reset();
  }
  if (Pending().serverAddress) {
    environment.SetServerAddress(*Pending().serverAddress);
    Pending().serverAddress.reset();
  }
}

}  // namespace net
