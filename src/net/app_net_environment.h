// The device protocol's environment bound to the application data block: the settings'
// server name, address and web port (under the settings' text lock), SessionIdBuffer and
// LocalAddressText.
#pragma once

#include "net/net_environment.h"

namespace net {

class AppNetEnvironment : public INetEnvironment {
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
};

}  // namespace net
