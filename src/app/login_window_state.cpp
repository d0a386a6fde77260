#include "app/login_window_state.h"

#include <mutex>

#include "app/app_data.h"

namespace app {
namespace {

constexpr const char* kUnknownUpgradePath = "UnKnown";

}  // namespace

void StoreChosenServer(const std::string& address, std::uint16_t webPort) {
  if (!g_lpApp)
    return;
  CSettingINI& settings = g_lpApp->m_SettingINI;
  const std::lock_guard lock(settings.m_TextLock);
  settings.m_wWebPort = webPort;
  settings.m_strServerAddress = address;
}

std::int32_t ReplyUserLevel() {
  return g_lpApp ? g_lpApp->m_dwReplyUserLevel : 0;
}

StreamChoice LoadStreamChoice() {
  if (!g_lpApp)
    return {};
  return {g_lpApp->m_SettingINI.m_byTransmissionType.load(), g_lpApp->m_SettingINI.m_byDecodeType};
}

void StoreStreamChoice(const StreamChoice& choice) {
  if (!g_lpApp)
    return;
  g_lpApp->m_SettingINI.m_byTransmissionType = choice.transmission;
  g_lpApp->m_SettingINI.m_byDecodeType = choice.decode;
}

double DisplayScale() {
  const double scale = g_lpApp ? g_lpApp->m_fDisplayScale : 1.0;
  return scale > 0 ? scale : 1.0;
}

std::string ProgramVersionText() {
  return g_lpApp ? g_lpApp->m_strVersion : std::string(kProgramVersionText);
}

std::string FirmwareVersionText() {
  if (!g_lpApp)
    return {};
  const auto& version = g_lpApp->m_szFirmwareVersion;
  std::size_t length = 0;
  while (length < version.size() && version[length] != '\0')
    ++length;
  return std::string(version.data(), length);
}

std::string UpgradePath() {
  if (!g_lpApp)
    return {};
  const std::string& path = g_lpApp->m_SettingINI.m_strUpgradePath;
  return path == kUnknownUpgradePath ? std::string() : path;
}

void StoreUpgradePath(const std::string& path) {
  if (g_lpApp)
    g_lpApp->m_SettingINI.m_strUpgradePath = path;
}

}  // namespace app
