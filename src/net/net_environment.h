// What the device protocol reads and writes of the settings and of the session globals: the
// server name the user entered, the resolved dotted address, the web port, the session id
// text and the client's own address (the Host header of every request). The program binds
// these to the application data block; tests install an in-memory environment.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace net {

class INetEnvironment {
 public:
  virtual ~INetEnvironment() = default;
  virtual std::string ServerName() const = 0;  // m_strServerName
  virtual void SetServerName(const std::string& name) = 0;
  virtual std::string ServerAddress() const = 0;  // m_strServerAddress
  virtual void SetServerAddress(const std::string& address) = 0;
  virtual uint16_t WebPort() const = 0;  // m_wWebPort
  virtual void SetWebPort(uint16_t port) = 0;
  virtual std::string SessionId() const = 0;  // SessionIdBuffer text
  virtual void SetSessionId(const std::string& id) = 0;
  virtual std::string LocalAddress() const = 0;  // LocalAddressText
};

// Values held in memory under one lock.
class MemoryNetEnvironment : public INetEnvironment {
 public:
  std::string ServerName() const override;
  void SetServerName(const std::string& name) override;
  std::string ServerAddress() const override;
  void SetServerAddress(const std::string& address) override;
  uint16_t WebPort() const override;
  void SetWebPort(uint16_t port) override;
  std::string SessionId() const override;
  void SetSessionId(const std::string& id) override;
  std::string LocalAddress() const override;
  void SetLocalAddress(const std::string& address);

 private:
  mutable std::mutex m_Lock;
  std::string m_strServerName;
  std::string m_strServerAddress;
  uint16_t m_wWebPort = 80;
  std::string m_strSessionId;
  std::string m_strLocalAddress = "127.0.0.1";
};

// The environment in use. Until one is installed, the one bound to the application data block.
INetEnvironment& Environment();
// Installs an environment (not owned; it must outlive its use); nullptr restores the default.
void SetEnvironment(INetEnvironment* environment);

// A new device address or web port sent by the network page, applied after the next reply
// that the server accepts (the server moves to them once it has answered).
void SetPendingServerAddress(const std::string& dotted);
void SetPendingWebPort(uint16_t port);
void ClearPendingChanges();
void ApplyPendingChanges(INetEnvironment& environment);

}  // namespace net
