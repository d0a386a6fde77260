#include "media/receiver_report.h"

#include "app/app_data.h"
#include "net/blocking_socket.h"

namespace {

constexpr std::size_t kBodyLimit = 255;

std::string HeaderFor(std::string_view localAddress, std::size_t bodyLength) {
  std::string h =
      "GET / HTTP/1.1 \r\nAccept: */* \r\nAccept-Language: zh-tw\r\nAccept-Encoding: gzip, "
      "deflate\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
      "1.1.4322)\r\n";
  h += "Host: ";
  h += localAddress;
  h += "\r\nConnection: Keep-Alive\r\nContent-Lentght: ";
  h += std::to_string(bodyLength);
  h += "\r\n\r\n";
  return h;
}

void Send(CBlockingSocket& socket, const CSockAddr& to, const std::string& datagram) {
  try {
    socket.SendDatagram(datagram.data(), static_cast<int>(datagram.size()), to, 1);
  } catch (const CBlockingSocketException&) {
    // The report is best effort; a lost datagram is the next period's concern.
  }
}

}  // namespace

ReceiverReportValues TakeReceiverReportValues(CAppData& app) {
  ReceiverReportValues v;
  const std::uint32_t received = app.m_dwReceivedPackets.load();
  const std::uint32_t lost = app.m_dwLostPackets.load();
  if (received != 0) {
    v.any = true;
    // 64-bit so that a large loss count cannot wrap the product.
    v.losePercent = static_cast<std::uint32_t>(std::uint64_t{lost} * 100 / received);
    v.bitRate = app.m_dwBitRate.load();
    std::uint32_t rate = static_cast<std::uint32_t>(std::uint64_t{app.m_dwShownFrames.load()} *
                                                    1000 / kReceiverReportPeriodMs);
    app.m_dwShownFrames = rate;
    const std::uint8_t standard = app.m_byVideoStandard.load();
    if (standard == 1 && rate > 30)
      rate = 30;
    if (standard == 2 && rate > 25)
      rate = 25;
    v.frameRate = rate;
  }
  app.m_dwReceivedPackets.exchange(0);
  app.m_dwLostPackets.exchange(0);
  app.m_dwShownFrames.exchange(0);
  return v;
}

std::string BuildReceiverReportBody(std::string_view session, const ReceiverReportValues& values) {
  std::string body = "Session: ";
  body += session;
  body += "\r\n";
  if (values.any) {
    body +=
        "LosePercent: " + std::to_string(static_cast<std::int32_t>(values.losePercent)) + "\r\n";
    body += "BitRate: " + std::to_string(values.bitRate) + "\r\n";
    body += "FrameRate: " + std::to_string(values.frameRate) + "\r\n";
  }
  if (body.size() > kBodyLimit)
    body.resize(kBodyLimit);
  return body;
}

std::string BuildReceiverCloseBody(std::string_view session) {
  std::string body = "Session: ";
  body += session;
  body += "\r\nConnection: Close\r\n";
  if (body.size() > kBodyLimit)
    body.resize(kBodyLimit);
  return body;
}

std::string BuildReceiverReport(std::string_view localAddress, const std::string& body) {
  return HeaderFor(localAddress, body.size()) + body;
}

std::uint32_t RunReceiverReport(const ReceiverReportSetup& s, const platform::StopToken& stop) {
  if (s.app == nullptr || !s.requestSent || !s.stop)
    return 0;
  platform::IClock& clock = s.clock ? *s.clock : platform::RealClock();
  if (clock.WaitAny({s.requestSent.get(), s.stop.get(), &stop.StopEvent()}, platform::kInfinite) !=
      0) {
    return 0;
  }
  CBlockingSocket socket;
  try {
    socket.Create(CBlockingSocket::kDatagram);
  } catch (const CBlockingSocketException&) {
    return 0;
  }
  const CSockAddr server(s.serverAddress.c_str(), s.webPort);
  // Bounded by the session: one pass per period until the stop event.
  while (true) {
    const std::uint32_t got =
        clock.WaitAny({s.stop.get(), &stop.StopEvent()}, kReceiverReportPeriodMs);
    if (got != platform::kWaitTimeout)
      break;
    const ReceiverReportValues values = TakeReceiverReportValues(*s.app);
    Send(socket, server,
         BuildReceiverReport(s.localAddress, BuildReceiverReportBody(s.session, values)));
  }
  Send(socket, server, BuildReceiverReport(s.localAddress, BuildReceiverCloseBody(s.session)));
  socket.Cleanup();
  return 0;
}

ReceiverReportSetup ReceiverReportSetupFromApp() {
  ReceiverReportSetup s;
  CAppData& app = *g_lpApp;
  s.serverAddress = app.m_SettingINI.m_strServerAddress;
  s.webPort = app.m_SettingINI.m_wWebPort;
  s.localAddress = LocalAddressText.Get();
  s.session = SessionIdBuffer.Get();
  s.app = &app;
  s.requestSent = app.StreamRequestSentEvent;
  s.stop = app.RTCPStopEvent;
  return s;
}

std::uint32_t RTCPThread(platform::StopToken stop) {
  return RunReceiverReport(ReceiverReportSetupFromApp(), stop);
}
