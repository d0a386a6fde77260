#include "fakes/fake_video_server.h"

#include "fakes/fake_config_server.h"
#include "fakes/fake_firmware.h"
#include "fakes/fake_online_users.h"
#include "fakes/fake_server_log.h"
#include "fakes/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <stdexcept>

namespace fakes {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kPollSliceMs = 50;
constexpr std::size_t kMaxHead = 64 * 1024;
constexpr std::size_t kMaxBody = 1024 * 1024;
constexpr milliseconds kRequestTimeLimit{5000};

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return "";
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Waits until the descriptor is readable or the deadline passes; false on time-out or when
// the server stops.
bool WaitReadable(int handle, Clock::time_point deadline, const std::atomic<bool>& stop) {
  for (;;) {
    if (stop.load())
      return false;
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
      return false;
    pollfd entry{handle, POLLIN, 0};
    const int rc = ::poll(&entry, 1, static_cast<int>(std::min<int64_t>(left, kPollSliceMs)));
    if (rc > 0)
      return true;
    if (rc < 0 && errno != EINTR)
      return false;
  }
}

RecordedRequest ParseHead(const std::string& head) {
  RecordedRequest request;
  request.raw = head;
  std::size_t lineEnd = head.find("\r\n");
  request.requestLine = head.substr(0, lineEnd);
  const auto first = request.requestLine.find(' ');
  const auto second =
      first == std::string::npos ? std::string::npos : request.requestLine.find(' ', first + 1);
  if (first != std::string::npos) {
    request.target = request.requestLine.substr(
        first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  }
  const auto question = request.target.find('?');
  request.path = request.target.substr(0, question);
  if (question != std::string::npos)
    request.query = request.target.substr(question + 1);
  std::size_t at = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
  while (at < head.size()) {
    const std::size_t end = std::min(head.find("\r\n", at), head.size());
    const std::string line = head.substr(at, end - at);
    if (line.empty())
      break;
    const auto colon = line.find(':');
    if (colon != std::string::npos) {
      request.headers.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
    }
    at = end + 2;
  }
  return request;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> RecordedRequest::Params() const {
  std::vector<std::pair<std::string, std::string>> params;
  std::size_t at = 0;
  while (at <= query.size() && !query.empty()) {
    const std::size_t end = std::min(query.find('&', at), query.size());
    const std::string item = query.substr(at, end - at);
    const auto equals = item.find('=');
    params.emplace_back(item.substr(0, equals),
                        equals == std::string::npos ? "" : item.substr(equals + 1));
    at = end + 1;
  }
  return params;
}

std::optional<std::string> RecordedRequest::Param(const std::string& name) const {
  for (const auto& [key, value] : Params()) {
    if (key == name)
      return value;
  }
  return std::nullopt;
}

std::optional<std::string> RecordedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (Upper(key) == Upper(name))
      return value;
  }
  return std::nullopt;
}

FakeReply FakeReply::Text(const std::string& text, int status) {
  FakeReply reply;
  reply.status = status;
  reply.body.assign(text.begin(), text.end());
  return reply;
}

FakeReply FakeReply::Status(int status) {
  FakeReply reply;
  reply.status = status;
  reply.reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Refused";
  reply.sendContentLength = status < 201 || status > 208;
  return reply;
}

std::string FakeReply::Serialize() const {
  if (raw)
    return *raw;
  std::string text = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
  text += "Server: fake\r\n";
  if (sendContentLength) {
    text += contentLengthKey + ": " +
            (contentLengthValue ? *contentLengthValue : std::to_string(body.size())) + "\r\n";
  }
  text += "Connection: close\r\n\r\n";
  text.append(body.begin(), body.end());
  return text;
}

const std::map<std::string, std::size_t>& FakeVideoServer::RecordSizes() {
  static const std::map<std::string, std::size_t> sizes = {
      {"INF", 56},   {"IP", 24},     {"SECURE", 408}, {"DNS", 124},  {"SMTP", 516},
      {"FTP", 104},  {"PPPOE", 100}, {"SYSTEM", 36},  {"SNTP", 40},  {"IMG", 12},
      {"WLAN", 104}, {"RS485", 20},  {"TRIGGER", 12}, {"PENTA", 156}};
  return sizes;
}

FakeVideoServer::FakeVideoServer(std::chrono::seconds lifeTime)
    : m_EndOfLife(Clock::now() + lifeTime),
      m_pFirmware(std::make_unique<FakeFirmware>()),
      m_pOnlineUsers(std::make_unique<FakeOnlineUsers>()),
      m_pServerLog(std::make_unique<FakeServerLog>()) {
  m_strLoginReply =
      "SESSION-ID=5A3F19C2;PRODUCT-ID=604;FIRMWARE-VERSION=2.1.0.7;MAC-ADDRESS=00_0E_53_12_AB_"
      "CD;HOST-NAME=fake-server;";
  m_strStreamReply =
      "VIDEO-FORMAT=4;USER-LEVEL=0;LIFE-TIME=-1;DEVICE-ID0=1;DEVICE-TYPE0=3;BAUD-RATE0=9600;"
      "DEVICE-ID1=2;DEVICE-TYPE1=8;BAUD-RATE1=4800;MPEG4-WIDTH=352;MPEG4-HEIGHT=240;JPEG-WIDTH="
      "352;JPEG-HEIGHT=240;STREAM-PORT=0;";
  m_Records = SampleConfig();
  InstallBuiltInHandlers();

  m_Ports = BindLoopbackPorts("fake video server");
  m_TcpThread = std::thread([this] { ServeTcp(); });
  m_UdpThread = std::thread([this] { ServeUdp(); });
}

FakeVideoServer::~FakeVideoServer() {
  Stop();
}

void FakeVideoServer::Stop() {
  {
    std::lock_guard lock(m_Lock);
    m_bStop = true;
  }
  m_bStopping = true;
  m_Changed.notify_all();
  if (m_TcpThread.joinable())
    m_TcpThread.join();
  for (std::thread& thread : m_ConnectionThreads) {
    if (thread.joinable())
      thread.join();
  }
  if (m_UdpThread.joinable())
    m_UdpThread.join();
  m_Ports.listener.Reset();
  m_Ports.datagram.Reset();
}

void FakeVideoServer::InstallBuiltInHandlers() {
  m_Handlers["/Login.cgi"] = [this](const RecordedRequest& request) {
    LoginCheck check;
    {
      std::lock_guard lock(m_Lock);
      check = m_LoginCheck;
    }
    const auto user = request.Param("Username");
    const auto password = request.Param("Password");
    if (check && (!user || !password || !check(*user, *password)))
      return FakeReply::Status(202);
    std::lock_guard lock(m_Lock);
    return FakeReply::Text(m_strLoginReply);
  };
  m_Handlers["/RequestStream.cgi"] = [this](const RecordedRequest&) {
    std::lock_guard lock(m_Lock);
    return FakeReply::Text(m_strStreamReply);
  };
  m_Handlers["/GetSysCfg.cgi"] = [this](const RecordedRequest& request) {
    std::lock_guard lock(m_Lock);
    const auto option = request.Param("Option");
    const auto found = option ? m_Records.find(*option) : m_Records.end();
    if (found == m_Records.end())
      return FakeReply::Status(203);
    FakeReply reply;
    reply.body = found->second;
    return reply;
  };
  m_Handlers["/SetSysCfg.cgi"] = [this](const RecordedRequest& request) {
    std::lock_guard lock(m_Lock);
    const auto option = request.Param("Option");
    const auto found = option ? m_Records.find(*option) : m_Records.end();
    if (found == m_Records.end())
      return FakeReply::Status(203);
    found->second = request.body;
    return FakeReply::Status(200);
  };
  m_Handlers["/SyncServerTime.cgi"] = [](const RecordedRequest&) { return SyncServerTimeReply(); };
  m_Handlers["/RS485Cmd.cgi"] = [](const RecordedRequest&) { return FakeReply::Status(200); };
  m_Handlers["/UpgradeFirmware.cgi"] = [this](const RecordedRequest& request) {
    return m_pFirmware->Answer(request);
  };
  m_Handlers["/GetOnlineUser.cgi"] = [this](const RecordedRequest& request) {
    return m_pOnlineUsers->Answer(request);
  };
  m_Handlers["/GetLog.cgi"] = [this](const RecordedRequest& request) {
    return m_pServerLog->Answer(request);
  };
  m_Handlers["/RebootServer.cgi"] = [](const RecordedRequest&) {
    FakeReply reply;
    reply.closeWithoutReply = true;
    return reply;
  };
}

void FakeVideoServer::SetHandler(const std::string& path, FakeHandler handler) {
  std::lock_guard lock(m_Lock);
  m_Handlers[path] = std::move(handler);
}

void FakeVideoServer::SetRequestObserver(
    std::function<void(const RecordedRequest&, const FakeReply&)> observer) {
  std::lock_guard lock(m_Lock);
  m_RequestObserver = std::move(observer);
}

void FakeVideoServer::QueueReply(const std::string& path, FakeReply reply) {
  std::lock_guard lock(m_Lock);
  m_Queued[path].push_back(std::move(reply));
}

void FakeVideoServer::SetLoginReply(const std::string& body) {
  std::lock_guard lock(m_Lock);
  m_strLoginReply = body;
}

void FakeVideoServer::SetStreamReply(const std::string& body) {
  std::lock_guard lock(m_Lock);
  m_strStreamReply = body;
}

void FakeVideoServer::SetCredentials(const std::string& user, const std::string& password) {
  SetLoginCheck([user, password](const std::string& u, const std::string& p) {
    return u == user && p == password;
  });
}

void FakeVideoServer::SetLoginCheck(LoginCheck check) {
  std::lock_guard lock(m_Lock);
  m_LoginCheck = std::move(check);
}

void FakeVideoServer::SetConfigRecord(const std::string& option, std::vector<uint8_t> record) {
  std::lock_guard lock(m_Lock);
  m_Records[option] = std::move(record);
}

std::vector<uint8_t> FakeVideoServer::ConfigRecord(const std::string& option) const {
  std::lock_guard lock(m_Lock);
  const auto found = m_Records.find(option);
  return found == m_Records.end() ? std::vector<uint8_t>() : found->second;
}

std::vector<RecordedRequest> FakeVideoServer::Requests() const {
  std::lock_guard lock(m_Lock);
  return m_Requests;
}

std::vector<RecordedRequest> FakeVideoServer::RequestsTo(const std::string& path) const {
  std::vector<RecordedRequest> found;
  for (auto& request : Requests()) {
    if (request.path == path)
      found.push_back(request);
  }
  return found;
}

bool FakeVideoServer::WaitForRequests(std::size_t count, milliseconds timeout) const {
  std::unique_lock lock(m_Lock);
  return m_Changed.wait_for(lock, timeout, [&] { return m_Requests.size() >= count; });
}

std::vector<std::string> FakeVideoServer::Datagrams() const {
  std::lock_guard lock(m_Lock);
  return m_Datagrams;
}

bool FakeVideoServer::WaitForDatagrams(std::size_t count, milliseconds timeout) const {
  std::unique_lock lock(m_Lock);
  return m_Changed.wait_for(lock, timeout, [&] { return m_Datagrams.size() >= count; });
}

std::size_t FakeVideoServer::ConnectionCount() const {
  std::lock_guard lock(m_Lock);
  return m_nConnections;
}

void FakeVideoServer::ClearRecords() {
  std::lock_guard lock(m_Lock);
  m_Requests.clear();
  m_Datagrams.clear();
  m_nConnections = 0;
}

bool FakeVideoServer::SleepUnlessStopped(milliseconds duration) const {
  std::unique_lock lock(m_Lock);
  return !m_Changed.wait_for(lock, duration, [&] { return m_bStop; });
}

bool FakeVideoServer::SendAll(int connection, const std::string& bytes) const {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0)
      return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

FakeReply FakeVideoServer::Answer(const RecordedRequest& request) {
  FakeHandler handler;
  {
    std::lock_guard lock(m_Lock);
    auto queued = m_Queued.find(request.path);
    if (queued != m_Queued.end() && !queued->second.empty()) {
      FakeReply reply = std::move(queued->second.front());
      queued->second.pop_front();
      return reply;
    }
    const auto found = m_Handlers.find(request.path);
    if (found != m_Handlers.end())
      handler = found->second;
  }
  return handler ? handler(request) : FakeReply::Status(404);
}

void FakeVideoServer::ServeTcp() {
  for (;;) {
    {
      std::lock_guard lock(m_Lock);
      if (m_bStop || Clock::now() >= m_EndOfLife)
        return;
    }
    SocketFd connection = AcceptWithin(m_Ports.listener.Get(), kPollSliceMs);
    if (!connection)
      continue;
    std::lock_guard lock(m_Lock);
    ++m_nConnections;
    // One thread per connection, so a delayed reply does not hold the others back.
    m_ConnectionThreads.emplace_back(
        [this, connection = std::move(connection)] { HandleConnection(connection.Get()); });
  }
}

void FakeVideoServer::HandleConnection(int connection) {
  const auto deadline = Clock::now() + kRequestTimeLimit;
  std::string received;
  std::size_t headEnd = std::string::npos;
  char chunk[4096];
  while (headEnd == std::string::npos && received.size() < kMaxHead) {
    if (!WaitReadable(connection, deadline, m_bStopping))
      return;
    const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
    if (n <= 0)
      return;
    received.append(chunk, static_cast<std::size_t>(n));
    headEnd = received.find("\r\n\r\n");
  }
  if (headEnd == std::string::npos)
    return;
  RecordedRequest request = ParseHead(received.substr(0, headEnd + 4));
  std::size_t bodyLength = 0;
  if (const auto length = request.Header("Content-Length")) {
    bodyLength = std::min<std::size_t>(std::strtoul(length->c_str(), nullptr, 10), kMaxBody);
  }
  std::string body = received.substr(headEnd + 4);
  while (body.size() < bodyLength) {
    if (!WaitReadable(connection, deadline, m_bStopping))
      break;
    const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
    if (n <= 0)
      break;
    body.append(chunk, static_cast<std::size_t>(n));
  }
  request.body.assign(body.begin(), body.end());
  const FakeReply reply = Answer(request);
  std::function<void(const RecordedRequest&, const FakeReply&)> observer;
  {
    std::lock_guard lock(m_Lock);
    m_Requests.push_back(request);
    observer = m_RequestObserver;
  }
  m_Changed.notify_all();
  if (observer)
    observer(request, reply);

  if (reply.delay.count() > 0 && !SleepUnlessStopped(reply.delay))
    return;
  if (reply.closeWithoutReply)
    return;
  std::string bytes = reply.Serialize();
  if (reply.truncateAt)
    bytes.resize(std::min(*reply.truncateAt, bytes.size()));
  std::size_t sent = 0;
  for (const std::size_t cut : reply.splitAt) {
    const std::size_t end = std::min(cut, bytes.size());
    if (end <= sent)
      continue;
    if (!SendAll(connection, bytes.substr(sent, end - sent)))
      return;
    sent = end;
    if (!SleepUnlessStopped(reply.segmentPause))
      return;
  }
  if (sent < bytes.size() && !SendAll(connection, bytes.substr(sent)))
    return;
  if (reply.holdOpenAfterReply) {
    // Until the client closes, bounded by the request's time limit.
    while (WaitReadable(connection, deadline, m_bStopping)) {
      if (::recv(connection, chunk, sizeof chunk, 0) <= 0)
        break;
    }
  }
}

void FakeVideoServer::ServeUdp() {
  char datagram[65536];
  for (;;) {
    {
      std::lock_guard lock(m_Lock);
      if (m_bStop || Clock::now() >= m_EndOfLife)
        return;
    }
    if (!PollFor(m_Ports.datagram.Get(), POLLIN, kPollSliceMs))
      continue;
    const ssize_t n = ::recv(m_Ports.datagram.Get(), datagram, sizeof datagram, 0);
    if (n < 0)
      continue;
    {
      std::lock_guard lock(m_Lock);
      m_Datagrams.emplace_back(datagram, static_cast<std::size_t>(n));
    }
    m_Changed.notify_all();
  }
}

}  // namespace fakes
