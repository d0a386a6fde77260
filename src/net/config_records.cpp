#include "net/config_records.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/app_data.h"
#include "net/cgi_url.h"
#include "net/net_environment.h"
#include "net/penta_send_command.h"
#include "platform/thread.h"

namespace {

constexpr uint16_t kTimeOutSeconds = 5;
constexpr uint32_t kReplyBufferBytes = 2048;

bool IsRecordOption(uint8_t option) {
  return option > kConfigEectx && option < ConfigOptionNames.size();
}

}  // namespace

std::span<uint8_t> CachedConfigRecord(uint8_t option) {
  if (!g_lpApp)
    return {};
  CAppData& app = *g_lpApp;
  switch (option) {
    case kConfigInf:
      return app.m_InfConfig;
    case kConfigIp:
      return app.m_IpConfig;
    case kConfigSecure:
      return app.m_SecureConfig;
    case kConfigDns:
      return app.m_DnsConfig;
    case kConfigSmtp:
      return app.m_SmtpConfig;
    case kConfigFtp:
      return app.m_FtpConfig;
    case kConfigPppoe:
      return app.m_PppoeConfig;
    case kConfigSystem:
      return app.m_SystemConfig;
    case kConfigSntp:
      return app.m_SntpConfig;
    case kConfigImg:
      return app.m_ImgConfig;
    case kConfigWlan:
      return app.m_WlanConfig;
    case kConfigRs485:
      return app.m_Rs485Config;
    case kConfigTrigger:
      return app.m_TriggerConfig;
    case kConfigPenta:
      return app.m_PentaConfig;
    default:
      return {};
  }
}

int GetSysCfg(uint8_t option, void* dest, uint32_t size, const platform::StopToken& stop) {
  if (!IsRecordOption(option) || dest == nullptr)
    return 0;
  CCgiUrl url(CgiIndex::kCgiGetSysCfg);
  url.AddParam("Option", ConfigOptionNames[option]);
  url.AddIntParam("Size", static_cast<int>(size));
  net::AddSessionId(url, net::Environment().SessionId());
  std::vector<uint8_t> reply(kReplyBufferBytes);
  uint32_t replyLength = 0;
  net::CgiExchange exchange = net::MakeCgiExchange(url, kTimeOutSeconds, stop);
  exchange.reply = reply;
  exchange.replyLength = &replyLength;
  if (net::SendCgiRequest(exchange) != 1)
    return 0;
  // A record of another size is never taken: a short one would leave stale bytes that the
  // next send would write back to the server.
  if (replyLength != size)
    return 0;
  std::memcpy(dest, reply.data(), size);
  return 1;
}

int SetSysCfg(uint8_t option, const void* data, uint32_t size, int refresh,
              const platform::StopToken& stop) {
  if (!IsRecordOption(option) || (data == nullptr && size != 0))
    return 0;
  CCgiUrl url(CgiIndex::kCgiSetSysCfg);
  url.AddParam("Option", ConfigOptionNames[option]);
  if (option == kConfigDns)
    url.AddParam("Refresh", refresh ? "True" : "False");
  net::AddSessionId(url, net::Environment().SessionId());
  net::CgiExchange exchange = net::MakeCgiExchange(url, kTimeOutSeconds, stop);
  exchange.body = std::span(static_cast<const uint8_t*>(data), size);
  return net::SendCgiRequest(exchange) == 1 ? 1 : 0;
}

FetchedConfigRecords FetchConfigRecords(const platform::StopToken& stop) {
  FetchedConfigRecords fetched;
  for (const uint8_t option : kConfigFetchOrder) {
    if (stop.StopRequested())
      return fetched;
    const uint32_t size = ConfigRecordSizes[option];
    FetchedConfigRecord record{option, std::vector<uint8_t>(size)};
    if (GetSysCfg(option, record.bytes.data(), size, stop) != 1)
      return fetched;
    fetched.records.push_back(std::move(record));
  }
  fetched.complete = true;
  return fetched;
}

void StoreConfigRecords(const FetchedConfigRecords& fetched) {
  for (const FetchedConfigRecord& record : fetched.records) {
    const std::span<uint8_t> cache = CachedConfigRecord(record.option);
    if (cache.size() == record.bytes.size())
      std::copy(record.bytes.begin(), record.bytes.end(), cache.begin());
  }
}

std::optional<PentaRecord> FetchMotionRecord(const platform::StopToken& stop) {
  PentaRecord record{};
  if (GetSysCfg(kConfigPenta, record.data(), static_cast<uint32_t>(record.size()), stop) != 1)
    return std::nullopt;
  return record;
}
