#include "net/cgi_url.h"

namespace net {

bool IsSafeCgiValue(std::string_view value) {
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == ' ' || c == '&' || c == '#')
      return false;
  }
  return true;
}

}  // namespace net

CCgiUrl::CCgiUrl(CgiIndex cgiIndex) : m_Index(cgiIndex) {
  Reset();
}

int CCgiUrl::Reset() {
  m_wParamCount = 0;
  const auto slot = static_cast<std::size_t>(m_Index);
  if (slot < CgiTable.size()) {
    m_strUrl = CgiTable[slot];
    m_bRefused = false;
  } else {
    m_strUrl.clear();
    m_bRefused = true;
  }
  return 1;
}

void CCgiUrl::Append(std::string_view name, std::string_view value) {
  m_strUrl += m_wParamCount == 0 ? '?' : '&';
  m_strUrl += name;
  m_strUrl += '=';
  m_strUrl += value;
  ++m_wParamCount;
}

int CCgiUrl::AddParam(const char* name, const char* value) {
  const std::string_view n = name != nullptr ? name : "";
  const std::string_view v = value != nullptr ? value : "";
  if (name == nullptr || value == nullptr || !net::IsSafeCgiValue(n) || !net::IsSafeCgiValue(v) ||
      n.find('=') != std::string_view::npos) {
    m_bRefused = true;
    return 0;
  }
  Append(n, v);
  return 1;
}

int CCgiUrl::AddIntParam(const char* name, int value) {
  return AddParam(name, std::to_string(value).c_str());
}

int CCgiUrl::GetLength() const {
  return m_bRefused ? 0 : static_cast<int>(m_strUrl.size());
}

char* CCgiUrl::GetBuffer() {
  return m_bRefused ? m_chEmpty : m_strUrl.data();
}

std::string_view CCgiUrl::Text() const {
  return m_bRefused ? std::string_view() : std::string_view(m_strUrl);
}

namespace net {

void AddSessionId(CCgiUrl& url, const std::string& sessionId, const char* name) {
  if (!sessionId.empty())
    url.AddParam(name, sessionId.c_str());
}

}  // namespace net
