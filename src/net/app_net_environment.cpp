#include "net/app_net_environment.h"

#include <mutex>

#include "app/app_data.h"

namespace net {

// Without the data block (before start-up, after shut-down) reads give empty values and
// writes are dropped.
std::string AppNetEnvironment::ServerName() const {
  if (!g_lpApp)
    return {};
  const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
  return g_lpApp->m_SettingINI.m_strServerName;
}

void AppNetEnvironment::SetServerName(const std::string& name) {
  if (!g_lpApp)
    return;
  const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
  g_lpApp->m_SettingINI.m_strServerName = name;
}

std::string AppNetEnvironment::ServerAddress() const {
  if (!g_lpApp)
    return {};
  const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
  return g_lpApp->m_SettingINI.m_strServerAddress;
}

void AppNetEnvironment::SetServerAddress(const std::string& address) {
  if (!g_lpApp)
    return;
  const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
  g_lpApp->m_SettingINI.m_strServerAddress = address;
}

uint16_t AppNetEnvironment::WebPort() const {
  if (!g_lpApp)
    return 0;
  const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
  return g_lpApp->m_SettingINI.m_wWebPort;
}

void AppNetEnvironment::SetWebPort(uint16_t port) {
  if (!g_lpApp)
    return;
  const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
  g_lpApp->m_SettingINI.m_wWebPort = port;
}

std::string AppNetEnvironment::SessionId() const {
  return SessionIdBuffer.Get();
}

void AppNetEnvironment::SetSessionId(const std::string& id) {
  SessionIdBuffer.Set(id);
}

std::string AppNetEnvironment::LocalAddress() const {
  return LocalAddressText.Get();
}

}  // namespace net
