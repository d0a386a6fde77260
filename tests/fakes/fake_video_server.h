// A fake video server on 127.0.0.1 for tests: it speaks the CGI endpoints on an ephemeral web
// port, records every request, receives UDP datagrams on the same port number, and can be
// scripted to misbehave. Every loop is bounded; the server stops when destroyed or when its
// life time runs out.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fakes/loopback.h"

namespace fakes {

struct RecordedRequest {
  std::string raw;          // request line and headers as received, without the body
  std::string requestLine;  // "GET /path?query HTTP/1.1"
  std::string target;       // "/path?query"
  std::string path;         // "/path"
  std::string query;        // "a=1&b=2" (no "?")
  std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed
  std::vector<uint8_t> body;

  // Query parameters in order of appearance, split at "&" and the first "=".
  std::vector<std::pair<std::string, std::string>> Params() const;
  std::optional<std::string> Param(const std::string& name) const;
  std::optional<std::string> Header(const std::string& name) const;  // case-insensitive
};

// What the server answers; the defaults give a well-formed "200 OK" with a Content-Length.
struct FakeReply {
  int status = 200;
  std::string reason = "OK";
  std::vector<uint8_t> body;
  bool sendContentLength = true;
  std::string contentLengthKey = "Content-Length";
  std::optional<std::string> contentLengthValue;  // replaces the true length (e.g. "-1")
  std::optional<std::string> raw;                 // sent as it is instead of a built reply

  // Faults.
  std::chrono::milliseconds delay{0};  // before anything is sent
  bool closeWithoutReply = false;
  std::optional<std::size_t> truncateAt;  // send only this many bytes, then close
  std::vector<std::size_t> splitAt;       // send in segments ending at these offsets
  std::chrono::milliseconds segmentPause{60};
  bool holdOpenAfterReply = false;  // keep the connection open (until the client closes)

  static FakeReply Text(const std::string& text, int status = 200);
  static FakeReply Status(int status);
  std::string Serialize() const;
};

using FakeHandler = std::function<FakeReply(const RecordedRequest&)>;

class FakeFirmware;
class FakeOnlineUsers;
class FakeServerLog;

class FakeVideoServer {
 public:
  // Record sizes by option name, as the configuration transfer expects them.
  static const std::map<std::string, std::size_t>& RecordSizes();

  explicit FakeVideoServer(std::chrono::seconds lifeTime = std::chrono::seconds(120));
  ~FakeVideoServer();
  FakeVideoServer(const FakeVideoServer&) = delete;
  FakeVideoServer& operator=(const FakeVideoServer&) = delete;

  uint16_t WebPort() const { return m_Ports.port; }
  void Stop();

  // Replaces the built-in answer of a path ("/Login.cgi", ...). Paths without a handler
  // answer 404.
  void SetHandler(const std::string& path, FakeHandler handler);
  // The next request to the path gets this reply (queued, one each), before the handler.
  void QueueReply(const std::string& path, FakeReply reply);

  // Built-in answers.
  void SetLoginReply(const std::string& body);
  void SetStreamReply(const std::string& body);
  // Logins ("/Login.cgi") are refused with status 202 ("illegal user") unless both parameters
  // are there and pass the check; SetCredentials accepts one pair only. Without either, any.
  void SetCredentials(const std::string& user, const std::string& password);
  using LoginCheck = std::function<bool(const std::string& user, const std::string& password)>;
  void SetLoginCheck(LoginCheck check);  // called without the server's lock held
  void SetConfigRecord(const std::string& option, std::vector<uint8_t> record);
  std::vector<uint8_t> ConfigRecord(const std::string& option) const;
  // The firmware upload at "/UpgradeFirmware.cgi" (fake_firmware.h).
  FakeFirmware& Firmware() { return *m_pFirmware; }
  // "/GetOnlineUser.cgi" (fake_online_users.h) and "/GetLog.cgi" (fake_server_log.h).
  FakeOnlineUsers& OnlineUsers() { return *m_pOnlineUsers; }
  FakeServerLog& ServerLog() { return *m_pServerLog; }

  // Called with each request once it is answered (on the connection's thread).
  void SetRequestObserver(std::function<void(const RecordedRequest&, const FakeReply&)> observer);

  std::vector<RecordedRequest> Requests() const;
  std::vector<RecordedRequest> RequestsTo(const std::string& path) const;
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
  std::vector<std::string> Datagrams() const;
  bool WaitForDatagrams(std::size_t count, std::chrono::milliseconds timeout) const;
  std::size_t ConnectionCount() const;
  void ClearRecords();

 private:
  void ServeTcp();
  void ServeUdp();
  void HandleConnection(int connection);
  bool SleepUnlessStopped(std::chrono::milliseconds duration) const;
  bool SendAll(int connection, const std::string& bytes) const;
  FakeReply Answer(const RecordedRequest& request);
  void InstallBuiltInHandlers();

  LoopbackPorts m_Ports;
  std::chrono::steady_clock::time_point m_EndOfLife;

  mutable std::mutex m_Lock;
  mutable std::condition_variable m_Changed;
  bool m_bStop = false;
  std::atomic<bool> m_bStopping{false};  // m_bStop, readable without the lock
  std::map<std::string, FakeHandler> m_Handlers;
  std::map<std::string, std::deque<FakeReply>> m_Queued;
  std::vector<RecordedRequest> m_Requests;
  std::vector<std::string> m_Datagrams;
  std::size_t m_nConnections = 0;
  std::string m_strLoginReply;
  std::string m_strStreamReply;
  LoginCheck m_LoginCheck;
  std::map<std::string, std::vector<uint8_t>> m_Records;
  std::unique_ptr<FakeFirmware> m_pFirmware;
  std::function<void(const RecordedRequest&, const FakeReply&)> m_RequestObserver;
  std::unique_ptr<FakeOnlineUsers> m_pOnlineUsers;
  std::unique_ptr<FakeServerLog> m_pServerLog;

  std::thread m_TcpThread;
  std::thread m_UdpThread;
  std::vector<std::thread> m_ConnectionThreads;  // guarded by m_Lock until Stop joins them
};

}  // namespace fakes
