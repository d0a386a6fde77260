// The network step of APPLY: the IP record (addresses, ports, address type) and the PPPOE
// record. A change of the IP record ends in a new login; the client moves to a new address or
// web port only together with the server.
#include <optional>
#include <string>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/net_environment.h"
#include "net/record_fields.h"
#include "ui/common/ip_address_ctrl.h"
#include "ui/config/records/config_text.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

syscfg::ApplyTask<> CSysConfSheetBase::ApplyNetwork(bool& networkChanged) {
  using namespace cfg;
  const NetworkConfigPage& page = m_NetworkPage;
  if (!BeginStep(m_NetworkPage))
    co_return;
  CAppData& app = *g_lpApp;
  const std::span<std::uint8_t> ipRecord = app.m_IpConfig;
  const std::span<std::uint8_t> pppoeRecord = app.m_PppoeConfig;
  net::ClearPendingChanges();

  // The ports were checked with the page (1..65535, 256..65535) before anything was sent.
  bool ipChanged = false;
  std::optional<std::string> newAddress;
  std::optional<std::uint16_t> newWebPort;
  if (page.m_dwServerIp != m_Mirror.serverAddress) {
    net::SetRecordAddress(ipRecord, ip::kServerAddress, page.m_dwServerIp);
    newAddress = ui::IpAddressText(page.m_dwServerIp).toStdString();
    ipChanged = true;
  }
  if (page.m_dwGateway != m_Mirror.gateway) {
    net::SetRecordAddress(ipRecord, ip::kGateway, page.m_dwGateway);
    ipChanged = true;
  }
  if (page.m_dwNetMask != m_Mirror.netMask) {
    net::SetRecordAddress(ipRecord, ip::kNetMask, page.m_dwNetMask);
    ipChanged = true;
  }
  if (page.m_nWebPort != m_Mirror.webPort) {
    newWebPort = static_cast<std::uint16_t>(page.m_nWebPort);
    net::SetRecordU16(ipRecord, ip::kWebPort, *newWebPort);
    ipChanged = true;
  }
  if (page.m_dwStreamPort != m_Mirror.streamPort) {
    net::SetRecordU16(ipRecord, ip::kStreamPort, static_cast<std::uint16_t>(page.m_dwStreamPort));
    ipChanged = true;
  }
  if (page.m_byIpType != m_Mirror.ipType) {
    net::SetRecordU8(ipRecord, ip::kType, page.m_byIpType);
    ipChanged = true;
  }
  const bool pppoeChanged = syscfg::WriteChangedTexts(
      pppoeRecord, {{page.m_strPppoeUser, m_Mirror.pppoeUser, pppoe::kUser},
                    {page.m_strPppoePassword, m_Mirror.pppoePassword, pppoe::kPassword}});

  // A change of the IP record pauses the streams; from then on the step always ends in a new
  // login, also when a send fails, so the picture never stays frozen.
  if (ipChanged && !networkChanged)
    co_await PauseStreams();
  bool pppoeSent = true;
  if (pppoeChanged)
    pppoeSent = co_await SendRecord(kConfigPppoe);
  if (ipChanged && pppoeSent) {
    // The new address and port apply once the server has accepted them.
    if (newAddress)
      net::SetPendingServerAddress(*newAddress);
    if (newWebPort)
      net::SetPendingWebPort(*newWebPort);
    const bool ipSent = co_await SendRecord(kConfigIp);
    if (!ipSent)
      net::ClearPendingChanges();
  }
  if (ipChanged)
    networkChanged = true;
}
