// The table of CGI paths and the request-target builder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::array<const char*, 17> CgiTable = {
    "/Login.cgi",         "/getvideo.cgi",        "/setchannel.cgi",    "/setresolution.cgi",
    "/setquality.cgi",    "/setbrcssa.cgi",       "/GetSysCfg.cgi",     "/periodcommand.cgi",
    "/SetSysCfg.cgi",     "/UpgradeFirmware.cgi", "/GetOnlineUser.cgi", "/RS485Cmd.cgi",
    "/SetPenta.cgi",      "/RebootServer.cgi",    "/RequestStream.cgi", "/GetLog.cgi",
    "/SyncServerTime.cgi"};

// Where each request's path stands in CgiTable: what CCgiUrl takes. The values are the table's
// positions and must not change.
enum class CgiIndex : std::uint8_t {
  kCgiLogin,
  kCgiGetVideo,
  kCgiSetChannel,
  kCgiSetResolution,
  kCgiSetQuality,
  kCgiSetBrcssa,
  kCgiGetSysCfg,
  kCgiPeriodCommand,
  kCgiSetSysCfg,
  kCgiUpgradeFirmware,
  kCgiGetOnlineUser,
  kCgiRs485Cmd,
  kCgiSetPenta,
  kCgiRebootServer,
  kCgiRequestStream,
  kCgiGetLog,
  kCgiSyncServerTime,
};
static_assert(static_cast<std::size_t>(CgiIndex::kCgiSyncServerTime) + 1 == CgiTable.size());

namespace net {
// Values travel unescaped (the server parses them raw), so a value that would break the
// request line or the query is refused: control characters, space, '&' and '#'.
bool IsSafeCgiValue(std::string_view value);
}  // namespace net

class CCgiUrl {
 public:
  explicit CCgiUrl(CgiIndex cgiIndex);

  // Appends "?name=value" or "&name=value". 0 when the name or value is refused; the url is then
  // refused as a whole (GetBuffer() gives an empty text that the sender does not send).
  int AddParam(const char* name, const char* value);
  int AddIntParam(const char* name, int value);
  int Reset();
  int GetLength() const;
  char* GetBuffer();

  // The text GetBuffer() gives, for a reader that does not change the url.
  std::string_view Text() const;

  bool IsRefused() const { return m_bRefused; }
  CgiIndex Index() const { return m_Index; }

 private:
  void Append(std::string_view name, std::string_view value);

  std::string m_strUrl;
  uint16_t m_wParamCount = 0;
  CgiIndex m_Index;
  bool m_bRefused = false;
  char m_chEmpty[1] = {'\0'};
};

namespace net {

// Names the client's session in a request: appends name (the server's "SessionID"; the
// firmware abort's "Cookie") with the session id, where the request has it among its parameters.
// An empty session id (no login yet) adds nothing.
void AddSessionId(CCgiUrl& url, const std::string& sessionId, const char* name = "SessionID");

}  // namespace net
