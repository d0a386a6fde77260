#include "net/detect_connection.h"

#include <mutex>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "net/blocking_socket.h"
#include "net/penta_send_command.h"

namespace {

// Time allowed for the test connection.
constexpr int kConnectSeconds = 10;

}  // namespace

int DectectSocketConnection(const std::string& server, std::uint16_t port) {
  CBlockingSocket socket;
  int connected = 0;
  try {
    socket.Create(CBlockingSocket::kStream);
    if (server.empty()) {
      socket.Cleanup();
      return 0;
    }
    const CSockAddr address = IsDottedAddress(server) == 2
                                  ? CSockAddr(server.c_str(), port)
                                  : CBlockingSocket::GetHostByName(server.c_str(), port);
    socket.Connect(address, kConnectSeconds);
    connected = 1;
  } catch (const CBlockingSocketException&) {
    app::TraceLine("DectectSocketConnection : connect to video server is failed\n");
  }
  try {
    socket.Close();
  } catch (const CBlockingSocketException&) {
    // The descriptor is released all the same.
  }
  socket.Cleanup();
  return connected;
}

int DectectSocketConnection() {
  if (!g_lpApp) {
    return 0;
  }
  std::string server;
  {
    const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
    server = g_lpApp->m_SettingINI.m_strServerAddress;
  }
  return DectectSocketConnection(server, g_lpApp->m_SettingINI.m_wWebPort);
}
